#pragma once
// Player for Windows metafiles (.wmf), placeable (with the 22-byte header
// that gives the frame and its units per inch) and plain (the frame then is
// the window the records set, one unit a pixel). Records it does not know are
// skipped, and so is a record too short for what it declares or holding more
// points than a picture needs; a file whose records draw nothing, or whose
// header is unusable, fails with EInvalidGraphic.
#include "pictures/MetafileCanvas.h"
#include "imagelib/decode/Bytes.h"

metafile::Played playWmf(imagedecode::Bytes file);
