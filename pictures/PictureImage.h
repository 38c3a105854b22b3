#pragma once
// The bridge from the Qt-free decoding layer to the screen window: its limits,
// its pictures as QImage, its failures as EInvalidGraphic.
#include "imagelib/decode/Bytes.h"
#include "imagelib/decode/Picture.h"
#include "platform/Errors.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <utility>

// The screen window shows at most 16384 pixels a side and 128 megapixels:
// more would take more memory than a desktop can spare for one still image.
inline constexpr imagedecode::Limits kScreenLimits{16384, 128LL * 1024 * 1024, 512LL * 1024 * 1024};

imagedecode::Options screenOptions();
imagedecode::Bytes bytesOf(const QByteArray& data);

// A 32-bit picture becomes a QImage over the same pixels, without a copy.
QImage toImage(imagedecode::Picture&& picture);

// Runs decode, turning the layer's failures into EInvalidGraphic.
template <typename Decode>
auto decodeToImage(Decode&& decode)
{
    try {
        return decode();
    } catch (const imagedecode::DecodeError& e) {
        throw EInvalidGraphic(QString::fromUtf8(e.what()));
    }
}
