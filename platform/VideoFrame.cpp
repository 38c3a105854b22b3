#include "VideoFrame.h"

#include <gst/video/video.h>

#include <QSysInfo>

#include <optional>

#include "platform/GstHandles.h"
#include "platform/YuvToRgb.h"

struct VideoFrame::Data {
    GstBufferPtr buffer;
    GstVideoInfo info{};
};

VideoFrame::VideoFrame(GstBuffer* buffer, const GstVideoInfo& info)
{
    auto data = std::make_shared<Data>();
    data->buffer.reset(gst_buffer_ref(buffer));
    data->info = info;
    data_ = std::move(data);
}

QSize VideoFrame::size() const
{
    return data_ ? QSize(GST_VIDEO_INFO_WIDTH(&data_->info), GST_VIDEO_INFO_HEIGHT(&data_->info)) : QSize();
}

namespace {

// The GStreamer layout of an image's pixels; unknown for the formats we do not write.
GstVideoFormat videoFormatOf(QImage::Format format)
{
    const bool little = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    switch (format) {
    case QImage::Format_RGB32: return little ? GST_VIDEO_FORMAT_BGRx : GST_VIDEO_FORMAT_xRGB;
    // A video picture is opaque: its alpha is full, premultiplied or not.
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: return little ? GST_VIDEO_FORMAT_BGRA : GST_VIDEO_FORMAT_ARGB;
    case QImage::Format_RGB888: return GST_VIDEO_FORMAT_RGB;
    case QImage::Format_RGB16: return GST_VIDEO_FORMAT_RGB16;
    default: return GST_VIDEO_FORMAT_UNKNOWN;
    }
}

struct VideoFrameUnmap {
    void operator()(GstVideoFrame* frame) const { gst_video_frame_unmap(frame); }
};
using MappedFrame = std::unique_ptr<GstVideoFrame, VideoFrameUnmap>;

struct ConverterFree {
    void operator()(GstVideoConverter* converter) const { gst_video_converter_free(converter); }
};
using ConverterPtr = std::unique_ptr<GstVideoConverter, ConverterFree>;

// The multipliers for a 4:2:0 picture going to 32-bit BGR, when our own
// conversion can write it; GStreamer converts everything else.
std::optional<YuvToRgbCoefficients> ownConversion(const GstVideoInfo& in, GstVideoFormat out)
{
    const GstVideoFormat format = GST_VIDEO_INFO_FORMAT(&in);
    if ((format != GST_VIDEO_FORMAT_I420 && format != GST_VIDEO_FORMAT_YV12) ||
        (out != GST_VIDEO_FORMAT_BGRx && out != GST_VIDEO_FORMAT_BGRA) || GST_VIDEO_INFO_IS_INTERLACED(&in) ||
        !yuv420ToBgraIsFast())
        return std::nullopt;
    gdouble kr = 0;
    gdouble kb = 0;
    if (!gst_video_color_matrix_get_Kr_Kb(in.colorimetry.matrix, &kr, &kb))
        return std::nullopt;
    gint offset[GST_VIDEO_MAX_COMPONENTS];
    gint scale[GST_VIDEO_MAX_COMPONENTS];
    gst_video_color_range_offsets(in.colorimetry.range, in.finfo, offset, scale);
    return yuvToRgbCoefficients(kr, kb, scale[0], scale[1]);
}

}  // namespace

struct VideoFrameWriter::Conversion {
    GstVideoInfo in{};
    GstVideoInfo out{};
    QRect from;
    ConverterPtr converter;

    bool fits(const GstVideoInfo& source, const GstVideoInfo& target, const QRect& part) const
    {
        return part == from && gst_video_info_is_equal(&in, &source) && gst_video_info_is_equal(&out, &target);
    }
};

VideoFrameWriter::VideoFrameWriter() = default;
VideoFrameWriter::~VideoFrameWriter() = default;

