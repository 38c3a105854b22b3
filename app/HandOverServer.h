#pragma once
// The running copy's side of the hand-over, on a thread of its own so that a
// later start is answered at once however busy the windows are: it serves a
// few clients at a time, drops those that do not send a whole frame in time,
// refuses frames past the limits and passes the names on.
#include "NamedFiles.h"

#include <QObject>
#include <QSet>

#include <memory>

class PrivateListener;
class QLocalSocket;

class HandOverServer : public QObject {
    Q_OBJECT
public:
    explicit HandOverServer(std::unique_ptr<PrivateListener> listener);
    ~HandOverServer() override;

    // Starts accepting; from the thread the server lives in.
    void start();

    static constexpr int kMaxClients = 16;
    static constexpr int kClientMs = 2000;

signals:
    void filesReceived(const NamedFiles& files);

private:
    void serve(int fd);
    void readFrame(QLocalSocket* client);
    void drop(QLocalSocket* client);

    PrivateListener* listener_;
    QSet<QLocalSocket*> clients_;
};
