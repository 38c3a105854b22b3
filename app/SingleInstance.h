#pragma once
// One running copy takes the files: a start with files while the program
// runs hands them over a local socket and ends; the running copy listens.
#include "NamedFiles.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // $XDG_RUNTIME_DIR/kaleidor.socket; without a runtime folder, a name in
    // the temporary folder that carries the user id.
    static QString defaultSocketPath();

    // Gives the named files (those not found too, for the running copy to
    // report) to the running copy; true once it has taken them, false when
    // no copy answers within the time given.
    bool handOver(const NamedFiles& files, int timeoutMs = 3000) const;

    // Starts listening for later starts; a socket left by a copy that
    // crashed is replaced. False when the socket cannot be made.
    bool listen();

signals:
    void filesReceived(const NamedFiles& files);

private:
    void acceptConnection();

    QString socketPath_;
    QLocalServer* server_ = nullptr;
};
