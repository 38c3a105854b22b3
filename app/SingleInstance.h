#pragma once
// One running copy takes the files: the first start holds a lock and listens
// on a socket in a folder of the user's alone; a later start hands its files
// (or, naming none, the wish to see the main window) over and ends.
#include "NamedFiles.h"

#include <QObject>
#include <QString>

#include <memory>

class InstanceLock;
class PrivateListener;
class QThread;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // folder: where the lock and the socket live (privateSocketFolder()).
    explicit SingleInstance(QString folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Role { Running, Later };
    // Takes the lock that makes this start the running copy and binds its
    // socket at once, so that a start a moment later finds both while this
    // one is still coming up (it is answered once listen has run).
    // Later: another copy holds the lock. Raises EPrivateSocketError when the
    // lock or the socket cannot be had safely.
    Role claim();

    // A later start: gives the named files to the running copy, waiting up
    // to connectMs for its socket and answerMs for its answer. True once it
    // has taken them. Raises EPrivateSocketError when the socket is another
    // user's.
    bool handOver(const NamedFiles& files, int connectMs = kConnectMs, int answerMs = kAnswerMs) const;

    // The running copy: takes hand-overs from now on, on a thread of their
    // own; filesReceived reaches this object's thread.
    void listen();

    // A copy that holds the lock binds its socket at once and answers once
    // it has come as far as listen.
    static constexpr int kConnectMs = 2000;
    static constexpr int kAnswerMs = 10000;

signals:
    void filesReceived(const NamedFiles& files);

private:
    QString socketPath() const;

    QString folder_;
    std::unique_ptr<InstanceLock> lock_;
    std::unique_ptr<PrivateListener> listener_;  // until listen hands it on
    std::unique_ptr<QThread> thread_;
};
