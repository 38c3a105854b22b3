#include "SingleInstance.h"

#include "HandOverFrame.h"
#include "HandOverServer.h"
#include "platform/PrivateSocket.h"

#include <QThread>

SingleInstance::SingleInstance(QString folder, QObject* parent) : QObject(parent), folder_(std::move(folder)) {}

SingleInstance::~SingleInstance()
{
    // The server goes with its thread; the socket before the lock.
    if (thread_) {
        thread_->quit();
        thread_->wait();
    }
}

QString SingleInstance::socketPath() const { return folder_ + QStringLiteral("/kaleidor.socket"); }

SingleInstance::Role SingleInstance::claim()
{
    auto lock = std::make_unique<InstanceLock>(folder_ + QStringLiteral("/kaleidor.lock"));
    if (!lock->tryLock())
        return Role::Later;
    // Without its socket the copy runs alone; the lock goes with the failure,
    // so that later starts do not wait for a socket that never comes.
    listener_ = std::make_unique<PrivateListener>(socketPath());
    lock_ = std::move(lock);
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
    return connection.writeAll(HandOverFrame::encode(files), deadline) && connection.readByte(answer, deadline)
           && answer == HandOverFrame::kTaken;
}

void SingleInstance::listen()
{
    if (!listener_)
        return;
    thread_ = std::make_unique<QThread>();
    thread_->setObjectName(QStringLiteral("hand-over"));
    auto* server = new HandOverServer(std::move(listener_));
    server->moveToThread(thread_.get());
    connect(thread_.get(), &QThread::started, server, &HandOverServer::start);
    connect(thread_.get(), &QThread::finished, server, &QObject::deleteLater);
    connect(server, &HandOverServer::filesReceived, this, &SingleInstance::filesReceived);
    thread_->start();
}
