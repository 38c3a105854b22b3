#pragma once
// PNG pictures, as icons embed them for their large sizes.
#include "pictures/PictureBytes.h"

#include <QImage>

bool isPng(PictureBytes data);
QSize pngSize(PictureBytes data);
QImage decodePng(PictureBytes data);
