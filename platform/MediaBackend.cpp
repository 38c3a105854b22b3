#include "MediaBackend.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <cmath>

#include <sys/stat.h>

#include "platform/AudioFrames.h"
#include "platform/GStreamerMessages.h"
#include "platform/GstTags.h"

namespace {

void initGStreamer()
{
    gst_init(nullptr, nullptr);
    routeGStreamerMessages();
}

// The formats frames are delivered in: what decoders commonly give, so the
// stream passes through untouched and each frame is converted once, where it
// is drawn. Anything else is converted to one of these first.
constexpr const char* kFrameCaps = "video/x-raw,format={I420,YV12,NV12,NV21,Y42B,Y444,BGRx}";

// Pictures up to this many pixels are decoded on one thread: a single core
// keeps up with them even on a slow machine, and the threads' hand-overs cost
// more than they share. Larger ones keep the decoder's own threading, so that
// a slow machine does not drop their frames.
constexpr gint64 kOneThreadPixels = 1280 * 736;

// Sets a decoder's thread count from the picture size its stream announces,
// before the decoder sees the announcement and opens its codec.
GstPadProbeReturn chooseDecoderThreads(GstPad* pad, GstPadProbeInfo* info, gpointer)
{
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_CAPS)
        return GST_PAD_PROBE_OK;
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    gint width = 0;
    gint height = 0;
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    if (s && gst_structure_get_int(s, "width", &width) && gst_structure_get_int(s, "height", &height)) {
        const GstElementPtr decoder(gst_pad_get_parent_element(pad));
        if (decoder)
            g_object_set(decoder.get(), "max-threads", gint64(width) * height <= kOneThreadPixels ? 1 : 0, nullptr);
    }
    return GST_PAD_PROBE_OK;
}

// playbin's flag for subtitles; we never show them.
constexpr guint kPlayFlagText = 1u << 2;

std::int64_t nsToMs(gint64 ns)
{
    return (ns + GST_MSECOND / 2) / GST_MSECOND;
}

QString gstMessage(GQuark domain, gint code)
{
    const GCharPtr text(gst_error_get_message(domain, code));
    return QString::fromUtf8(text.get());
}

// Our codes, in order, with the GStreamer message each one shows.
QString textFor(std::uint32_t code)
{
    using namespace MediaResult;
    switch (code) {
    case FileNotFound: return gstMessage(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND);
    case CannotRead: return gstMessage(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_READ);
    case ResourceFailed: return gstMessage(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_FAILED);
    case NotMedia: return gstMessage(GST_STREAM_ERROR, GST_STREAM_ERROR_TYPE_NOT_FOUND);
    // The type finder's own words for a stream without a single byte.
    case EmptyFile: return QString::fromUtf8(g_dgettext("gstreamer-1.0", "Stream contains no data."));
    case MissingDecoder: return gstMessage(GST_STREAM_ERROR, GST_STREAM_ERROR_CODEC_NOT_FOUND);
    case DecodeFailed: return gstMessage(GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE);
    case DemuxFailed: return gstMessage(GST_STREAM_ERROR, GST_STREAM_ERROR_DEMUX);
    case BadFormat: return gstMessage(GST_STREAM_ERROR, GST_STREAM_ERROR_FORMAT);
    case WrongType: return gstMessage(GST_STREAM_ERROR, GST_STREAM_ERROR_WRONG_TYPE);
    case StreamFailed: return gstMessage(GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED);
    case MissingElement: return gstMessage(GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN);
    case StateChangeFailed: return gstMessage(GST_CORE_ERROR, GST_CORE_ERROR_STATE_CHANGE);
    case EngineFailed: return gstMessage(GST_CORE_ERROR, GST_CORE_ERROR_FAILED);
    case OutputFailed: return gstMessage(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_WRITE);
    case NoDevice: return QStringLiteral("No file is open");
    case NotReadyInTime: return QStringLiteral("The file did not become ready to play in time");
    case Unsupported: return QStringLiteral("The command does not apply to this file");
    default: return {};
    }
}

}  // namespace

MediaBackend::MediaBackend(QObject* parent) : QObject(parent)
{
    initGStreamer();
    // MP3 is decoded by mpg123 rather than by the general video decoders'
    // library, which an MP3 would otherwise make the program load whole.
    if (GstPluginFeature* mp3 = gst_registry_lookup_feature(gst_registry_get(), "mpg123audiodec")) {
        gst_plugin_feature_set_rank(mp3, GST_RANK_PRIMARY + 1);
        gst_object_unref(mp3);
    }
}

