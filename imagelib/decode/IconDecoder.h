#pragma once
// Icon files (.ico, .cur): the directory of sizes, each a bitmap or a PNG.
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"

namespace imagedecode {

// Decodes the icon's best picture (the largest, then the deepest in colour),
// chosen from the entries' own headers. Only that entry is decoded: its
// failure is the icon's failure.
Picture decodeIcon(Bytes file, const Options& options);

}  // namespace imagedecode
