#pragma once
// A JPEG decoded on a thread of its own, top to bottom, straight into its
// picture's pixels: the decoding runs while the window that shows it is
// still being laid out and painted, on a core the window does not use. A
// reader waits only for the rows it needs.
#include "imagelib/decode/JpegDecoder.h"
#include "imagelib/decode/Picture.h"

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class JpegRowReader {
public:
    // Reads the header; throws EInvalidGraphic for data that is no JPEG or
    // declares a picture beyond the screen window's limits.
    explicit JpegRowReader(const QByteArray& jpeg);
    // Stops the decoding between two steps and waits for it.
    ~JpegRowReader();
    JpegRowReader(const JpegRowReader&) = delete;
    JpegRowReader& operator=(const JpegRowReader&) = delete;

    int width() const { return decoder_.width(); }
    int height() const { return decoder_.height(); }

    // Makes the picture (black) at scale n/8 and starts decoding into it;
    // once only.
    imagedecode::Picture start(int scale);
    // Runs once the decoding has ended, whether every row was read or the
    // data broke: on the decoding thread, or here when it has ended already.
    // Not when the reader is destroyed before.
    void whenDone(std::function<void()> done);

    // Rows from the top that hold their pixels.
    int rowsReady() const { return rowsReady_.load(std::memory_order_acquire); }
    bool isDone() const;
    // Waits until at least rows are ready or the decoding has ended. Data
    // that broke on the way throws EInvalidGraphic here, once.
    void waitFor(int rows);

private:
    void decodeAll(std::uint8_t* pixels, std::size_t stride, int rows);

    QByteArray data_;  // keeps the bytes the decoder reads alive
    imagedecode::JpegDecoder decoder_;
    std::function<void()> whenDone_;
    std::atomic<int> rowsReady_{0};
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::condition_variable progressed_;
    bool done_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};