MediaBackend::~MediaBackend()
{
    shutDown();
}

void MediaBackend::shutDown()
{
    if (!pipeline_)
        return;
    // Stopping joins the streaming threads, so no callback can follow.
    gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    gst_bus_set_sync_handler(bus_.get(), nullptr, nullptr, nullptr);
    std::lock_guard lock(queueMutex_);
    queue_.clear();
}

void MediaBackend::buildPipeline()
{
    if (pipeline_)
        return;
    GstElementPtr playbin(gst_element_factory_make("playbin", nullptr));
    GError* rawError = nullptr;
    GstElement* videoSink = gst_parse_bin_from_description(
        "videoconvertscale ! capsfilter name=format ! "
        "appsink name=frames sync=true qos=true max-buffers=1 enable-last-sample=false",
        TRUE, &rawError);
    const GErrorPtr error(rawError);
    if (!playbin || !videoSink || error) {
        if (videoSink)
            gst_object_unref(gst_object_ref_sink(videoSink));
        return;
    }
    // The bin is floating until playbin takes it.
    g_object_set(playbin.get(), "video-sink", videoSink, nullptr);

    GstElementPtr appSink(gst_bin_get_by_name(GST_BIN(videoSink), "frames"));
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = [](GstAppSink* sink, gpointer self) { return newPreroll(GST_ELEMENT(sink), self); };
    callbacks.new_sample = [](GstAppSink* sink, gpointer self) { return newSample(GST_ELEMENT(sink), self); };
    gst_app_sink_set_callbacks(GST_APP_SINK(appSink.get()), &callbacks, this, nullptr);
    GstElementPtr filter(gst_bin_get_by_name(GST_BIN(videoSink), "format"));
    capsFilter_ = filter.get();

    g_signal_connect(playbin.get(), "element-setup", G_CALLBACK(+[](GstElement*, GstElement* element, gpointer) {
                         if (!GST_IS_VIDEO_DECODER(element) ||
                             !g_object_class_find_property(G_OBJECT_GET_CLASS(element), "max-threads"))
                             return;
                         const GstPadPtr sink(gst_element_get_static_pad(element, "sink"));
                         if (sink)
                             gst_pad_add_probe(sink.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, chooseDecoderThreads,
                                               nullptr, nullptr);
                     }),
                     nullptr);

    guint flags = 0;
    g_object_get(playbin.get(), "flags", &flags, nullptr);
    g_object_set(playbin.get(), "flags", flags & ~kPlayFlagText, nullptr);
    g_object_set(playbin.get(), "volume", volume_, nullptr);

    bus_.reset(gst_element_get_bus(playbin.get()));
    gst_bus_set_sync_handler(bus_.get(), &MediaBackend::busSync, this, nullptr);
    pipeline_ = std::move(playbin);
}

GstBusSyncReply MediaBackend::busSync(GstBus*, GstMessage* message, gpointer data)
{
    // Runs on whichever thread posted; the message is handled on ours.
    auto* self = static_cast<MediaBackend*>(data);
    bool wake = false;
    {
        std::lock_guard lock(self->queueMutex_);
        wake = self->queue_.empty();
        self->queue_.push_back({self->generation_.load(), GstMessagePtr(gst_message_ref(message))});
    }
    self->queueReady_.notify_all();
    if (wake)
        QMetaObject::invokeMethod(self, [self] { self->drainBus(); }, Qt::QueuedConnection);
    return GST_BUS_DROP;
}

GstFlowReturn MediaBackend::newSample(GstElement* sink, gpointer self)
{
    static_cast<MediaBackend*>(self)->takeSample(GstSamplePtr(gst_app_sink_pull_sample(GST_APP_SINK(sink))));
    return GST_FLOW_OK;
}

GstFlowReturn MediaBackend::newPreroll(GstElement* sink, gpointer self)
{
    static_cast<MediaBackend*>(self)->takeSample(GstSamplePtr(gst_app_sink_pull_preroll(GST_APP_SINK(sink))));
    return GST_FLOW_OK;
}

