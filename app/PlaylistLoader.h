#pragma once
// Reads playlist files on a worker thread: a list of a million lines takes
// seconds to read, and the window stays responsive meanwhile, showing the
// busy cursor until the entries are in.
#include "PlaylistReader.h"

#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <map>
#include <memory>

class QThread;
class QWidget;

class PlaylistLoader : public QObject {
public:
    // window shows the busy cursor while a load runs.
    explicit PlaylistLoader(QWidget* window);
    ~PlaylistLoader() override;  // waits for the reads still running

    // Reads path; done then runs on this thread with what was read, unless a
    // later load has been started meanwhile. A failure to read is shown in
    // the error box instead, as is what done raises.
    void load(const QString& path, std::function<void(PlaylistRead&)> done);

private:
    void finished(quint64 ticket, PlaylistRead& read, const std::exception_ptr& failure,
                  const std::function<void(PlaylistRead&)>& done);

    QWidget* window_;
    quint64 latest_ = 0;  // the ticket of the load whose result counts
    std::map<quint64, std::unique_ptr<QThread>> workers_;  // by ticket
};
