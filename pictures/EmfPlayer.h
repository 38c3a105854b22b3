#pragma once
// Player for enhanced metafiles (.emf). The frame of the header (hundredths
// of a millimetre) gives the picture's size; the reference device's size in
// pixels and millimetres gives the device units. EMF+ records, carried in
// comments beside the plain records, are skipped in favour of those; records
// it does not know are skipped, and so is a record too short for what it
// declares or holding more points, rectangles or characters than a picture
// needs. A file whose records draw nothing, or whose header is unusable,
// fails with EInvalidGraphic.
#include "pictures/MetafileCanvas.h"
#include "imagelib/decode/Bytes.h"

metafile::Played playEmf(imagedecode::Bytes file);