void MediaBackend::takeSample(GstSamplePtr sample)
{
    if (!sample)
        return;
    // appsink reuses its sample object and sets new caps on it (a loop's
    // seek sends them again), so we keep the buffer and its format, never
    // the sample itself.
    GstBuffer* buffer = gst_sample_get_buffer(sample.get());
    GstVideoInfo info;
    if (!buffer || !gst_video_info_from_caps(&info, gst_sample_get_caps(sample.get())))
        return;
    VideoFrame frame(buffer, info);
    sample.reset();
    std::lock_guard lock(frameMutex_);
    pendingFrame_ = std::move(frame);
    // Only the newest frame is worth drawing; one delivery at a time.
    if (!frameQueued_) {
        frameQueued_ = true;
        QMetaObject::invokeMethod(this, [this] { deliverFrame(); }, Qt::QueuedConnection);
    }
}

void MediaBackend::deliverFrame()
{
    VideoFrame frame;
    {
        std::lock_guard lock(frameMutex_);
        frame = std::move(pendingFrame_);
        pendingFrame_ = VideoFrame();
        frameQueued_ = false;
    }
    if (!frame.isNull() && onFrame && open_)
        onFrame(frame);
}

void MediaBackend::drainBus()
{
    for (;;) {
        Queued item;
        {
            std::lock_guard lock(queueMutex_);
            if (queue_.empty())
                return;
            item = std::move(queue_.front());
            queue_.pop_front();
        }
        handle(item.message.get(), item.generation == generation_.load());
    }
}

void MediaBackend::handle(GstMessage* message, bool current)
{
    if (!open_)
        return;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        if (!current)
            break;
        // Where the stream really ended is the best length there is, unless
        // the frame headers told it exactly.
        if (const std::int64_t end = rawPositionMs() - originMs_;
            end > 0 && !lengthFromHeaders_ && (lengthEstimated_ || end > lengthMs_))
            lengthMs_ = end;
        atEnd_ = true;
        mode_ = MediaMode::Stopped;
        gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
        endPending(MediaCompletion::Successful);
        break;
    case GST_MESSAGE_ERROR:
        if (!current)
            break;
        mode_ = MediaMode::Stopped;
        gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
        endPending(MediaCompletion::Failure);
        break;
    case GST_MESSAGE_TAG:
        // Tags of an earlier place in the same file are still its tags.
        takeTags(message);
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        // Some streams only know their length late; once they have ended,
        // their end is the length.
        if (!atEnd_ && !lengthFromHeaders_)
            updateLength();
        break;
    default:
        break;
    }
}

void MediaBackend::complete(MediaCompletion result)
{
    // Reported from the event loop, never from inside the command.
    QMetaObject::invokeMethod(
        this,
        [this, result] {
            if (onCompletion)
                onCompletion(result);
        },
        Qt::QueuedConnection);
}

void MediaBackend::endPending(MediaCompletion result)
{
    if (!notifyPending_)
        return;
    notifyPending_ = false;
    complete(result);
}

std::uint32_t MediaBackend::codeFor(const GError* error, const QString& fileName)
{
    using namespace MediaResult;
    if (error->domain == GST_RESOURCE_ERROR) {
        switch (error->code) {
        case GST_RESOURCE_ERROR_NOT_FOUND: return FileNotFound;
        case GST_RESOURCE_ERROR_OPEN_READ:
        case GST_RESOURCE_ERROR_READ:
        case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
        case GST_RESOURCE_ERROR_NOT_AUTHORIZED: return CannotRead;
        case GST_RESOURCE_ERROR_OPEN_WRITE:
        case GST_RESOURCE_ERROR_WRITE:
        case GST_RESOURCE_ERROR_BUSY: return OutputFailed;
        default: return ResourceFailed;
        }
    }
    if (error->domain == GST_STREAM_ERROR) {
        switch (error->code) {
        case GST_STREAM_ERROR_TYPE_NOT_FOUND: {
            const QFileInfo info(fileName);
            return info.exists() && info.size() == 0 ? EmptyFile : NotMedia;
        }
        case GST_STREAM_ERROR_CODEC_NOT_FOUND: return MissingDecoder;
        case GST_STREAM_ERROR_DECODE: return DecodeFailed;
        case GST_STREAM_ERROR_DEMUX: return DemuxFailed;
        case GST_STREAM_ERROR_FORMAT: return BadFormat;
        case GST_STREAM_ERROR_WRONG_TYPE: return WrongType;
        default: return StreamFailed;
        }
    }
    if (error->domain == GST_CORE_ERROR) {
        switch (error->code) {
        case GST_CORE_ERROR_MISSING_PLUGIN: return MissingDecoder;
        case GST_CORE_ERROR_STATE_CHANGE: return StateChangeFailed;
        default: return EngineFailed;
        }
    }
    return EngineFailed;
}

