#pragma once
// GIF pictures: the first frame, on its logical screen.
#include "pictures/PictureBytes.h"

#include <QImage>

QImage decodeGif(PictureBytes data);
