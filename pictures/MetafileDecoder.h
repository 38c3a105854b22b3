#pragma once
// Windows metafiles: .wmf is played onto a raster by libwmf; .emf has no
// player on this platform and always fails.
#include "pictures/PictureBytes.h"

#include <QImage>

QImage decodeMetafile(PictureBytes data, bool enhanced);
