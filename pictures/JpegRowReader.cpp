#include "pictures/JpegRowReader.h"

#include "pictures/PictureImage.h"

#include <algorithm>

namespace {

// Rows are published in steps of about this many pixels (a millisecond or
// so of decoding): small enough that a paint waiting for its rows starts
// soon after they are there.
constexpr int kPixelsPerStep = 1 << 18;

}  // namespace

JpegRowReader::JpegRowReader(const QByteArray& jpeg)
    : data_(jpeg), decoder_(decodeToImage([&] { return imagedecode::JpegDecoder(bytesOf(data_), kScreenLimits); }))
{
}

JpegRowReader::~JpegRowReader()
{
    stop_.store(true, std::memory_order_relaxed);
    if (thread_.joinable())
        thread_.join();
}

imagedecode::Picture JpegRowReader::start(int scale)
{
    imagedecode::Picture picture = decodeToImage([&] { return decoder_.start(scale, screenOptions()); });
    thread_ = std::thread(&JpegRowReader::decodeAll, this, picture.row(0), picture.stride(), picture.height());
    return picture;
}

void JpegRowReader::decodeAll(std::uint8_t* pixels, std::size_t stride, int rows)
{
    const int step = std::max(1, kPixelsPerStep / std::max(1, decoder_.width()));
    std::exception_ptr failure;
    try {
        int ready = 0;
        while (ready < rows && !stop_.load(std::memory_order_relaxed)) {
            ready = decodeToImage([&] { return decoder_.readRows(pixels, stride, std::min(rows, ready + step)); });
            {
                // Published under the lock, so that a waiter cannot miss the wake-up.
                const std::lock_guard lock(mutex_);
                rowsReady_.store(ready, std::memory_order_release);
            }
            progressed_.notify_all();
        }
    } catch (...) {
        failure = std::current_exception();
    }
    std::function<void()> done;
    {
        const std::lock_guard lock(mutex_);
        done_ = true;
        failure_ = failure;
        done = std::move(whenDone_);
    }
    progressed_.notify_all();
    if (done && !stop_.load(std::memory_order_relaxed))
        done();
}

void JpegRowReader::whenDone(std::function<void()> done)
{
    {
        const std::lock_guard lock(mutex_);
        if (!done_) {
            whenDone_ = std::move(done);
            return;
        }
    }
    if (done)
        done();
}

bool JpegRowReader::isDone() const
{
    const std::lock_guard lock(mutex_);
    return done_;
}

void JpegRowReader::waitFor(int rows)
{
    std::unique_lock lock(mutex_);
    progressed_.wait(lock, [&] { return done_ || rowsReady_.load(std::memory_order_relaxed) >= rows; });
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
}
