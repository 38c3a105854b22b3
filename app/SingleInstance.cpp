#include "SingleInstance.h"

#include "platform/PrivateSocket.h"

#include <QLocalSocket>
#include <QTimer>
#include <QtEndian>

#include <optional>

#include <unistd.h>

namespace {

constexpr char kAck = '1';

// A hand-over is one frame: its length (4 bytes, big-endian), then each name
// as a kind byte ('F' found, 'M' missing), its UTF-8 text and a NUL; a count
// of names left out is 'D' with the number in decimal. An empty frame only
// asks for the main window.
constexpr qsizetype kMaxPayload = kMaxNamedBytes + 2 * qsizetype(kMaxNamedFiles) + 16;

QByteArray encodeFrame(const NamedFiles& files)
{
    QByteArray payload;
    for (const auto& [kind, names] : {std::pair{'F', &files.found}, std::pair{'M', &files.missing}})
        for (const QString& name : *names) {
            payload.append(kind);
            payload.append(name.toUtf8());
            payload.append('\0');
        }
    if (files.dropped > 0)
        payload.append('D').append(QByteArray::number(files.dropped)).append('\0');
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(payload.size()), frame.data());
    return frame + payload;
}

// Nothing when the payload is not a list of names within the limits.
std::optional<NamedFiles> decodePayload(QByteArrayView payload)
{
    NamedFiles files;
    if (!payload.isEmpty() && !payload.endsWith('\0'))
        return std::nullopt;
    int names = 0;
    for (qsizetype start = 0; start < payload.size();) {
        const qsizetype end = payload.indexOf('\0', start);
        const QByteArrayView item = payload.sliced(start, end - start);
        start = end + 1;
        if (item.isEmpty() || item.size() - 1 > kMaxNameBytes)
            return std::nullopt;
        const QByteArrayView text = item.sliced(1);
        if (item[0] == 'D') {
            bool ok = false;
            files.dropped = text.toByteArray().toInt(&ok);
            if (!ok || files.dropped < 0)
                return std::nullopt;
            continue;
        }
        if (++names > kMaxNamedFiles || (item[0] != 'F' && item[0] != 'M'))
            return std::nullopt;
        (item[0] == 'F' ? files.found : files.missing).append(QString::fromUtf8(text));
    }
    return files;
}

}  // namespace

SingleInstance::SingleInstance(QString folder, QObject* parent) : QObject(parent), folder_(std::move(folder)) {}

SingleInstance::~SingleInstance()
{
    // Closing a client reports to drop, which needs the members still here.
    qDeleteAll(std::exchange(clients_, {}));
}

QString SingleInstance::socketPath() const { return folder_ + QStringLiteral("/kaleidor.socket"); }

SingleInstance::Role SingleInstance::claim()
{
    auto lock = std::make_unique<InstanceLock>(folder_ + QStringLiteral("/kaleidor.lock"));
    if (!lock->tryLock())
        return Role::Later;
    // Without its socket the copy runs alone; the lock goes with the failure,
    // so that later starts do not wait for a socket that never comes.
    listener_ = new PrivateListener(socketPath(), this);
    lock_ = std::move(lock);
    connect(listener_, &PrivateListener::accepted, this, &SingleInstance::serve);
    return Role::Running;
}

bool SingleInstance::handOver(const NamedFiles& files, int connectMs, int answerMs) const
{
    PrivateConnection connection;
    if (!connection.connect(socketPath(), QDeadlineTimer(connectMs)))
        return false;
    // Only the answer tells that the running copy took the files.
    const QDeadlineTimer deadline(answerMs);
    char answer = 0;
    return connection.writeAll(encodeFrame(files), deadline) && connection.readByte(answer, deadline)
           && answer == kAck;
}

void SingleInstance::listen()
{
    if (listener_)
        listener_->start();
}

void SingleInstance::serve(int fd)
{
    auto* client = new QLocalSocket(this);
    if (!client->setSocketDescriptor(fd)) {
        ::close(fd);
        delete client;
        return;
    }
    // Nothing beyond one whole frame is read from a client.
    client->setReadBufferSize(4 + kMaxPayload);
    clients_.insert(client);
    listener_->setPaused(clients_.size() >= kMaxClients);
    // A client that does not send its frame in time gives its place up.
    QTimer::singleShot(kClientMs, client, [this, client] { drop(client); });
    connect(client, &QLocalSocket::disconnected, this, [this, client] { drop(client); });
    connect(client, &QLocalSocket::readyRead, this, [this, client] { readFrame(client); });
    readFrame(client);
}

void SingleInstance::readFrame(QLocalSocket* client)
{
    if (!clients_.contains(client) || client->bytesAvailable() < 4)
        return;
    char head[4];
    client->peek(head, 4);
    const quint32 length = qFromBigEndian<quint32>(head);
    // The length is checked before anything is kept for it.
    if (length > kMaxPayload) {
        drop(client);
        return;
    }
    if (client->bytesAvailable() < qint64(4 + length))
        return;  // the rest has not arrived yet
    client->skip(4);
    const std::optional<NamedFiles> files = decodePayload(client->read(length));
    if (files) {
        client->putChar(kAck);
        client->flush();
    }
    drop(client);
    if (files)
        emit filesReceived(*files);
}

void SingleInstance::drop(QLocalSocket* client)
{
    if (!clients_.remove(client))
        return;
    client->abort();
    client->deleteLater();
    listener_->setPaused(clients_.size() >= kMaxClients);
}
