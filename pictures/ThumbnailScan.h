#pragma once
// A folder scan of the thumbnail grid: the folder's picture files, listed in
// extension order, are decoded on worker threads (one per core, one file each
// at a time) and handed back on the owner's thread strictly in listing order,
// so the grid fills progressively. The workers share one budget of bytes in
// flight (files and decoded pixels) and hand over packed thumbnails only.
// Destroying or cancelling the scan stops the workers after the file each
// one is on.
#include "pictures/ScanBudget.h"
#include "pictures/ThumbnailMaker.h"

#include <QObject>
#include <QStringList>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <vector>

struct ScanEntry {
    QString path;
    // The first file found for its extension: an error adding it ends the scan.
    bool firstOfListing = false;
};

// Regular, non-hidden files of the folder (no sub-folders, no broken links)
// whose extension is one of extensions, any case; extensions in the given
// order, each one's files by name without regard to case. folder ends with "/".
std::vector<ScanEntry> listPictureFiles(const QString& folder, const QStringList& extensions);

class ThumbnailScan : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(const QString& path, ThumbFile& file)> fileDone;
        // An error that ends the scan (before fileDone for that file).
        std::function<void(const QString& message)> failed;
        // The scaling library is missing; called at most once per scan.
        std::function<void(const QString& message)> scalingMissing;
        std::function<void()> finished;
    };

    // What all workers may hold at once: with the rest of the program, well
    // under a gigabyte.
    static constexpr qint64 kBytesInFlight = qint64(640) << 20;

    ThumbnailScan(std::shared_ptr<ImageLibrary> library, std::vector<ScanEntry> entries, ThumbnailRecipe recipe,
                  Handlers handlers, int workers = 0, QObject* parent = nullptr,
                  qint64 bytesInFlight = kBytesInFlight);
    ~ThumbnailScan() override;

    void start();
    // Stops the workers and drops results not yet handed over.
    void cancel();
    bool isFinished() const { return finished_; }

private:
    struct Outcome {
        ThumbFile file;
        QString error;
        bool failed = false;
    };
    void work();
    void deliver(size_t index, Outcome outcome);
    void stopWorkers();

    std::shared_ptr<ImageLibrary> library_;
    std::vector<ScanEntry> entries_;
    ThumbnailRecipe recipe_;
    Handlers handlers_;
    int workerCount_;
    ScanBudget budget_;
    std::vector<std::thread> workers_;
    std::atomic<size_t> next_{0};
    std::atomic<bool> cancelled_{false};
    std::map<size_t, Outcome> waiting_;  // results that arrived ahead of their turn
    size_t delivered_ = 0;
    bool scalingReported_ = false;
    bool delivering_ = false;
    bool finished_ = false;
};