std::uint32_t MediaBackend::open(const QString& fileName, int timeoutMs)
{
    close();
    buildPipeline();
    if (!pipeline_)
        return MediaResult::MissingElement;
    // Only a regular file (after links) can be played: opening anything else,
    // a named pipe above all, could wait for ever inside the state change.
    struct stat st {};
    if (fileName.isEmpty() || ::stat(QFile::encodeName(fileName).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return MediaResult::FileNotFound;
    const GCharPtr uri(gst_filename_to_uri(QFile::encodeName(fileName).constData(), nullptr));
    if (!uri)
        return MediaResult::FileNotFound;
    g_object_set(pipeline_.get(), "uri", uri.get(), nullptr);
    fileName_ = fileName;
    tags_ = MediaTags();
    outputSize_ = QSize();
    applyOutputCaps();
    // open_ lets the first frame through to the display.
    open_ = true;
    const std::uint32_t result = waitPreroll(timeoutMs);
    if (result != MediaResult::Ok) {
        open_ = false;
        tags_ = MediaTags();
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
        ++generation_;
        std::lock_guard lock(queueMutex_);
        queue_.clear();
        return result;
    }
    atEnd_ = false;
    notifyPending_ = false;
    mode_ = MediaMode::Stopped;
    readStreamFacts();
    originMs_ = std::max<std::int64_t>(0, rawPositionMs());
    return MediaResult::Ok;
}

std::uint32_t MediaBackend::waitPreroll(int timeoutMs)
{
    const GstStateChangeReturn change = gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
    if (change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL)
        return MediaResult::Ok;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(queueMutex_);
    for (;;) {
        if (queue_.empty() && !queueReady_.wait_until(lock, deadline, [this] { return !queue_.empty(); }))
            return change == GST_STATE_CHANGE_FAILURE ? MediaResult::StateChangeFailed
                                                      : MediaResult::NotReadyInTime;
        GstMessagePtr message = std::move(queue_.front().message);
        queue_.pop_front();
        // Most files tell their tags before they are ready to play.
        if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_TAG) {
            lock.unlock();
            takeTags(message.get());
            lock.lock();
            continue;
        }
        if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
            GError* rawError = nullptr;
            gst_message_parse_error(message.get(), &rawError, nullptr);
            const GErrorPtr error(rawError);
            return codeFor(error.get(), fileName_);
        }
        if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ASYNC_DONE &&
            GST_MESSAGE_SRC(message.get()) == GST_OBJECT(pipeline_.get()))
            return MediaResult::Ok;
    }
}

void MediaBackend::takeTags(GstMessage* message)
{
    GstTagList* list = nullptr;
    gst_message_parse_tag(message, &list);
    mergeGstTags(tags_, list);
    if (list)
        gst_tag_list_unref(list);
}

void MediaBackend::readStreamFacts()
{
    lengthMs_ = 0;
    lengthFromHeaders_ = false;
    updateLength();
    gint videoStreams = 0;
    g_object_get(pipeline_.get(), "n-video", &videoStreams, nullptr);
    hasVideo_ = videoStreams > 0;
    natural_ = QSize();
    if (!hasVideo_) {
        // Bare MP3 and AC-3 streams have no length of their own; GStreamer
        // estimates one from the bitrate, wrongly for VBR. Their frame
        // headers give it exactly.
        if (const auto ms = audioFileLengthMs(fileName_)) {
            lengthMs_ = *ms;
            lengthFromHeaders_ = true;
        }
    }
    // Without a length at open, what the stream tells later is an estimate.
    lengthEstimated_ = lengthMs_ == 0;
    if (!hasVideo_)
        return;
    GstPad* rawPad = nullptr;
    g_signal_emit_by_name(pipeline_.get(), "get-video-pad", 0, &rawPad);
    const GstPadPtr pad(rawPad);
    const GstCapsPtr caps(pad ? gst_pad_get_current_caps(pad.get()) : nullptr);
    GstVideoInfo info;
    if (!caps || !gst_video_info_from_caps(&info, caps.get()))
        return;
    // Square pixels on screen: stretch the width by the pixel aspect ratio.
    const int parN = std::max(1, GST_VIDEO_INFO_PAR_N(&info));
    const int parD = std::max(1, GST_VIDEO_INFO_PAR_D(&info));
    const auto width = static_cast<int>(gst_util_uint64_scale_int_round(GST_VIDEO_INFO_WIDTH(&info), parN, parD));
    natural_ = QSize(width, GST_VIDEO_INFO_HEIGHT(&info));
}

