#pragma once
// Icon files (.ico): the directory of sizes, each a bitmap or a PNG.
#include "pictures/PictureBytes.h"

#include <QImage>

// Decodes the icon's best picture: the largest, then the deepest in colour.
QImage decodeIcon(PictureBytes file);