bool VideoFrameWriter::write(const VideoFrame& frame, QImage& target, QPoint at, const QRegion& area)
{
    const GstVideoFormat format = videoFormatOf(target.format());
    if (frame.isNull() || format == GST_VIDEO_FORMAT_UNKNOWN)
        return false;
    const QRegion visible = area & QRect(at, frame.size()) & target.rect();
    if (visible.isEmpty())
        return true;
    const VideoFrame::Data& data = *frame.data_;
    GstVideoFrame sourceFrame;
    if (!gst_video_frame_map(&sourceFrame, &data.info, data.buffer.get(), GST_MAP_READ))
        return false;
    const MappedFrame source(&sourceFrame);
    uchar* bits = target.bits();

    if (const auto k = ownConversion(data.info, format)) {
        const Yuv420Picture picture{
            static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_COMP_DATA(&sourceFrame, GST_VIDEO_COMP_Y)),
            static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_COMP_DATA(&sourceFrame, GST_VIDEO_COMP_U)),
            static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_COMP_DATA(&sourceFrame, GST_VIDEO_COMP_V)),
            GST_VIDEO_FRAME_COMP_STRIDE(&sourceFrame, GST_VIDEO_COMP_Y),
            GST_VIDEO_FRAME_COMP_STRIDE(&sourceFrame, GST_VIDEO_COMP_U),
            GST_VIDEO_FRAME_COMP_STRIDE(&sourceFrame, GST_VIDEO_COMP_V)};
        for (const QRect& rect : visible) {
            const QRect from = rect.translated(-at);
            yuv420ToBgra(picture, from.x(), from.y(), from.width(), from.height(),
                         bits + rect.y() * target.bytesPerLine() + rect.x() * 4, target.bytesPerLine(), *k);
        }
        return true;
    }

    const int pixelBytes = target.depth() / 8;
    for (const QRect& rect : visible) {
        // The rectangle's rows of the image, wrapped without a copy: nothing
        // outside it can be written.
        GstVideoInfo out;
        gst_video_info_set_format(&out, format, guint(rect.width()), guint(rect.height()));
        const gsize size = gsize(rect.height() - 1) * gsize(target.bytesPerLine()) + gsize(rect.width() * pixelBytes);
        GST_VIDEO_INFO_PLANE_STRIDE(&out, 0) = gint(target.bytesPerLine());
        GST_VIDEO_INFO_SIZE(&out) = size;
        // The conversion keeps the timing and the field layout: it is one picture, not a stream.
        GST_VIDEO_INFO_FPS_N(&out) = GST_VIDEO_INFO_FPS_N(&data.info);
        GST_VIDEO_INFO_FPS_D(&out) = GST_VIDEO_INFO_FPS_D(&data.info);
        GST_VIDEO_INFO_INTERLACE_MODE(&out) = GST_VIDEO_INFO_INTERLACE_MODE(&data.info);
        uchar* first = bits + rect.y() * target.bytesPerLine() + rect.x() * pixelBytes;
        const GstBufferPtr wrapped(
            gst_buffer_new_wrapped_full(GstMemoryFlags(0), first, size, 0, size, nullptr, nullptr));
        GstVideoFrame destFrame;
        if (!gst_video_frame_map(&destFrame, &out, wrapped.get(), GST_MAP_WRITE))
            return false;
        const MappedFrame dest(&destFrame);

        const QRect from = rect.translated(-at);
        if (!conversion_ || !conversion_->fits(data.info, out, from)) {
            conversion_.reset();
            GstStructure* options = gst_structure_new(
                "options", GST_VIDEO_CONVERTER_OPT_SRC_X, G_TYPE_INT, from.x(), GST_VIDEO_CONVERTER_OPT_SRC_Y,
                G_TYPE_INT, from.y(), GST_VIDEO_CONVERTER_OPT_SRC_WIDTH, G_TYPE_INT, from.width(),
                GST_VIDEO_CONVERTER_OPT_SRC_HEIGHT, G_TYPE_INT, from.height(), nullptr);
            ConverterPtr converter(gst_video_converter_new(&data.info, &out, options));
            if (!converter)
                return false;
            conversion_ = std::make_unique<Conversion>(Conversion{data.info, out, from, std::move(converter)});
        }
        gst_video_converter_frame(conversion_->converter.get(), source.get(), dest.get());
    }
    return true;
}
