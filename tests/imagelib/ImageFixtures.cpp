#include "ImageFixtures.h"

#include "imagelib/crde2001.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

Rgb quadrantColour(int x, int y, int w, int h)
{
    const bool right = x >= w / 2, bottom = y >= h / 2;
    if (!right && !bottom)
        return {255, 0, 0};
    if (right && !bottom)
        return {0, 255, 0};
    if (!right)
        return {0, 0, 255};
    return {255, 255, 255};
}

Fixtures::Fixtures()
{
    EXPECT_TRUE(dir_.isValid());
}

QString Fixtures::make(const QString& name, int w, int h, const QStringList& options)
{
    QByteArray ppm = QByteArray("P6\n") + QByteArray::number(w) + ' ' + QByteArray::number(h) + "\n255\n";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb c = quadrantColour(x, y, w, h);
            ppm.append(char(c.r)).append(char(c.g)).append(char(c.b));
        }
    // "BMP3:a.bmp" names ImageMagick's writer before the file name.
    const QString file = name.section(':', -1), writer = name.contains(':') ? name.section(':', 0, 0) + ':' : QString();
    const QString source = write(file + QStringLiteral(".ppm"), ppm);
    convert(QStringList{source} + options + QStringList{writer + path(file)});
    return path(file);
}

void Fixtures::convert(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("convert"), arguments);
    const bool finished = process.waitForFinished(60000);
    ASSERT_TRUE(finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        << "convert " << arguments.join(' ').toStdString() << ": " << process.readAllStandardError().toStdString();
}

QString Fixtures::write(const QString& name, const QByteArray& bytes) const
{
    QFile file(path(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

QByteArray Fixtures::read(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

const IlBitmapHeader& headerOf(IlBlock block)
{
    return *static_cast<const IlBitmapHeader*>(block);
}

std::size_t blockRowBytes(IlBlock block)
{
    const IlBitmapHeader& h = headerOf(block);
    return (std::size_t(h.width) * h.bitCount + 31) / 32 * 4;
}

Rgb blockPixel(IlBlock block, int x, int y)
{
    const IlBitmapHeader& h = headerOf(block);
    const auto* base = static_cast<const std::uint8_t*>(block) + h.size;
    std::size_t colours = 0;
    if (h.bitCount <= 8)
        colours = h.clrUsed ? h.clrUsed : (1u << h.bitCount);
    const auto* table = reinterpret_cast<const IlRgbQuad*>(base + (h.compression == 3 ? 12 : 0));
    const std::uint8_t* bits = base + (h.compression == 3 ? 12 : 0) + colours * 4;
    const std::uint8_t* row = bits + blockRowBytes(block) * std::size_t(h.height > 0 ? h.height - 1 - y : y);
    if (h.bitCount <= 8) {
        const int perByte = 8 / h.bitCount;
        const unsigned index = (row[x / perByte] >> (8 - h.bitCount * (x % perByte + 1))) & ((1u << h.bitCount) - 1);
        EXPECT_LT(index, colours);
        const IlRgbQuad q = table[index];
        return {q.red, q.green, q.blue};
    }
    if (h.bitCount == 24)
        return {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]};
    if (h.bitCount == 32)
        return {row[x * 4 + 2], row[x * 4 + 1], row[x * 4]};
    ADD_FAILURE() << "no pixel reader for depth " << h.bitCount;
    return {};
}

CrdeBlock::~CrdeBlock()
{
    crde_free_block(block);
}

IlBlock makeBlock(int width, int height, int bitCount, const std::vector<IlRgbQuad>& table,
                  const std::vector<std::uint8_t>& bits, std::uint32_t compression)
{
    const std::size_t total = sizeof(IlBitmapHeader) + table.size() * 4 + bits.size();
    auto* block = static_cast<std::uint8_t*>(std::calloc(1, total));
    IlBitmapHeader h{};
    h.size = 40;
    h.width = width;
    h.height = height;
    h.planes = 1;
    h.bitCount = std::uint16_t(bitCount);
    h.compression = compression;
    h.sizeImage = std::uint32_t(bits.size());
    h.clrUsed = std::uint32_t(table.size());
    std::memcpy(block, &h, sizeof h);
    if (!table.empty())
        std::memcpy(block + sizeof h, table.data(), table.size() * 4);
    if (!bits.empty())
        std::memcpy(block + sizeof h + table.size() * 4, bits.data(), bits.size());
    return block;
}

bool near(Rgb a, Rgb b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}
