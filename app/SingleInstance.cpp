#include "SingleInstance.h"

#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
// A hand-over is a list of paths; anything larger than this is not one.
constexpr qint64 kMaxMessage = 16 * 1024 * 1024;
constexpr char kAck = '1';
}  // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultSocketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime + QStringLiteral("/kaleidor.socket");
    return QDir::tempPath() + QStringLiteral("/kaleidor-%1.socket").arg(::getuid());
}

bool SingleInstance::handOver(const NamedFiles& files, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray message;
    {
        QDataStream out(&message, QIODevice::WriteOnly);
        out << files.found << files.missing;
    }
    QByteArray framed;
    {
        QDataStream out(&framed, QIODevice::WriteOnly);
        out << message;
    }
    socket.write(framed);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // Only the answer tells that the running copy took the files.
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    char answer = 0;
    return socket.getChar(&answer) && answer == kAck;
}

bool SingleInstance::listen()
{
    if (!server_) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    }
    if (server_->listen(socketPath_))
        return true;
    // No copy answered (the caller tried to hand over first), so the socket
    // file is a leftover of a copy that ended without removing it.
    QLocalServer::removeServer(socketPath_);
    return server_->listen(socketPath_);
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            QByteArray message;
            in >> message;
            if (in.status() == QDataStream::ReadCorruptData || socket->bytesAvailable() > kMaxMessage) {
                socket->abort();
                return;
            }
            if (!in.commitTransaction())
                return;  // the rest has not arrived yet
            NamedFiles files;
            QDataStream list(message);
            list >> files.found >> files.missing;
            if (list.status() != QDataStream::Ok) {
                socket->abort();
                return;
            }
            socket->putChar(kAck);
            socket->flush();
            emit filesReceived(files);
        });
    }
}
