#pragma once
// A media engine without GStreamer: it opens whatever it is told to, reports
// the length, picture size and position the test sets, and records the
// commands it got. Tests hand it to the player windows through the factory.
#include "platform/MediaBackend.h"
#include "platform/MediaEngine.h"

#include <QStringList>

#include <algorithm>
#include <memory>

struct FakeMedia {
    std::uint32_t openResult = MediaResult::Ok;
    std::int64_t lengthMs = 5000;
    std::int64_t positionMs = 0;
    bool video = false;
    QSize natural;
    QStringList commands;  // "open <file>", "play", "stop", "seek <ms>", ...
    MediaMode mode = MediaMode::NotReady;
    MediaTags tags;        // what every open file's tags say
    double volume = 1.0;
};

class FakeMediaEngine : public MediaEngine {
public:
    explicit FakeMediaEngine(FakeMedia& media) : m_(media) {}

    std::uint32_t open(const QString& fileName, int) override
    {
        m_.commands << QStringLiteral("open ") + fileName;
        open_ = m_.openResult == MediaResult::Ok;
        m_.mode = open_ ? MediaMode::Stopped : MediaMode::NotReady;
        return m_.openResult;
    }
    std::uint32_t close() override
    {
        m_.commands << QStringLiteral("close");
        open_ = false;
        m_.mode = MediaMode::NotReady;
        return MediaResult::Ok;
    }
    bool isOpen() const override { return open_; }
    std::uint32_t play() override { return record(QStringLiteral("play"), MediaMode::Playing); }
    std::uint32_t pause() override { return record(QStringLiteral("pause"), MediaMode::Paused); }
    std::uint32_t resume() override { return record(QStringLiteral("resume"), MediaMode::Playing); }
    std::uint32_t stop() override { return record(QStringLiteral("stop"), MediaMode::Stopped); }
    std::uint32_t seek(std::int64_t ms) override
    {
        m_.positionMs = std::clamp<std::int64_t>(ms, 0, m_.lengthMs);
        return record(QStringLiteral("seek %1").arg(ms), MediaMode::Stopped);
    }
    std::uint32_t step(std::int64_t ms, bool backward) override
    {
        return record(QStringLiteral("step %1%2").arg(QLatin1String(backward ? "-" : "+")).arg(ms), MediaMode::Paused);
    }
    std::uint32_t position(std::int64_t& ms) const override { return answer(ms = m_.positionMs); }
    std::uint32_t length(std::int64_t& ms) const override { return answer(ms = m_.lengthMs); }
    std::uint32_t mode(MediaMode& mode) const override { return answer(mode = m_.mode); }
    bool hasVideo() const override { return m_.video; }
    QSize naturalSize() const override { return m_.natural; }
    void setVideoOutputSize(QSize) override {}
    MediaTags tags() const override { return open_ ? m_.tags : MediaTags(); }
    double volume() const override { return m_.volume; }
    void setVolume(double volume) override { m_.volume = std::clamp(volume, 0.0, 1.0); }

    // A factory that builds engines over media.
    static MediaEngineFactory factory(FakeMedia& media)
    {
        return [&media] { return std::make_unique<FakeMediaEngine>(media); };
    }

private:
    template <class T>
    std::uint32_t answer(const T&) const
    {
        return open_ ? MediaResult::Ok : MediaResult::NoDevice;
    }
    std::uint32_t record(const QString& command, MediaMode mode)
    {
        m_.commands << command;
        if (!open_)
            return MediaResult::NoDevice;
        m_.mode = mode;
        return MediaResult::Ok;
    }

    FakeMedia& m_;
    bool open_ = false;
};
