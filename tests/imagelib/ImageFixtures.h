#pragma once
// Pictures for the image library tests, made at test time: a small source
// picture with known pixels, converted by ImageMagick into each format, and
// helpers that read pixels back out of bitmap blocks.
#include "imagelib/ilbitmap.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// The test picture: w × h, colour of each pixel from a fixed rule with four
// flat quadrants (red, green, blue, white) so lossy formats keep them too.
Rgb quadrantColour(int x, int y, int w, int h);

class Fixtures {
public:
    Fixtures();
    QString dir() const { return dir_.path(); }
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Writes the quadrant picture as a PPM and converts it with ImageMagick
    // (extra options before the output name; a "FORMAT:" prefix of name picks
    // the writer); returns the output path.
    QString make(const QString& name, int w, int h, const QStringList& options = {});
    // Runs ImageMagick's convert with these arguments; fails the test on error.
    static void convert(const QStringList& arguments);

    QString write(const QString& name, const QByteArray& bytes) const;
    static QByteArray read(const QString& path);

private:
    QTemporaryDir dir_;
};

// Pixel (x, y), counted from the top, of a plain block of any depth.
Rgb blockPixel(IlBlock block, int x, int y);
const IlBitmapHeader& headerOf(IlBlock block);
// The pixel rows' bytes of a plain block, as its header says they are laid out.
std::size_t blockRowBytes(IlBlock block);

// Frees with the reading library when the test ends.
struct CrdeBlock {
    IlBlock block = nullptr;
    ~CrdeBlock();
    CrdeBlock() = default;
    CrdeBlock(const CrdeBlock&) = delete;
    CrdeBlock& operator=(const CrdeBlock&) = delete;
    IlBlock* out() { return &block; }
    explicit operator bool() const { return block != nullptr; }
};

// A malloc'd block built by hand, for odd variants no reader produces.
IlBlock makeBlock(int width, int height, int bitCount, const std::vector<IlRgbQuad>& table,
                  const std::vector<std::uint8_t>& bits, std::uint32_t compression = 0);

bool near(Rgb a, Rgb b, int tolerance);
