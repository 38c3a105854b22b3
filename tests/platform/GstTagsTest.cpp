// What the engine's tag messages leave of a file's tags: bounded texts, and
// the one cover the desktop is shown.
#include "platform/GstTags.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// The picture kind the engine attaches to a picture; only "front cover" (1)
// matters here.
GType imageTypeType()
{
    static const GEnumValue values[] = {{0, "undefined", "undefined"}, {1, "front", "front"}, {2, "back", "back"},
                                        {0, nullptr, nullptr}};
    static const GType type = g_enum_register_static("KaleidorTestImageType", values);
    return type;
}

GstSample* picture(const char* mime, const QByteArray& bytes, int kind)
{
    GstBuffer* buffer = bytes.isEmpty() ? gst_buffer_new() : gst_buffer_new_memdup(bytes.constData(), gsize(bytes.size()));
    GstCaps* caps = gst_caps_new_empty_simple(mime);
    GstStructure* info = gst_structure_new("GstTagImageInfo", "image-type", imageTypeType(), kind, nullptr);
    GstSample* sample = gst_sample_new(buffer, caps, nullptr, info);
    gst_buffer_unref(buffer);
    gst_caps_unref(caps);
    return sample;
}

struct TagList {
    GstTagList* list = gst_tag_list_new_empty();
    ~TagList() { gst_tag_list_unref(list); }
    TagList& text(const char* tag, const QString& value)
    {
        gst_tag_list_add(list, GST_TAG_MERGE_APPEND, tag, value.toUtf8().constData(), nullptr);
        return *this;
    }
    TagList& image(const char* tag, GstSample* sample)
    {
        gst_tag_list_add(list, GST_TAG_MERGE_APPEND, tag, sample, nullptr);
        gst_sample_unref(sample);
        return *this;
    }
};

class GstTagsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { gst_init(nullptr, nullptr); }
};

}  // namespace

TEST_F(GstTagsTest, TextsAreCutToTheirBound)
{
    TagList tags;
    tags.text(GST_TAG_TITLE, QString(100000, QChar(0x044f)));  // two bytes each
    for (int i = 0; i < 12; ++i)
        tags.text(GST_TAG_ARTIST, QStringLiteral("  Artist %1 ").arg(i));
    // A character pair would straddle the cut: it is left out whole.
    tags.text(GST_TAG_ALBUM, u'a' + QString::fromUtf8("\xF0\x9F\x8E\xB5").repeated(600));
    MediaTags result;
    mergeGstTags(result, tags.list);
    EXPECT_EQ(result.title, QString(MediaTags::kMaxChars, QChar(0x044f)));
    ASSERT_EQ(result.artists.size(), MediaTags::kMaxArtists);
    EXPECT_EQ(result.artists.first(), "Artist 0");
    EXPECT_EQ(result.album.size(), MediaTags::kMaxChars - 1);
    EXPECT_FALSE(result.album.back().isHighSurrogate());
}

TEST_F(GstTagsTest, TheFirstMessageToTellAFieldWins)
{
    TagList first, second;
    first.text(GST_TAG_TITLE, "From the container");
    second.text(GST_TAG_TITLE, "From the stream").text(GST_TAG_ARTIST, "Someone").text(GST_TAG_TITLE, "");
    MediaTags result;
    mergeGstTags(result, first.list);
    mergeGstTags(result, second.list);
    EXPECT_EQ(result.title, "From the container");
    EXPECT_EQ(result.artists, QStringList{"Someone"});
    EXPECT_TRUE(result.album.isEmpty());
}

TEST_F(GstTagsTest, CoverIsAFrontPictureOfAReadableFormatWithinTheBound)
{
    const QByteArray small("picture bytes");
    const QByteArray huge(MediaTags::kMaxCoverBytes + 1, 'x');
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, GstSample*>> pictures;
        QByteArray cover;
        QString suffix;
    };
    const std::vector<Case> cases{
        {"front cover preferred",
         {{GST_TAG_IMAGE, picture("image/png", "back", 2)}, {GST_TAG_IMAGE, picture("image/jpeg", small, 1)}},
         small, "jpg"},
        {"first usable one without a front cover",
         {{GST_TAG_IMAGE, picture("text/uri-list", "http://x/y.jpg", 1)},
          {GST_TAG_IMAGE, picture("image/png", huge, 1)},
          {GST_TAG_IMAGE, picture("image/png", small, 0)}},
         small, "png"},
        {"preview only without a picture",
         {{GST_TAG_PREVIEW_IMAGE, picture("image/gif", small, 0)}}, small, "gif"},
        {"nothing usable",
         {{GST_TAG_IMAGE, picture("image/png", huge, 1)}, {GST_TAG_IMAGE, picture("image/x-unknown", small, 1)},
          {GST_TAG_IMAGE, picture("image/png", "", 1)}},
         {}, {}},
    };
    for (const Case& c : cases) {
        TagList tags;
        for (const auto& [tag, sample] : c.pictures)
            tags.image(tag, sample);
        MediaTags result;
        mergeGstTags(result, tags.list);
        EXPECT_EQ(result.cover, c.cover) << c.name;
        EXPECT_EQ(result.coverSuffix, c.suffix) << c.name;
    }
}
