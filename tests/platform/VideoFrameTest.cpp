// Video frames written into images: the same pixels GStreamer's converter
// makes, only where they are asked for.
#include <gtest/gtest.h>

#include <gst/video/video.h>

#include <QImage>
#include <QRegion>

#include <random>

#include "platform/GstHandles.h"
#include "platform/VideoFrame.h"
#include "platform/YuvToRgb.h"

namespace {

struct Picture {
    GstVideoInfo info{};
    GstBufferPtr buffer;
};

// A picture of random samples, so every multiplier and every clamp is met.
Picture randomPicture(GstVideoFormat format, int width, int height, const char* colorimetry, unsigned seed)
{
    gst_init(nullptr, nullptr);
    Picture p;
    gst_video_info_set_format(&p.info, format, guint(width), guint(height));
    EXPECT_TRUE(gst_video_colorimetry_from_string(&p.info.colorimetry, colorimetry)) << colorimetry;
    p.buffer.reset(gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&p.info), nullptr));
    GstMapInfo map;
    gst_buffer_map(p.buffer.get(), &map, GST_MAP_WRITE);
    std::mt19937 random(seed);
    for (gsize i = 0; i < map.size; ++i)
        map.data[i] = std::uint8_t(random());
    gst_buffer_unmap(p.buffer.get(), &map);
    return p;
}

// What GStreamer's own converter makes of the whole picture.
QImage reference(const Picture& p)
{
    const int width = GST_VIDEO_INFO_WIDTH(&p.info);
    const int height = GST_VIDEO_INFO_HEIGHT(&p.info);
    GstVideoInfo out;
    gst_video_info_set_format(&out, GST_VIDEO_FORMAT_BGRx, guint(width), guint(height));
    GST_VIDEO_INFO_FPS_N(&out) = GST_VIDEO_INFO_FPS_N(&p.info);
    GST_VIDEO_INFO_FPS_D(&out) = GST_VIDEO_INFO_FPS_D(&p.info);
    GstBufferPtr outBuffer(gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&out), nullptr));
    GstVideoFrame in;
    GstVideoFrame result;
    EXPECT_TRUE(gst_video_frame_map(&in, &p.info, p.buffer.get(), GST_MAP_READ));
    EXPECT_TRUE(gst_video_frame_map(&result, &out, outBuffer.get(), GST_MAP_WRITE));
    GstVideoConverter* converter = gst_video_converter_new(&p.info, &out, nullptr);
    gst_video_converter_frame(converter, &in, &result);
    gst_video_converter_free(converter);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y),
                    static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&result, 0)) +
                        y * GST_VIDEO_FRAME_PLANE_STRIDE(&result, 0),
                    std::size_t(width) * 4);
    gst_video_frame_unmap(&in);
    gst_video_frame_unmap(&result);
    return image;
}

struct Case {
    GstVideoFormat format;
    int width;
    int height;
    const char* colorimetry;
};

// Studio and full range, five colour matrices, widths that leave a ragged
// end after the 16-pixel steps, and the planes of YV12 swapped.
const Case kCases[] = {
    {GST_VIDEO_FORMAT_I420, 64, 16, "bt709"},       {GST_VIDEO_FORMAT_I420, 37, 11, "bt601"},
    {GST_VIDEO_FORMAT_I420, 50, 9, "1:3:5:1"},      {GST_VIDEO_FORMAT_I420, 18, 6, "1:4:7:2"},
    {GST_VIDEO_FORMAT_YV12, 45, 13, "bt709"},       {GST_VIDEO_FORMAT_I420, 1, 1, "bt709"},
    {GST_VIDEO_FORMAT_I420, 1920, 4, "bt709"},      {GST_VIDEO_FORMAT_I420, 33, 7, "bt2020"},
    {GST_VIDEO_FORMAT_I420, 20, 4, "smpte240m"},
};

