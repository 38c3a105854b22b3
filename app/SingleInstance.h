#pragma once
// One running copy takes the files: the first start holds a lock and listens
// on a socket in a folder of the user's alone; a later start hands its files
// (or, naming none, the wish to see the main window) over and ends.
#include "NamedFiles.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <memory>

class InstanceLock;
class PrivateListener;
class QLocalSocket;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // folder: where the lock and the socket live (privateSocketFolder()).
    explicit SingleInstance(QString folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Role { Running, Later };
    // Takes the lock that makes this start the running copy and binds its
    // socket at once, so that a start a moment later finds both while this
    // one is still coming up (it takes the hand-over once listen has run).
    // Later: another copy holds the lock. Raises EPrivateSocketError when the
    // lock or the socket cannot be had safely.
    Role claim();

    // A later start: gives the named files to the running copy, waiting up
    // to connectMs for its socket and answerMs for its answer. True once it
    // has taken them. Raises EPrivateSocketError when the socket is another
    // user's.
    bool handOver(const NamedFiles& files, int connectMs = kConnectMs, int answerMs = kAnswerMs) const;

    // The running copy: takes hand-overs from now on (needs the event loop).
    void listen();

    // A copy that holds the lock binds its socket at once; a coming-up copy
    // answers once its event loop runs, which a large store can delay.
    static constexpr int kConnectMs = 2000;
    static constexpr int kAnswerMs = 10000;
    // Bounds on the later starts served at one time and on how long each may
    // take to send its frame; more wait in the system's queue.
    static constexpr int kMaxClients = 16;
    static constexpr int kClientMs = 2000;

signals:
    void filesReceived(const NamedFiles& files);

private:
    QString socketPath() const;
    void serve(int fd);
    void readFrame(QLocalSocket* client);
    void drop(QLocalSocket* client);

    QString folder_;
    std::unique_ptr<InstanceLock> lock_;
    PrivateListener* listener_ = nullptr;
    QSet<QLocalSocket*> clients_;
};
