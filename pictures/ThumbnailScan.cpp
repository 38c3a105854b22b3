#include "ThumbnailScan.h"

#include "platform/Errors.h"

#include <QDir>
#include <QScopeGuard>
#include <QThread>

#include <algorithm>

#include <pthread.h>

std::vector<ScanEntry> listPictureFiles(const QString& folder, const QStringList& extensions)
{
    const QFileInfoList all =
        QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    std::vector<ScanEntry> entries;
    for (const QString& extension : extensions) {
        const QString suffix = QLatin1Char('.') + extension;
        bool first = true;
        for (const QFileInfo& file : all) {
            const QString name = file.fileName();
            if (name.startsWith(QLatin1Char('.')) || !name.endsWith(suffix, Qt::CaseInsensitive) || !file.isFile())
                continue;
            entries.push_back({folder + name, first});
            first = false;
        }
    }
    return entries;
}

ThumbnailScan::ThumbnailScan(std::shared_ptr<ImageLibrary> library, std::vector<ScanEntry> entries,
                             ThumbnailRecipe recipe, Handlers handlers, int workers, QObject* parent,
                             qint64 bytesInFlight)
    : QObject(parent),
      library_(std::move(library)),
      entries_(std::move(entries)),
      recipe_(recipe),
      handlers_(std::move(handlers)),
      workerCount_(workers > 0 ? workers : std::max(1, QThread::idealThreadCount())),
      budget_(bytesInFlight)
{
}

ThumbnailScan::~ThumbnailScan() { stopWorkers(); }

void ThumbnailScan::start()
{
    if (entries_.empty()) {
        finished_ = true;
        if (handlers_.finished)
            handlers_.finished();
        return;
    }
    const int count = std::min<int>(workerCount_, int(entries_.size()));
    for (int i = 0; i < count; ++i)
        workers_.emplace_back([this] { work(); });
}

void ThumbnailScan::cancel()
{
    stopWorkers();
    waiting_.clear();
    finished_ = true;
}

void ThumbnailScan::stopWorkers()
{
    cancelled_ = true;
    budget_.close();
    for (std::thread& worker : workers_)
        worker.join();
    workers_.clear();
}

void ThumbnailScan::work()
{
    // Named, so that the workers can be told apart from outside (top -H).
    pthread_setname_np(pthread_self(), "thumbnail scan");
    for (;;) {
        const size_t index = next_.fetch_add(1);
        if (index >= entries_.size() || cancelled_)
            return;
        Outcome outcome;
        try {
            outcome.file = readThumbnails(*library_, entries_[index].path, recipe_, &cancelled_, &budget_);
            // Only the packed thumbnails wait for their turn.
            for (ThumbPage& page : outcome.file.pages) {
                page.packed = PackedThumbnail::pack(page.thumbnail, page.place);
                page.thumbnail = QImage();
            }
        } catch (const Exception& e) {
            outcome.failed = true;
            outcome.error = e.message();
        } catch (const std::exception&) {
            // Out of memory for this one file: it is skipped like any unreadable file.
        }
        // Queued to the owner's thread; dropped by Qt if the scan is gone by then.
        QMetaObject::invokeMethod(
            this, [this, index, o = std::make_shared<Outcome>(std::move(outcome))]() mutable {
                deliver(index, std::move(*o));
            },
            Qt::QueuedConnection);
    }
}

void ThumbnailScan::deliver(size_t index, Outcome outcome)
{
    if (finished_)
        return;
    waiting_.emplace(index, std::move(outcome));
    // A handler may run a nested event loop (a message box); results arriving
    // meanwhile wait here, so files are still handed over in order.
    if (delivering_)
        return;
    delivering_ = true;
    const auto done = qScopeGuard([this] { delivering_ = false; });
    while (!finished_ && !waiting_.empty() && waiting_.begin()->first == delivered_) {
        Outcome current = std::move(waiting_.begin()->second);
        waiting_.erase(waiting_.begin());
        const ScanEntry& entry = entries_[delivered_++];
        if (current.failed) {
            if (entry.firstOfListing) {
                cancel();
                if (handlers_.failed)
                    handlers_.failed(current.error);
                if (handlers_.finished)
                    handlers_.finished();
                return;
            }
            continue;
        }
        if (current.file.scalingMissing && !scalingReported_) {
            scalingReported_ = true;
            if (handlers_.scalingMissing)
                handlers_.scalingMissing(current.file.scalingMessage);
        }
        if (handlers_.fileDone)
            handlers_.fileDone(entry.path, current.file);
    }
    if (!finished_ && delivered_ == entries_.size()) {
        stopWorkers();
        finished_ = true;
        if (handlers_.finished)
            handlers_.finished();
    }
}
