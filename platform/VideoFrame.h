#pragma once
// One decoded video picture as the engine delivered it, in the stream's own
// pixel format. It becomes screen pixels only where it is drawn: a picture
// shown at its own size is converted straight into the window's memory, with
// no picture-sized copy on the way.
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QSize>

#include <memory>

typedef struct _GstBuffer GstBuffer;
typedef struct _GstVideoInfo GstVideoInfo;

class VideoFrame {
public:
    VideoFrame() = default;
    // Keeps a reference to buffer, which holds a picture laid out as info says.
    VideoFrame(GstBuffer* buffer, const GstVideoInfo& info);

    bool isNull() const { return !data_; }
    QSize size() const;

    struct Data;

private:
    friend class VideoFrameWriter;
    std::shared_ptr<const Data> data_;
};

// Writes frames unscaled into images, keeping the conversion it set up for
// one frame for the next frame of the same kind in the same place.
class VideoFrameWriter {
public:
    VideoFrameWriter();
    ~VideoFrameWriter();
    VideoFrameWriter(const VideoFrameWriter&) = delete;
    VideoFrameWriter& operator=(const VideoFrameWriter&) = delete;

    // Writes frame into target with its top-left corner at `at`, only inside
    // area (target coordinates; cut to the frame and the target). False, with
    // target untouched, when the target's pixel format is not one it writes
    // or the frame cannot be read.
    bool write(const VideoFrame& frame, QImage& target, QPoint at, const QRegion& area);

private:
    struct Conversion;
    std::unique_ptr<Conversion> conversion_;
};
