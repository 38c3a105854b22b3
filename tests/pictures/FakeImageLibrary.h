#pragma once
// A picture library in memory for the viewer, grid and window tests. A
// picture file on disk holds only its key (its own path, padded); the fake
// answers for it from the pictures it was given.
#include "pictures/DibBitmap.h"
#include "pictures/ImageLibrary.h"
#include "platform/Errors.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

class FakeImageLibrary : public ImageLibrary {
public:
    struct Picture {
        QString format;
        int bitsPerPixel = 24;      // as fileinfo reports it and the block comes out
        std::vector<QImage> pages;  // one per page
    };

    // Writes a file for the picture and remembers what it holds.
    void addFile(const QString& path, Picture picture)
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(path.toUtf8().leftJustified(40, ' '));
        std::lock_guard lock(mutex_);
        pictures_.insert(path, std::move(picture));
    }
    static Picture colour(int w, int h, QColor c = Qt::red, const QString& format = QStringLiteral("JPEG"))
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(c);
        return {format, 24, {image}};
    }

    std::atomic<bool> readingAvailable{true};
    std::atomic<bool> scalingAvailable{true};
    std::atomic<int> reads{0};
    std::atomic<int> infos{0};  // fileInfo calls
    std::atomic<int> scalingCalls{0};
    int lastReadBits = 0;
    int lastReadPage = -1;
    int lastMaxSide = -1;

    // While closed, reads wait until it opens (or the fake is destroyed).
    void closeGate() { std::lock_guard lock(mutex_); gateOpen_ = false; }
    void openGate()
    {
        { std::lock_guard lock(mutex_); gateOpen_ = true; }
        gate_.notify_all();
    }
    ~FakeImageLibrary() override { openGate(); }

    void loadReadingLibrary() override { checkReading(); }
    FileInfo fileInfo(const QString& path) override
    {
        checkReading();
        ++infos;
        FileInfo info;
        std::lock_guard lock(mutex_);
        auto it = pictures_.constFind(path);
        if (it == pictures_.constEnd()) {
            info.code = -5;
            info.errorText = QStringLiteral("Not a picture");
            return info;
        }
        info.code = 1;
        info.format = it->format;
        info.width = it->pages.empty() ? 0 : it->pages.front().width();
        info.height = it->pages.empty() ? 0 : it->pages.front().height();
        info.bitsPerPixel = it->bitsPerPixel;
        return info;
    }
    PageInfo pageInfo(const QString& path, int) override
    {
        checkReading();
        std::lock_guard lock(mutex_);
        PageInfo info;
        auto it = pictures_.constFind(path);
        info.code = it == pictures_.constEnd() ? -1 : 0;
        info.lastPage = it == pictures_.constEnd() ? 0 : int(it->pages.size()) - 1;
        return info;
    }
    ReadResult readFile(ImageReader, const QString& path, const ReadRequest& request) override
    {
        return read(path, request);
    }
    ReadResult readMemory(ImageReader, QByteArrayView data, const ReadRequest& request) override
    {
        return read(QString::fromUtf8(data.toByteArray()).trimmed(), request);
    }
    DibBlock raiseDepth(const DibBlock& block, int toBits) override
    {
        return bitmapToBlock(plainBlockToBitmap(block).image, toBits);
    }
    DibBlock expandRunLength(const DibBlock&) override { return {}; }
    void annotation(AnnotationCall, void*) override { checkReading(); }
    DibBlock scale(const DibBlock& block, int w, int h) override { return scaled(block, w, h, 24); }
    DibBlock scaleToGray(const DibBlock& block, int w, int h, int) override { return scaled(block, w, h, 8); }
    DibBlock reduce(const DibBlock& block, int bits, bool) override
    {
        checkScaling();
        return bitmapToBlock(plainBlockToBitmap(block).image, bits == 4 ? 8 : bits);
    }

    static QString missing(const char* name)
    {
        return QStringLiteral("Can't load %1. Make sure its located in the application's searchpath.").arg(name);
    }

private:
    void checkReading()
    {
        if (!readingAvailable)
            throw EImageLibUnavailable(missing("libcrde2001.so"));
    }
    void checkScaling()
    {
        ++scalingCalls;
        if (!scalingAvailable)
            throw EImageLibUnavailable(missing("libisp2000.so"));
    }
    DibBlock scaled(const DibBlock& block, int w, int h, int bits)
    {
        checkScaling();
        return bitmapToBlock(plainBlockToBitmap(block).image.scaled(w, h), bits);
    }
    ReadResult read(const QString& key, const ReadRequest& request)
    {
        checkReading();
        std::unique_lock lock(mutex_);
        gate_.wait(lock, [this] { return gateOpen_; });
        ++reads;
        lastReadBits = request.bitsPerPixel;
        lastReadPage = request.pageOrMode;
        lastMaxSide = request.maxSide;
        ReadResult result;
        auto it = pictures_.constFind(key);
        if (it == pictures_.constEnd() || request.pageOrMode >= int(it->pages.size())) {
            result.code = -3;
            return result;
        }
        result.code = 1;
        const int bits = it->bitsPerPixel <= 1 ? 1 : (it->bitsPerPixel <= 8 ? 8 : 24);
        result.block = bitmapToBlock(it->pages[size_t(request.pageOrMode)], bits);
        return result;
    }

    std::mutex mutex_;
    std::condition_variable gate_;
    bool gateOpen_ = true;
    QHash<QString, Picture> pictures_;
};
