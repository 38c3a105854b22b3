#pragma once
// The media engine the player control drives: one open file at a time.
// Failures are result codes (0 = done, see MediaResult); completion notices
// and video frames arrive on the user-interface thread. The real engine is
// MediaBackend; tests hand the player a fake through the factory.
#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <atomic>
#include <functional>
#include <memory>

#include "platform/VideoFrame.h"

enum class MediaMode { NotReady, Stopped, Playing, Recording, Seeking, Paused, Open };

enum class MediaCompletion { Successful, Superseded, Aborted, Failure };

// What the open file's tags say of it; a field stays empty where they say
// nothing. Tags are untrusted: every text is cut to kMaxChars and the
// number of artists to kMaxArtists; a cover over kMaxCoverBytes is left out.
struct MediaTags {
    static constexpr qsizetype kMaxChars = 1024;
    static constexpr qsizetype kMaxArtists = 8;
    static constexpr qsizetype kMaxCoverBytes = 4 * 1024 * 1024;

    QString title;
    QStringList artists;
    QString album;
    QByteArray cover;      // a picture file's bytes, as embedded
    QString coverSuffix;   // "jpg", "png", ... the cover's own format

    bool operator==(const MediaTags&) const = default;
};

class MediaEngine {
public:
    virtual ~MediaEngine() = default;

    // Opens the file and waits (at most timeoutMs) until its first frame is
    // ready; on failure nothing stays open.
    virtual std::uint32_t open(const QString& fileName, int timeoutMs = 10000) = 0;
    virtual std::uint32_t close() = 0;
    virtual bool isOpen() const = 0;

    // Plays from the current position; completion is reported later.
    virtual std::uint32_t play() = 0;
    virtual std::uint32_t pause() = 0;
    // Continues a paused playback; completion is reported later.
    virtual std::uint32_t resume() = 0;
    virtual std::uint32_t stop() = 0;
    // Moves to ms (clamped to the length) and stays stopped there.
    virtual std::uint32_t seek(std::int64_t ms) = 0;
    // Moves by ms forward or backward and stays paused there.
    virtual std::uint32_t step(std::int64_t ms, bool backward) = 0;

    virtual std::uint32_t position(std::int64_t& ms) const = 0;
    virtual std::uint32_t length(std::int64_t& ms) const = 0;
    virtual std::uint32_t mode(MediaMode& mode) const = 0;

    virtual bool hasVideo() const = 0;
    virtual QSize naturalSize() const = 0;
    // The size frames are scaled to before they are delivered; an empty size
    // delivers the natural size.
    virtual void setVideoOutputSize(QSize size) = 0;

    // The tags the open file has told so far; they may grow while it plays.
    virtual MediaTags tags() const = 0;
    // The loudness, linear from 0.0 (silent) to 1.0 (as recorded); it stays
    // from file to file. Values outside are brought into that range.
    virtual double volume() const = 0;
    virtual void setVolume(double volume) = 0;

    std::function<void(MediaCompletion)> onCompletion;
    // Frames come in the stream's own pixel format.
    std::function<void(const VideoFrame&)> onFrame;
};

using MediaEngineFactory = std::function<std::unique_ptr<MediaEngine>()>;

// Builds the real engine.
std::unique_ptr<MediaEngine> makeMediaBackend();
// Loads what the real engine's first open of a common music or video file
// needs (its plugins and the libraries behind them), so that the first
// launch does not wait for them. Safe on any thread; stops between plugins
// once stop is set.
void preloadMediaBackend(const std::atomic_bool& stop);