TEST(YuvToRgb, GivesTheSamePixelsAsGStreamer)
{
    for (const Case& c : kCases) {
        const Picture p = randomPicture(c.format, c.width, c.height, c.colorimetry, unsigned(c.width * 31 + c.height));
        const QImage expected = reference(p);
        gdouble kr = 0;
        gdouble kb = 0;
        ASSERT_TRUE(gst_video_color_matrix_get_Kr_Kb(p.info.colorimetry.matrix, &kr, &kb));
        gint offset[GST_VIDEO_MAX_COMPONENTS];
        gint scale[GST_VIDEO_MAX_COMPONENTS];
        gst_video_color_range_offsets(p.info.colorimetry.range, p.info.finfo, offset, scale);
        GstVideoFrame in;
        ASSERT_TRUE(gst_video_frame_map(&in, &p.info, p.buffer.get(), GST_MAP_READ));
        const Yuv420Picture picture{static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_COMP_DATA(&in, 0)),
                                    static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_COMP_DATA(&in, 1)),
                                    static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_COMP_DATA(&in, 2)),
                                    GST_VIDEO_FRAME_COMP_STRIDE(&in, 0),
                                    GST_VIDEO_FRAME_COMP_STRIDE(&in, 1),
                                    GST_VIDEO_FRAME_COMP_STRIDE(&in, 2)};
        QImage ours(c.width, c.height, QImage::Format_RGB32);
        yuv420ToBgra(picture, 0, 0, c.width, c.height, ours.bits(), ours.bytesPerLine(),
                     yuvToRgbCoefficients(kr, kb, scale[0], scale[1]));
        gst_video_frame_unmap(&in);
        EXPECT_EQ(ours, expected) << c.width << "x" << c.height << " " << c.colorimetry;

        // A frame written whole comes to the same.
        QImage written(c.width, c.height, QImage::Format_RGB32);
        VideoFrameWriter writer;
        ASSERT_TRUE(writer.write(VideoFrame(p.buffer.get(), p.info), written, {0, 0}, written.rect()));
        EXPECT_EQ(written, expected) << c.colorimetry;
    }
}

// Writes a frame at (5, 3) through a region of two rectangles, one reaching
// past the frame and the image; everything else keeps its colour.
void checkWritesOnlyTheArea(GstVideoFormat format)
{
    const Picture p = randomPicture(format, 40, 20, "bt709", 7);
    const QImage expected = reference(p);
    const QRgb untouched = qRgb(0x12, 0x34, 0x56);
    QImage target(42, 22, QImage::Format_RGB32);
    target.fill(untouched);
    const QPoint at(5, 3);
    const QRegion area = QRegion(8, 4, 9, 5) + QRegion(30, 12, 40, 40);
    VideoFrameWriter writer;
    ASSERT_TRUE(writer.write(VideoFrame(p.buffer.get(), p.info), target, at, area));
    const QRegion written = area & QRect(at, QSize(40, 20)) & target.rect();
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x) {
            const QRgb want = written.contains(QPoint(x, y)) ? expected.pixel(x - at.x(), y - at.y()) : untouched;
            ASSERT_EQ(target.pixel(x, y), want) << gst_video_format_to_string(format) << " at " << x << "," << y;
        }
}

TEST(VideoFrameWriter, WritesOnlyInsideTheAreaAtTheOffset)
{
    checkWritesOnlyTheArea(GST_VIDEO_FORMAT_I420);  // our own conversion
    checkWritesOnlyTheArea(GST_VIDEO_FORMAT_Y444);  // GStreamer's
}

TEST(VideoFrameWriter, RefusesImagesItCannotWrite)
{
    const Picture p = randomPicture(GST_VIDEO_FORMAT_I420, 8, 8, "bt709", 3);
    QImage target(8, 8, QImage::Format_Grayscale8);
    target.fill(7);
    const QImage before = target;
    VideoFrameWriter writer;
    EXPECT_FALSE(writer.write(VideoFrame(p.buffer.get(), p.info), target, {0, 0}, target.rect()));
    EXPECT_EQ(target, before);
    EXPECT_FALSE(writer.write(VideoFrame(), target, {0, 0}, target.rect()));
}

}  // namespace
