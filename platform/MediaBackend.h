#pragma once
// Plays one media file through a GStreamer playbin. Everything here is called
// on the user-interface thread; completion notices and video frames arrive
// there too, through the Qt event loop. Failures are result codes (0 = done),
// stable numbers of our own that errorText() turns into GStreamer's message.
#include "platform/MediaEngine.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include <gst/video/video.h>

#include "platform/GstHandles.h"

namespace MediaResult {
constexpr std::uint32_t Ok = 0;
constexpr std::uint32_t FileNotFound = 301;     // no file of that name
constexpr std::uint32_t CannotRead = 302;       // the file exists but cannot be read
constexpr std::uint32_t ResourceFailed = 303;   // another input/output failure
constexpr std::uint32_t NotMedia = 310;         // no known media type in the file
constexpr std::uint32_t EmptyFile = 311;        // the file holds no data at all
constexpr std::uint32_t MissingDecoder = 312;   // a stream needs a decoder we do not have
constexpr std::uint32_t DecodeFailed = 313;     // the decoder gave up on the data
constexpr std::uint32_t DemuxFailed = 314;      // the container could not be split into streams
constexpr std::uint32_t BadFormat = 315;        // the stream is malformed
constexpr std::uint32_t WrongType = 316;        // the stream is of the wrong kind
constexpr std::uint32_t StreamFailed = 317;     // another stream failure
constexpr std::uint32_t MissingElement = 320;   // an element of the pipeline is not installed
constexpr std::uint32_t StateChangeFailed = 321;
constexpr std::uint32_t EngineFailed = 322;     // another failure inside the engine
constexpr std::uint32_t OutputFailed = 323;     // the sound or picture output failed
constexpr std::uint32_t NoDevice = 330;         // no file is open
constexpr std::uint32_t NotReadyInTime = 331;   // the file did not become ready to play in time
constexpr std::uint32_t Unsupported = 332;      // the command does not apply to this file
}  // namespace MediaResult

class MediaBackend : public QObject, public MediaEngine {
    Q_OBJECT
public:
    explicit MediaBackend(QObject* parent = nullptr);
    ~MediaBackend() override;

    std::uint32_t open(const QString& fileName, int timeoutMs = 10000) override;
    std::uint32_t close() override;
    bool isOpen() const override { return open_; }

    std::uint32_t play() override;
    std::uint32_t pause() override;
    std::uint32_t resume() override;
    std::uint32_t stop() override;
    std::uint32_t seek(std::int64_t ms) override;
    std::uint32_t step(std::int64_t ms, bool backward) override;

    std::uint32_t position(std::int64_t& ms) const override;
    std::uint32_t length(std::int64_t& ms) const override;
    std::uint32_t mode(MediaMode& mode) const override;

    bool hasVideo() const override { return hasVideo_; }
    QSize naturalSize() const override { return natural_; }
    void setVideoOutputSize(QSize size) override;

    MediaTags tags() const override { return tags_; }
    double volume() const override { return volume_; }
    void setVolume(double volume) override;

    // GStreamer's message for a result code; empty when the code has none.
    static QString errorText(std::uint32_t code);

private:
    struct Queued {
        std::uint64_t generation;
        GstMessagePtr message;
    };

    static GstBusSyncReply busSync(GstBus* bus, GstMessage* message, gpointer self);
    static GstFlowReturn newSample(GstElement* sink, gpointer self);
    static GstFlowReturn newPreroll(GstElement* sink, gpointer self);

    void buildPipeline();
    void takeSample(GstSamplePtr sample);
    void deliverFrame();
    void drainBus();
    void handle(GstMessage* message, bool current);
    std::uint32_t waitPreroll(int timeoutMs);
    std::uint32_t settle(int timeoutMs = 5000);
    void takeTags(GstMessage* message);
    void readStreamFacts();
    void updateLength();
    std::int64_t rawPositionMs() const;
    void applyOutputCaps();
    void complete(MediaCompletion result);
    void endPending(MediaCompletion result);
    void shutDown();
    static std::uint32_t codeFor(const GError* error, const QString& fileName);

    GstElementPtr pipeline_;
    GstElement* capsFilter_ = nullptr;  // owned by the pipeline
    GstBusPtr bus_;

    std::mutex queueMutex_;
    std::condition_variable queueReady_;
    std::deque<Queued> queue_;
    std::atomic<std::uint64_t> generation_{0};

    std::mutex frameMutex_;
    VideoFrame pendingFrame_;
    bool frameQueued_ = false;

    QString fileName_;
    bool open_ = false;
    bool hasVideo_ = false;
    bool atEnd_ = false;
    bool notifyPending_ = false;
    MediaMode mode_ = MediaMode::NotReady;
    std::int64_t lengthMs_ = 0;
    bool lengthEstimated_ = false;
    bool lengthFromHeaders_ = false;
    // Where the stream's own clock stands at its first frame.
    std::int64_t originMs_ = 0;
    QSize natural_;
    QSize outputSize_;
    MediaTags tags_;
    double volume_ = 1.0;
};