std::int64_t MediaBackend::rawPositionMs() const
{
    gint64 ns = 0;
    if (!gst_element_query_position(pipeline_.get(), GST_FORMAT_TIME, &ns) || ns < 0)
        return 0;
    return nsToMs(ns);
}

void MediaBackend::updateLength()
{
    gint64 ns = 0;
    if (pipeline_ && gst_element_query_duration(pipeline_.get(), GST_FORMAT_TIME, &ns) && ns >= 0)
        lengthMs_ = nsToMs(ns);
}

std::uint32_t MediaBackend::close()
{
    if (!open_)
        return MediaResult::Ok;
    endPending(MediaCompletion::Aborted);
    gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    ++generation_;
    {
        std::lock_guard lock(queueMutex_);
        queue_.clear();
    }
    {
        std::lock_guard lock(frameMutex_);
        pendingFrame_ = VideoFrame();
    }
    open_ = false;
    hasVideo_ = false;
    atEnd_ = false;
    mode_ = MediaMode::NotReady;
    lengthMs_ = 0;
    originMs_ = 0;
    natural_ = QSize();
    tags_ = MediaTags();
    return MediaResult::Ok;
}

std::uint32_t MediaBackend::settle(int timeoutMs)
{
    const GstStateChangeReturn result =
        gst_element_get_state(pipeline_.get(), nullptr, nullptr, GstClockTime(timeoutMs) * GST_MSECOND);
    if (result == GST_STATE_CHANGE_FAILURE)
        return MediaResult::StateChangeFailed;
    if (result == GST_STATE_CHANGE_ASYNC)
        return MediaResult::NotReadyInTime;
    return MediaResult::Ok;
}

std::uint32_t MediaBackend::play()
{
    if (!open_)
        return MediaResult::NoDevice;
    endPending(MediaCompletion::Superseded);
    notifyPending_ = true;
    if (atEnd_) {
        // Playing from the end reaches the end at once.
        mode_ = MediaMode::Stopped;
        endPending(MediaCompletion::Successful);
        return MediaResult::Ok;
    }
    if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        notifyPending_ = false;
        return MediaResult::StateChangeFailed;
    }
    mode_ = MediaMode::Playing;
    return MediaResult::Ok;
}

std::uint32_t MediaBackend::pause()
{
    if (!open_)
        return MediaResult::NoDevice;
    if (mode_ != MediaMode::Playing)
        return MediaResult::Ok;
    gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
    mode_ = MediaMode::Paused;
    return settle();
}

std::uint32_t MediaBackend::resume()
{
    if (!open_)
        return MediaResult::NoDevice;
    if (mode_ != MediaMode::Paused)
        return MediaResult::Unsupported;
    endPending(MediaCompletion::Superseded);
    if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        return MediaResult::StateChangeFailed;
    notifyPending_ = true;
    mode_ = MediaMode::Playing;
    return MediaResult::Ok;
}

std::uint32_t MediaBackend::stop()
{
    if (!open_)
        return MediaResult::NoDevice;
    endPending(MediaCompletion::Aborted);
    gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
    mode_ = MediaMode::Stopped;
    return settle();
}

std::uint32_t MediaBackend::seek(std::int64_t ms)
{
    if (!open_)
        return MediaResult::NoDevice;
    endPending(MediaCompletion::Aborted);
    gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
    std::int64_t length = 0;
    this->length(length);
    const std::int64_t target = std::clamp<std::int64_t>(ms, 0, length);
    mode_ = MediaMode::Seeking;
    const bool sent = gst_element_seek_simple(pipeline_.get(), GST_FORMAT_TIME,
                                              GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                              (target + originMs_) * GST_MSECOND);
    const std::uint32_t settled = settle();
    // Anything the stream said before the jump is about the old place.
    ++generation_;
    mode_ = MediaMode::Stopped;
    // The last instant of a stream is not a place a demuxer can seek to
    // reliably; we are there by definition.
    atEnd_ = target >= length;
    if (!sent && !atEnd_)
        return MediaResult::StateChangeFailed;
    return atEnd_ ? MediaResult::Ok : settled;
}

