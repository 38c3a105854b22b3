#include "PlaylistLoader.h"

#include "windowing/SafeCall.h"

#include <QThread>
#include <QWidget>

#include <exception>

PlaylistLoader::PlaylistLoader(QWidget* window) : QObject(window), window_(window) {}

PlaylistLoader::~PlaylistLoader()
{
    for (const auto& [ticket, worker] : workers_)
        worker->wait();
}

void PlaylistLoader::load(const QString& path, std::function<void(PlaylistRead&)> done)
{
    const quint64 ticket = ++latest_;
    std::unique_ptr<QThread> worker(QThread::create([this, path, ticket, done = std::move(done)] {
        auto read = std::make_shared<PlaylistRead>();
        std::exception_ptr failure;
        try {
            *read = readPlaylistFile(path);
        } catch (...) {
            failure = std::current_exception();
        }
        // Handed to this object's thread; dropped unread when the object is
        // destroyed first.
        QMetaObject::invokeMethod(
            this, [this, ticket, read, failure, done] { finished(ticket, *read, failure, done); },
            Qt::QueuedConnection);
    }));
    worker->start();
    workers_.emplace(ticket, std::move(worker));
    window_->setCursor(Qt::BusyCursor);
}

void PlaylistLoader::finished(quint64 ticket, PlaylistRead& read, const std::exception_ptr& failure,
                              const std::function<void(PlaylistRead&)>& done)
{
    // Its last step was handing this over: the thread ends at once.
    workers_.at(ticket)->wait();
    workers_.erase(ticket);
    if (ticket != latest_)
        return;  // a later load replaces this one
    window_->unsetCursor();
    safeCall([&] {
        if (failure)
            std::rethrow_exception(failure);
        done(read);
    });
}
