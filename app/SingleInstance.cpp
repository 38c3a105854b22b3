#include "SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>

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

namespace {
// A hand-over is one frame: its length (4 bytes, big-endian), then each name
// as a kind byte ('F' found, 'M' missing), its UTF-8 text and a NUL.
QByteArray encodeFrame(const NamedFiles& files)
{
    QByteArray payload;
    for (const auto& [kind, names] : {std::pair{'F', &files.found}, std::pair{'M', &files.missing}})
        for (const QString& name : *names) {
            payload.append(kind);
            payload.append(name.toUtf8());
            payload.append('\0');
        }
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(payload.size()), frame.data());
    return frame + payload;
}

// False when the payload is not a list of names.
bool decodePayload(const QByteArray& payload, NamedFiles& files)
{
    if (!payload.isEmpty() && !payload.endsWith('\0'))
        return false;
    for (const QByteArray& item : payload.split('\0')) {
        if (item.isEmpty())
            continue;
        const QString name = QString::fromUtf8(item.constData() + 1, item.size() - 1);
        if (item[0] == 'F')
            files.found.append(name);
        else if (item[0] == 'M')
            files.missing.append(name);
        else
            return false;
    }
    return true;
}
}  // namespace

bool SingleInstance::handOver(const NamedFiles& files, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(encodeFrame(files));
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
            if (socket->bytesAvailable() < 4)
                return;
            char head[4];
            socket->peek(head, 4);
            const quint32 length = qFromBigEndian<quint32>(head);
            // The length is checked before anything is kept for it.
            if (length > kMaxMessage) {
                socket->abort();
                return;
            }
            if (socket->bytesAvailable() < qint64(4 + length))
                return;  // the rest has not arrived yet
            socket->skip(4);
            NamedFiles files;
            if (!decodePayload(socket->read(length), files)) {
                socket->abort();
                return;
            }
            socket->putChar(kAck);
            socket->flush();
            emit filesReceived(files);
        });
    }
}
