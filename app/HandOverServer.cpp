#include "HandOverServer.h"

#include "HandOverFrame.h"
#include "platform/PrivateSocket.h"

#include <QLocalSocket>
#include <QTimer>

#include <unistd.h>

HandOverServer::HandOverServer(std::unique_ptr<PrivateListener> listener) : listener_(listener.release())
{
    // A child, so that it moves to the server's thread with the server.
    listener_->setParent(this);
    connect(listener_, &PrivateListener::accepted, this, &HandOverServer::serve);
}

HandOverServer::~HandOverServer()
{
    // Closing a client reports to drop, which needs the members still here.
    qDeleteAll(std::exchange(clients_, {}));
}

void HandOverServer::start() { listener_->start(); }

void HandOverServer::serve(int fd)
{
    auto* client = new QLocalSocket(this);
    if (!client->setSocketDescriptor(fd)) {
        ::close(fd);
        delete client;
        return;
    }
    // Only the frame's length is read until it has been checked; then no
    // more than the frame itself.
    client->setReadBufferSize(4);
    clients_.insert(client);
    listener_->setPaused(clients_.size() >= kMaxClients);
    // A client that does not send its frame in time gives its place up.
    QTimer::singleShot(kClientMs, client, [this, client] { drop(client); });
    connect(client, &QLocalSocket::disconnected, this, [this, client] { drop(client); });
    connect(client, &QLocalSocket::readyRead, this, [this, client] { readFrame(client); });
    readFrame(client);
}

void HandOverServer::readFrame(QLocalSocket* client)
{
    if (!clients_.contains(client) || client->bytesAvailable() < 4)
        return;
    char head[4];
    client->peek(head, 4);
    const quint32 length = HandOverFrame::payloadLength(head);
    // The length is checked before anything is kept for it.
    if (length > HandOverFrame::kMaxPayload) {
        drop(client);
        return;
    }
    client->setReadBufferSize(4 + length);
    if (client->bytesAvailable() < qint64(4 + length))
        return;  // the rest has not arrived yet
    client->skip(4);
    const std::optional<NamedFiles> files = HandOverFrame::decodePayload(client->read(length));
    if (files) {
        client->putChar(HandOverFrame::kTaken);
        client->flush();
    }
    drop(client);
    if (files)
        emit filesReceived(*files);
}

void HandOverServer::drop(QLocalSocket* client)
{
    if (!clients_.remove(client))
        return;
    client->abort();
    client->deleteLater();
    listener_->setPaused(clients_.size() >= kMaxClients);
}
