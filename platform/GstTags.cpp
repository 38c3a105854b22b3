#include "GstTags.h"

#include <gst/tag/tag.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// A tag's text, never decoded whole: UTF-8 takes at most four bytes a
// character, so this many bytes hold every character that is kept.
constexpr std::size_t kMaxTextBytes = std::size_t(MediaTags::kMaxChars) * 4 + 4;

QString boundedText(const gchar* text)
{
    if (!text)
        return {};
    QString result = QString::fromUtf8(text, qsizetype(::strnlen(text, kMaxTextBytes))).left(MediaTags::kMaxChars);
    // No half of a character pair at the cut.
    if (!result.isEmpty() && result.back().isHighSurrogate())
        result.chop(1);
    return result.trimmed();
}

QString text(const GstTagList* list, const char* tag, guint index = 0)
{
    const gchar* value = nullptr;
    return gst_tag_list_peek_string_index(list, tag, index, &value) ? boundedText(value) : QString();
}

// The file suffix of the picture formats a desktop's picture viewer reads;
// empty for any other kind of sample (a linked picture's URI above all).
QString suffixOf(GstSample* sample)
{
    const GstCaps* caps = gst_sample_get_caps(sample);
    const GstStructure* s = caps && gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0) : nullptr;
    if (!s)
        return {};
    const char* type = gst_structure_get_name(s);
    for (const auto& [mime, suffix] : {std::pair{"image/jpeg", "jpg"}, std::pair{"image/png", "png"},
                                       std::pair{"image/gif", "gif"}, std::pair{"image/bmp", "bmp"},
                                       std::pair{"image/webp", "webp"}})
        if (std::strcmp(type, mime) == 0)
            return QString::fromLatin1(suffix);
    return {};
}

bool isFrontCover(GstSample* sample)
{
    const GstStructure* info = gst_sample_get_info(sample);
    const GValue* type = info ? gst_structure_get_value(info, "image-type") : nullptr;
    return type && G_VALUE_HOLDS_ENUM(type) && g_value_get_enum(type) == GST_TAG_IMAGE_TYPE_FRONT_COVER;
}

// The picture of tag to keep: the front cover, else the first usable one.
GstSample* chooseCover(const GstTagList* list, const char* tag)
{
    GstSample* chosen = nullptr;
    const guint count = gst_tag_list_get_tag_size(list, tag);
    for (guint i = 0; i < count; ++i) {
        const GValue* value = gst_tag_list_get_value_index(list, tag, i);
        GstSample* sample = value && GST_VALUE_HOLDS_SAMPLE(value) ? gst_value_get_sample(value) : nullptr;
        GstBuffer* buffer = sample ? gst_sample_get_buffer(sample) : nullptr;
        if (!buffer || suffixOf(sample).isEmpty())
            continue;
        const gsize size = gst_buffer_get_size(buffer);
        if (size == 0 || size > gsize(MediaTags::kMaxCoverBytes))
            continue;
        if (isFrontCover(sample))
            return sample;
        if (!chosen)
            chosen = sample;
    }
    return chosen;
}

}  // namespace

void mergeGstTags(MediaTags& tags, const GstTagList* list)
{
    if (!list)
        return;
    if (tags.title.isEmpty())
        tags.title = text(list, GST_TAG_TITLE);
    if (tags.album.isEmpty())
        tags.album = text(list, GST_TAG_ALBUM);
    if (tags.artists.isEmpty()) {
        const guint count = std::min<guint>(gst_tag_list_get_tag_size(list, GST_TAG_ARTIST), MediaTags::kMaxArtists);
        for (guint i = 0; i < count; ++i)
            if (const QString artist = text(list, GST_TAG_ARTIST, i); !artist.isEmpty())
                tags.artists.append(artist);
    }
    if (!tags.cover.isEmpty())
        return;
    GstSample* cover = chooseCover(list, GST_TAG_IMAGE);
    if (!cover)
        cover = chooseCover(list, GST_TAG_PREVIEW_IMAGE);
    if (!cover)
        return;
    GstBuffer* buffer = gst_sample_get_buffer(cover);
    const gsize size = gst_buffer_get_size(buffer);
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (gst_buffer_extract(buffer, 0, bytes.data(), size) != size)
        return;
    tags.cover = bytes;
    tags.coverSuffix = suffixOf(cover);
}
