#pragma once
// Reads what the media engine's tag messages say of the open file into the
// bounded form the rest of the program keeps.
#include "platform/MediaEngine.h"

#include <gst/gst.h>

// Fills the fields of tags that are still empty from list; what a field
// already holds is kept, so the first message to tell it wins. The cover is
// the list's front cover, else its first picture, else its preview picture,
// of a format a picture viewer reads and no larger than the bound.
void mergeGstTags(MediaTags& tags, const GstTagList* list);