std::uint32_t MediaBackend::step(std::int64_t ms, bool backward)
{
    if (!open_)
        return MediaResult::NoDevice;
    if (!hasVideo_)
        return MediaResult::Unsupported;
    std::int64_t from = 0;
    position(from);
    std::int64_t length = 0;
    this->length(length);
    const std::int64_t target = backward ? from - ms : from + ms;
    gint audioStreams = 0;
    g_object_get(pipeline_.get(), "n-audio", &audioStreams, nullptr);
    // The step event moves only the picture, so it keeps sound and picture
    // together only when there is no sound; elsewhere we jump instead.
    if (backward || audioStreams > 0 || target >= length) {
        const std::uint32_t result = seek(target);
        mode_ = MediaMode::Paused;
        return result;
    }
    endPending(MediaCompletion::Aborted);
    gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
    settle();
    if (!gst_element_send_event(pipeline_.get(),
                                gst_event_new_step(GST_FORMAT_TIME, guint64(ms) * GST_MSECOND, 1.0, TRUE, FALSE)))
        return seek(target);
    const std::uint32_t result = settle();
    ++generation_;
    mode_ = MediaMode::Paused;
    return result;
}

std::uint32_t MediaBackend::position(std::int64_t& ms) const
{
    ms = 0;
    if (!open_)
        return MediaResult::NoDevice;
    std::int64_t length = 0;
    this->length(length);
    if (atEnd_) {
        ms = length;
        return MediaResult::Ok;
    }
    ms = std::clamp<std::int64_t>(rawPositionMs() - originMs_, 0, length);
    return MediaResult::Ok;
}

std::uint32_t MediaBackend::length(std::int64_t& ms) const
{
    ms = 0;
    if (!open_)
        return MediaResult::NoDevice;
    ms = lengthMs_;
    return MediaResult::Ok;
}

std::uint32_t MediaBackend::mode(MediaMode& mode) const
{
    mode = open_ ? mode_ : MediaMode::NotReady;
    return open_ ? MediaResult::Ok : MediaResult::NoDevice;
}

void MediaBackend::setVideoOutputSize(QSize size)
{
    if (size == outputSize_)
        return;
    outputSize_ = size;
    applyOutputCaps();
}

void MediaBackend::setVolume(double volume)
{
    if (std::isnan(volume))
        return;
    volume_ = std::clamp(volume, 0.0, 1.0);
    if (pipeline_)
        g_object_set(pipeline_.get(), "volume", volume_, nullptr);
}

void MediaBackend::applyOutputCaps()
{
    if (!capsFilter_)
        return;
    GstCapsPtr caps(gst_caps_from_string(kFrameCaps));
    if (outputSize_.width() > 0 && outputSize_.height() > 0)
        gst_caps_set_simple(caps.get(), "width", G_TYPE_INT, outputSize_.width(), "height", G_TYPE_INT,
                            outputSize_.height(), nullptr);
    g_object_set(capsFilter_, "caps", caps.get(), nullptr);
}

QString MediaBackend::errorText(std::uint32_t code)
{
    initGStreamer();
    return textFor(code);
}

std::unique_ptr<MediaEngine> makeMediaBackend() { return std::make_unique<MediaBackend>(); }

void preloadMediaBackend(const std::atomic_bool& stop)
{
    initGStreamer();
    // playbin and what it builds for MP3 and WAV files and for the containers
    // of video files, the sound outputs and the picture path; one missing is
    // simply not loaded. The video decoders' library is left to the first
    // video: it alone takes longer to load than all of these together, and
    // longer to unload at every exit.
    for (const char* name : {"playback", "typefindfunctions", "coreelements", "audioparsers", "id3demux", "mpg123",
                             "wavparse", "avi", "asf", "mpegpsdemux", "videoparsersbad", "audioconvert",
                             "audioresample", "volume", "pulseaudio", "alsa", "autodetect", "videoconvertscale",
                             "app"}) {
        if (stop)
            return;
        if (GstPlugin* plugin = gst_plugin_load_by_name(name))
            gst_object_unref(plugin);
    }
}
