// The metafile players: small metafiles written record by record here, played
// to pictures whose size is the frame at 96 dpi and whose pixels show what the
// records drew; damaged files fail with the picture error or skip the damage.
#include "pictures/EmfPlayer.h"
#include "pictures/PictureFile.h"
#include "pictures/WmfPlayer.h"
#include "platform/Errors.h"

#include <QByteArray>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <tuple>
#include <vector>

namespace {

void put16(QByteArray& b, int v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void put32(QByteArray& b, qint64 v)
{
    put16(b, int(v & 0xFFFF));
    put16(b, int((v >> 16) & 0xFFFF));
}

QByteArray words(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        put16(b, v);
    return b;
}

QByteArray dwords(std::initializer_list<qint64> values)
{
    QByteArray b;
    for (qint64 v : values)
        put32(b, v);
    return b;
}

// A packed 2 × 2 bitmap of one colour, 24 bits, bottom-up.
QByteArray dib(QRgb colour)
{
    QByteArray b = dwords({40, 2, 2});
    put16(b, 1);
    put16(b, 24);
    b += dwords({0, 0, 0, 0, 0, 0});
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 2; ++x)
            b.append(char(qBlue(colour))).append(char(qGreen(colour))).append(char(qRed(colour)));
        b.append(2, '\0');
    }
    return b;
}

// A Windows metafile written record by record.
struct Wmf {
    QByteArray records;
    void record(int function, const QByteArray& params)
    {
        QByteArray p = params;
        if (p.size() % 2)
            p.append('\0');
        put32(records, 3 + p.size() / 2);
        put16(records, function);
        records += p;
    }
    QByteArray bytes(std::optional<QRect> placeable = std::nullopt, int unitsPerInch = 1440) const
    {
        QByteArray out;
        if (placeable) {
            put32(out, 0x9AC6CDD7);
            put16(out, 0);
            out += words({placeable->left(), placeable->top(), placeable->right() + 1, placeable->bottom() + 1});
            put16(out, unitsPerInch);
            put32(out, 0);
            put16(out, 0);  // checksum, not checked
        }
        out += words({1, 9, 0x300});
        put32(out, 9 + records.size() / 2 + 3);
        put16(out, 4);
        put32(out, 64);
        put16(out, 0);
        out += records;
        out += dwords({3}) + words({0});
        return out;
    }
};

// An enhanced metafile written record by record.
struct Emf {
    QByteArray records;
    int count = 0;
    void record(quint32 type, const QByteArray& params)
    {
        put32(records, type);
        put32(records, 8 + params.size());
        records += params;
        ++count;
    }
    // frame in hundredths of a millimetre; the reference device is 96 dpi.
    QByteArray bytes(QRect frame) const
    {
        QByteArray out = dwords({1, 88, 0, 0, 100, 100});
        out += dwords({frame.left(), frame.top(), frame.right(), frame.bottom()});
        out += dwords({0x464D4520, 0x10000, 88 + records.size() + 20, count + 2});
        put16(out, 8);
        put16(out, 0);
        out += dwords({0, 0, 0, 960, 960, 254, 254});
        return out + records + dwords({14, 20, 0, 16, 20});
    }
};

// A poly record's parameters: bounds (not read), count and points.
QByteArray polyParams(const QPolygonF& points)
{
    QByteArray b = dwords({0, 0, 0, 0, points.size()});
    for (const QPointF& p : points)
        b += dwords({qRound64(p.x()), qRound64(p.y())});
    return b;
}

QColor at(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

QString failure(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EInvalidGraphic& e) {
        return e.message();
    }
    return QStringLiteral("<no failure>");
}

imagedecode::Bytes bytesOf(const QByteArray& data)
{
    return imagedecode::Bytes(reinterpret_cast<const std::uint8_t*>(data.constData()), std::size_t(data.size()));
}

// A placeable WMF of 2 × 1 inches: left half a red rectangle without outline,
// a blue ellipse on the right, a green bitmap at the bottom right, a line and
// text; an unknown record among them.
QByteArray sampleWmf()
{
    Wmf w;
    w.record(0x020B, words({0, 0}));         // window origin
    w.record(0x020C, words({1440, 2880}));   // window extent y, x
    w.record(0x02FC, words({0}) + dwords({0x0000FF}) + words({0}));  // red solid brush
    w.record(0x02FA, words({5, 0, 0}) + dwords({0}));                 // null pen
    w.record(0x012D, words({0}));
    w.record(0x012D, words({1}));
    w.record(0x041B, words({1440, 1440, 0, 0}));  // rectangle b, r, t, l
    w.record(0x7777, words({1, 2, 3}));            // unknown: skipped
    w.record(0x02FC, words({0}) + dwords({0xFF0000}) + words({0}));  // blue brush
    w.record(0x012D, words({2}));
    w.record(0x0418, words({720, 2880, 0, 1440}));  // ellipse over the top right quarter
    w.record(0x0F43, dwords({0x00CC0020}) + words({0, 2, 2, 0, 0, 480, 480, 960, 2400}) + dib(qRgb(0, 255, 0)));
    w.record(0x02FA, words({0, 45, 0}) + dwords({0}));  // black pen, 3 pixels wide
    w.record(0x012D, words({3}));
    w.record(0x0214, words({1400, 0}));
    w.record(0x0213, words({1400, 1400}));
    w.record(0x0209, dwords({0}));
    w.record(0x0521, words({5}) + QByteArray("\xcf\xf0\xe8\xe2\xe5", 5) + QByteArray(1, 0) + words({300, 100}));
    return w.bytes(QRect(0, 0, 2880, 1440));
}

// An EMF with a frame of 100 × 50 pixels: world units 1/10 of that by the
// window and viewport; a green left half, a red bitmap, EMF+ and unknown
// records skipped.
QByteArray sampleEmf()
{
    Emf e;
    e.record(70, dwords({16}) + QByteArray("EMF+\x01\x40\x00\x00garbage!", 16));  // EMF+ comment
    e.record(17, dwords({8}));                    // anisotropic
    e.record(9, dwords({10, 5}));                 // window extent
    e.record(11, dwords({100, 50}));              // viewport extent, device units
    e.record(39, dwords({1, 0, 0x00FF00, 0}));    // brush 1, green
    e.record(37, dwords({1}));
    e.record(37, dwords({qint64(0x80000008)}));   // stock null pen
    e.record(43, dwords({0, 0, 5, 5}));           // rectangle, left half
    e.record(9999, dwords({1, 2, 3, 4}));         // unknown
    const QByteArray bitmap = dib(qRgb(255, 0, 0));
    QByteArray stretch = dwords({0, 0, 0, 0, 6, 1, 0, 0, 2, 2});  // bounds, dest 6,1, src 0,0 2x2
    stretch += dwords({80, 40, 80 + 40, bitmap.size() - 40, 0, 0x00CC0020, 3, 3});  // offsets from record start
    e.record(81, stretch + bitmap);
    return e.bytes(QRect(0, 0, 2646, 1323));
}

}  // namespace

TEST(Metafile, PlaceableWmfDrawsItsRecordsAtItsFrameSize)
{
    const metafile::Played p = playWmf(bytesOf(sampleWmf()));
    EXPECT_EQ(p.frame, QSize(192, 96));
    ASSERT_EQ(p.image.size(), QSize(192, 96));
    EXPECT_EQ(at(p.image, 40, 60), QColor(255, 0, 0));    // rectangle
    EXPECT_EQ(at(p.image, 144, 24), QColor(0, 0, 255));   // ellipse centre
    EXPECT_EQ(at(p.image, 100, 2).alpha(), 0);            // outside the ellipse: nothing
    EXPECT_EQ(at(p.image, 176, 72), QColor(0, 255, 0));   // bitmap
    EXPECT_EQ(at(p.image, 120, 93).alpha(), 0);           // past the line's end
    EXPECT_EQ(at(p.image, 50, 93), QColor(0, 0, 0));      // the line
}

TEST(Metafile, PlainWmfTakesItsWindowAsItsFrame)
{
    Wmf w;
    w.record(0x020C, words({50, 120}));
    w.record(0x012D, words({0}));  // nothing to select: ignored
    w.record(0x041B, words({50, 60, 0, 0}));
    const metafile::Played p = playWmf(bytesOf(w.bytes()));
    EXPECT_EQ(p.frame, QSize(120, 50));
    EXPECT_EQ(at(p.image, 30, 25), QColor(Qt::white));  // default brush
    EXPECT_EQ(at(p.image, 90, 25).alpha(), 0);
}

TEST(Metafile, EmfDrawsPlainRecordsAndSkipsEmfPlusAndUnknownOnes)
{
    const metafile::Played p = playEmf(bytesOf(sampleEmf()));
    EXPECT_EQ(p.frame, QSize(100, 50));
    ASSERT_EQ(p.image.size(), QSize(100, 50));
    EXPECT_EQ(at(p.image, 25, 25), QColor(0, 255, 0));
    EXPECT_EQ(at(p.image, 70, 20), QColor(255, 0, 0));
    EXPECT_EQ(at(p.image, 95, 45).alpha(), 0);
}

TEST(Metafile, SaveRestoreAndClippingBoundWhatIsDrawn)
{
    Emf e;
    e.record(39, dwords({1, 0, 0x0000FF, 0}));  // red
    e.record(39, dwords({2, 0, 0xFF0000, 0}));  // blue
    e.record(37, dwords({qint64(0x80000008)}));
    e.record(37, dwords({1}));
    e.record(33, {});                              // save
    e.record(30, dwords({0, 0, 50, 50}));          // clip to the top left quarter
    e.record(37, dwords({2}));
    e.record(43, dwords({0, 0, 100, 100}));        // blue, clipped
    e.record(34, dwords({-1}));                    // restore: red brush, no clip
    e.record(29, dwords({60, 60, 100, 100}));      // exclude the bottom right
    e.record(43, dwords({50, 50, 100, 100}));      // red where not excluded
    const metafile::Played p = playEmf(bytesOf(e.bytes(QRect(0, 0, 2645, 2645))));
    ASSERT_EQ(p.image.size(), QSize(100, 100));
    EXPECT_EQ(at(p.image, 25, 25), QColor(0, 0, 255));
    EXPECT_EQ(at(p.image, 75, 25).alpha(), 0);  // blue was clipped away
    EXPECT_EQ(at(p.image, 55, 55), QColor(255, 0, 0));
    EXPECT_EQ(at(p.image, 80, 80).alpha(), 0);  // excluded
}

TEST(Metafile, DamagedFilesFailOrSkipTheirDamage)
{
    const QByteArray wmf = sampleWmf(), emf = sampleEmf();
    QByteArray wmfNoUnits = wmf;
    wmfNoUnits[14] = wmfNoUnits[15] = 0;
    Wmf onlyState;
    onlyState.record(0x020C, words({50, 120}));
    onlyState.record(0x0201, dwords({0xFFFFFF}));
    Wmf endless;  // a record of size zero would never advance
    endless.records = dwords({0}) + words({0x041B}) + words({50, 60, 0, 0});
    Wmf shortPoints;  // declares 30000 points, holds two
    shortPoints.record(0x020C, words({50, 120}));
    shortPoints.record(0x0325, words({30000, 0, 0, 10, 10}));
    Emf emptyEmf;
    emptyEmf.record(70, dwords({4}) + QByteArray("EMF+"));
    QByteArray emfBadSignature = emf;
    emfBadSignature[40] = 'X';
    Emf hugeFrame;
    hugeFrame.record(43, dwords({0, 0, 5, 5}));
    const struct {
        const char* name;
        bool wmf;
        QByteArray bytes;
    } cases[] = {
        {"empty", true, {}},
        {"not a metafile", true, "hello, this is not a metafile at all"},
        {"header cut", true, wmf.left(30)},
        {"no units per inch", true, wmfNoUnits},
        {"records draw nothing", true, onlyState.bytes()},
        {"no frame and nothing drawn", true, endless.bytes()},
        {"too few points", true, shortPoints.bytes()},
        {"empty emf", false, {}},
        {"bad signature", false, emfBadSignature},
        {"header cut", false, emf.left(60)},
        {"only an EMF+ comment", false, emptyEmf.bytes(QRect(0, 0, 2645, 2645))},
        {"frame beyond any screen", false, hugeFrame.bytes(QRect(0, 0, 2000000000, 2000000000))},
    };
    for (const auto& c : cases) {
        const imagedecode::Bytes bytes = bytesOf(c.bytes);
        EXPECT_NE(failure([&] { c.wmf ? playWmf(bytes) : playEmf(bytes); }), QStringLiteral("<no failure>")) << c.name;
    }

    // Damage after drawing records: what came before is shown.
    for (std::size_t cut : {std::size_t(200), std::size_t(wmf.size() - 10)}) {
        const QByteArray part = wmf.left(qsizetype(cut));
        EXPECT_EQ(playWmf(bytesOf(part)).frame, QSize(192, 96)) << cut;
    }
    EXPECT_NO_THROW(playEmf(bytesOf(emf.left(emf.size() - 30))));
}

TEST(Metafile, PictureFileLoadsBothKindsByExtension)
{
    QTemporaryDir dir;
    for (const auto& [name, bytes, size] : {std::tuple{"a.wmf", sampleWmf(), QSize(192, 96)},
                                            std::tuple{"b.EMF", sampleEmf(), QSize(100, 50)}}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        const PictureFile picture = PictureFile::load(path);
        EXPECT_EQ(picture.size(), size) << name;
    }
}

TEST(Metafile, HugeFrameIsDrawnSmallerButReportedWhole)
{
    Wmf w;
    w.record(0x041B, words({1000, 1000, 0, 0}));
    const metafile::Played p = playWmf(bytesOf(w.bytes(QRect(0, 0, 30000, 1000), 96)));
    EXPECT_EQ(p.frame, QSize(30000, 1000));
    EXPECT_EQ(p.image.width(), metafile::kMaxSide);
}

// A file may paint its picture over a few hundred times; the records past
// that share are not drawn, so a small file cannot keep the painter busy for
// minutes.
TEST(Metafile, DrawingStopsAfterItsShareOfPaintedArea)
{
    Emf e;
    e.record(39, dwords({1, 0, 0x0000FF, 0}));  // red
    e.record(39, dwords({2, 0, 0xFF0000, 0}));  // blue
    e.record(37, dwords({qint64(0x80000008)}));
    e.record(37, dwords({1}));
    for (int i = 0; i < int(metafile::kMaxPaintedPictures); ++i)
        e.record(43, dwords({0, 0, 10, 10}));
    e.record(37, dwords({2}));
    e.record(43, dwords({0, 0, 10, 10}));  // past the share: not drawn
    const metafile::Played p = playEmf(bytesOf(e.bytes(QRect(0, 0, 264, 264))));
    ASSERT_EQ(p.image.size(), QSize(10, 10));
    EXPECT_EQ(at(p.image, 5, 5), QColor(255, 0, 0));
}

// A shape reaching millions of pixels beyond a small picture paints what the
// painter paints for it whole: it is cut to what can show before the painter
// walks its scan lines.
TEST(Metafile, ShapesFarBeyondThePicturePaintTheSamePixels)
{
    using Draw = std::function<void(QPainter&)>;
    const QRectF huge(100 - 40000, 50, 80000, 80000);  // its top at the middle of the picture
    const struct {
        const char* name;
        int penStyle, penWidth;
        quint32 type;
        QByteArray params;
        Draw reference;
    } cases[] = {
        {"filled triangle", 0, 3, 3, polyParams(QPolygonF({{-40000, 50}, {150, -30000}, {150, 30000}})),
         [](QPainter& p) { p.drawPolygon(QPolygonF({{-40000, 50}, {150, -30000}, {150, 30000}})); }},
        {"wide zigzag", 0, 9, 4,
         polyParams(QPolygonF({{-50000, 10}, {60, 90}, {50000, -20000}, {120, 80}, {190, -3000000}})),
         [](QPainter& p) {
             p.drawPolyline(QPolygonF({{-50000, 10}, {60, 90}, {50000, -20000}, {120, 80}, {190, -3000000}}));
         }},
        {"dashed line", 1, 2, 4, polyParams(QPolygonF({{-16000, -7950}, {16000, 8050}})),
         [](QPainter& p) { p.drawLine(QPointF(-16000, -7950), QPointF(16000, 8050)); }},
        {"ellipse", 0, 5, 42, dwords({100 - 40000, 50, 100 + 40000, 80050}),
         [&](QPainter& p) { p.drawEllipse(huge); }},
        {"pie", 0, 5, 47, dwords({100 - 40000, 50, 100 + 40000, 80050, 100 + 40000, 40050, 100, 50}),
         [&](QPainter& p) { p.drawPie(huge, 0, 90 * 16); }},
    };
    for (const auto& c : cases) {
        Emf e;
        e.record(38, dwords({1, c.penStyle, c.penWidth, 0, 0x0000FF}));  // red pen
        e.record(39, dwords({2, 0, 0xFF0000, 0}));                       // blue brush
        e.record(37, dwords({1}));
        e.record(37, dwords({2}));
        e.record(c.type, c.params);
        const metafile::Played played = playEmf(bytesOf(e.bytes(QRect(0, 0, 5292, 2646))));
        ASSERT_EQ(played.image.size(), QSize(200, 100)) << c.name;

        QImage expected(200, 100, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::Antialiasing);
        const Qt::PenStyle style = c.penStyle ? Qt::DashLine : Qt::SolidLine;
        painter.setPen(QPen(Qt::red, c.penWidth, style, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::blue);
        c.reference(painter);
        painter.end();

        int differing = 0, painted = 0;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 200; ++x) {
                const QRgb a = played.image.pixel(x, y), b = expected.pixel(x, y);
                painted += qAlpha(b) > 0;
                const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                        std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
                differing += d > 16;
            }
        }
        EXPECT_GT(painted, 100) << c.name;  // the case does show something
        EXPECT_EQ(differing, 0) << c.name;
    }
}

// One shape that would keep the painter busy for minutes (here thousands of
// edges crossing every scan line) is not painted, nor is anything after it.
TEST(Metafile, ShapeCostingMoreThanIsLeftIsSkippedWithAllAfterIt)
{
    QPolygonF zigzag;
    for (int i = 0; i < 3000; ++i)
        zigzag << QPointF(i % 1000, i % 2 ? 0 : 999);
    Emf e;
    e.record(37, dwords({qint64(0x80000008)}));  // no outlines
    e.record(39, dwords({1, 0, 0x0000FF, 0}));   // red
    e.record(39, dwords({2, 0, 0xFF0000, 0}));   // blue
    e.record(39, dwords({3, 0, 0x00FF00, 0}));   // green
    e.record(37, dwords({1}));
    e.record(43, dwords({0, 0, 10, 10}));
    e.record(37, dwords({2}));
    e.record(3, polyParams(zigzag));
    e.record(37, dwords({3}));
    e.record(43, dwords({20, 20, 30, 30}));
    const metafile::Played p = playEmf(bytesOf(e.bytes(QRect(0, 0, 26458, 26458))));
    ASSERT_EQ(p.image.size(), QSize(1000, 1000));
    EXPECT_EQ(at(p.image, 5, 5), QColor(255, 0, 0));
    for (int x = 0; x < 1000; x += 10)
        ASSERT_NE(at(p.image, x, 500), QColor(0, 0, 255)) << x;
    EXPECT_EQ(at(p.image, 25, 25).alpha(), 0);
}

namespace {

// An ExtSelectClipRgn record's parameters: the region's rectangles
// (left, top, right, bottom in device units) combined by mode.
QByteArray regionParams(const std::vector<QRect>& rects, int mode)
{
    QByteArray data = dwords({32, 1, qint64(rects.size()), qint64(16 * rects.size()), 0, 0, 0, 0});
    for (const QRect& r : rects)
        data += dwords({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    return dwords({data.size(), mode}) + data;
}

// A 100 × 100 EMF whose records before and after are a red and a blue
// 10-pixel square: what the records between them left of the drawing shows
// in which squares appear.
QByteArray between(const std::function<void(Emf&)>& middle)
{
    Emf e;
    e.record(37, dwords({qint64(0x80000008)}));  // no outlines
    e.record(39, dwords({1, 0, 0x0000FF, 0}));   // red
    e.record(39, dwords({2, 0, 0xFF0000, 0}));   // blue
    e.record(37, dwords({1}));
    e.record(43, dwords({0, 0, 10, 10}));
    middle(e);
    e.record(37, dwords({2}));
    e.record(43, dwords({20, 20, 30, 30}));
    return e.bytes(QRect(0, 0, 2645, 2645));
}

// The same with WMF records between the squares.
QByteArray betweenWmf(const std::function<void(Wmf&)>& middle)
{
    Wmf w;
    w.record(0x02FA, words({5, 0, 0}) + dwords({0}));                 // null pen, slot 0
    w.record(0x02FC, words({0}) + dwords({0x0000FF}) + words({0}));  // red, slot 1
    w.record(0x02FC, words({0}) + dwords({0xFF0000}) + words({0}));  // blue, slot 2
    w.record(0x012D, words({0}));
    w.record(0x012D, words({1}));
    w.record(0x041B, words({10, 10, 0, 0}));
    middle(w);
    w.record(0x012D, words({2}));
    w.record(0x041B, words({30, 30, 20, 20}));
    return w.bytes(QRect(0, 0, 100, 100), 96);
}

QByteArray wmfFont(int height, const QByteArray& face)
{
    return words({height, 0, 0, 0, 400}) + QByteArray(8, '\0') + face.leftJustified(32, '\0');
}

metafile::Played playEither(const QByteArray& bytes)
{
    return bytes.startsWith(QByteArray("\x01\0\0\0", 4)) ? playEmf(bytesOf(bytes)) : playWmf(bytesOf(bytes));
}

}  // namespace

// The clip is a region of whole pixels; each mode combines the clip so far
// (here the left half) with a region (here the top half) as a device does,
// and a region that covers everything or nothing behaves as such.
TEST(Metafile, ClipRegionModesCombineWithTheClipSoFar)
{
    const QRect left(0, 0, 50, 100), top(0, 0, 100, 50);
    const struct {
        const char* name;
        int mode;
        std::vector<QRect> second;
        bool topLeft, topRight, bottomLeft, bottomRight;
    } cases[] = {
        {"and", 1, {top}, true, false, false, false},
        {"or", 2, {top}, true, true, true, false},
        {"xor", 3, {top}, false, true, true, false},
        {"diff", 4, {top}, false, false, true, false},
        {"copy", 5, {top}, true, true, false, false},
        {"copy of nothing clears the clip", 5, {}, true, true, true, true},
        {"and with nothing clips everything", 1, {}, false, false, false, false},
        // Overlapping rectangles, as a damaged file may hold, count once.
        {"overlapping rectangles", 3, {QRect(0, 0, 100, 30), QRect(0, 20, 100, 30)}, false, true, true, false},
    };
    for (const auto& c : cases) {
        Emf e;
        e.record(39, dwords({1, 0, 0x0000FF, 0}));
        e.record(37, dwords({1}));
        e.record(37, dwords({qint64(0x80000008)}));
        e.record(75, regionParams({left}, 5));
        e.record(75, regionParams(c.second, c.mode));
        e.record(43, dwords({0, 0, 100, 100}));
        const metafile::Played p = playEmf(bytesOf(e.bytes(QRect(0, 0, 2645, 2645))));
        ASSERT_EQ(p.image.size(), QSize(100, 100)) << c.name;
        EXPECT_EQ(at(p.image, 25, 10).alpha() > 0, c.topLeft) << c.name;
        EXPECT_EQ(at(p.image, 75, 10).alpha() > 0, c.topRight) << c.name;
        EXPECT_EQ(at(p.image, 25, 75).alpha() > 0, c.bottomLeft) << c.name;
        EXPECT_EQ(at(p.image, 75, 75).alpha() > 0, c.bottomRight) << c.name;
    }
}

// A path selected as the clip clips to the pixels it covers, by the fill
// mode; outside its bounds nothing is drawn.
TEST(Metafile, ClipPathClipsToThePixelsItCovers)
{
    Emf e;
    e.record(39, dwords({1, 0, 0x0000FF, 0}));
    e.record(37, dwords({1}));
    e.record(37, dwords({qint64(0x80000008)}));
    e.record(59, {});  // a triangle with its right angle at the top left
    e.record(3, polyParams(QPolygonF({{0, 0}, {100, 0}, {0, 100}})));
    e.record(60, {});
    e.record(67, dwords({5}));
    e.record(43, dwords({0, 0, 100, 100}));
    const metafile::Played p = playEmf(bytesOf(e.bytes(QRect(0, 0, 2645, 2645))));
    ASSERT_EQ(p.image.size(), QSize(100, 100));
    EXPECT_EQ(at(p.image, 20, 20), QColor(255, 0, 0));
    EXPECT_EQ(at(p.image, 45, 45), QColor(255, 0, 0));
    EXPECT_EQ(at(p.image, 55, 55).alpha(), 0);
    EXPECT_EQ(at(p.image, 90, 90).alpha(), 0);
}

// A new WMF object takes the lowest slot free, whether slots were freed
// first or last, however many objects came before.
TEST(Metafile, WmfObjectsTakeTheLowestFreeSlot)
{
    Wmf w;
    for (int i = 0; i < 70000; ++i)  // more than there are slots
        w.record(0x02FC, words({0}) + dwords({0x00FF00}) + words({0}));
    w.record(0x02FA, words({5, 0, 0}) + dwords({0}));  // no slot left: dropped
    w.record(0x01F0, words({40000}));
    w.record(0x01F0, words({7}));
    w.record(0x01F0, words({7}));  // deleted twice: freed once
    w.record(0x02FC, words({0}) + dwords({0x0000FF}) + words({0}));  // red into 7
    w.record(0x02FC, words({0}) + dwords({0xFF0000}) + words({0}));  // blue into 40000
    w.record(0x02FA, words({5, 0, 0}) + dwords({0}));                // a null pen: no slot
    w.record(0x012D, words({7}));
    w.record(0x041B, words({10, 10, 0, 0}));
    w.record(0x012D, words({40000}));
    w.record(0x041B, words({30, 30, 20, 20}));
    const metafile::Played p = playWmf(bytesOf(w.bytes(QRect(0, 0, 100, 100), 96)));
    EXPECT_EQ(at(p.image, 5, 5), QColor(255, 0, 0));
    EXPECT_EQ(at(p.image, 25, 25), QColor(0, 0, 255));
}

// Records that cost the painter little but the player much (clipping,
// paths, objects, fonts, text) are charged to the same share as painting:
// a file made of them ends its drawing, in well under a second's work, and
// draws nothing after. A file asking for too much at once has that record
// skipped.
TEST(Metafile, HostileRecordsAreChargedLikePainting)
{
    QPolygonF zigzag;
    for (int i = 0; i < 4000; ++i)
        zigzag << QPointF((i * 37) % 100, i % 2 ? 0 : 99);
    const struct {
        const char* name;
        QByteArray bytes;
        bool blueDrawn;
    } cases[] = {
        {"thousands of excluded boxes", betweenWmf([](Wmf& w) {
             // Every other pixel, as a checkerboard, over and over.
             for (int i = 0; i < 30000; ++i) {
                 const int k = i % 5000, y = k / 50, x = k % 50 * 2 + y % 2;
                 w.record(0x0415, words({y + 1, x + 1, y, x}));
             }
         }),
         false},
        {"a region over and over in xor", between([](Emf& e) {
             std::vector<QRect> grid;
             for (int y = 0; y < 100; y += 2)
                 for (int x = y % 4 / 2; x < 100; x += 2)
                     grid.emplace_back(x, y, 1, 1);
             for (int i = 0; i < 250; ++i)
                 e.record(75, regionParams(grid, 3));
         }),
         false},
        {"a region of more rectangles than any clip needs", between([](Emf& e) {
             e.record(75, regionParams(std::vector<QRect>(metafile::kMaxRegionRectangles + 1, QRect(0, 0, 1, 1)), 5));
         }),
         true},
        {"a path of more points than a record may hold", between([](Emf& e) {
             e.record(59, {});
             e.record(86, dwords({0, 0, 0, 0, qint64(metafile::kMaxPoints + 1)})
                              + QByteArray(qsizetype(4 * (metafile::kMaxPoints + 1)), '\0'));
             e.record(60, {});
             e.record(67, dwords({5}));
         }),
         true},
        {"a path growing past what a path may hold", between([&](Emf& e) {
             e.record(59, {});
             for (std::size_t i = 0; i <= metafile::kMaxPoints / 4000; ++i)
                 e.record(4, polyParams(zigzag));
             e.record(60, {});
             e.record(67, dwords({5}));
         }),
         false},
        {"a self-crossing path selected as the clip", between([&](Emf& e) {
             for (int i = 0; i < 100; ++i) {
                 e.record(59, {});
                 e.record(4, polyParams(zigzag));
                 e.record(60, {});
                 e.record(67, dwords({3}));
             }
         }),
         false},
        {"hundreds of thousands of objects", betweenWmf([](Wmf& w) {
             for (int i = 0; i < 300000; ++i) {
                 w.record(0x02FA, words({0, 1, 0}) + dwords({0}));
                 w.record(0x01F0, words({3}));
             }
         }),
         false},
        {"thousands of fonts", betweenWmf([](Wmf& w) {
             for (int i = 0; i < 5000; ++i) {
                 w.record(0x02FB, wmfFont(-10, "Face" + QByteArray::number(i)));
                 w.record(0x012D, words({3}));
                 w.record(0x0521, words({1}) + QByteArray("A", 2) + words({50, 50}));
                 w.record(0x01F0, words({3}));
             }
         }),
         false},
        {"long lines at the largest font", betweenWmf([](Wmf& w) {
             const QByteArray line(32000, 'W');
             w.record(0x02FB, wmfFont(-32767, "Sans"));
             w.record(0x012D, words({3}));
             for (int i = 0; i < 20; ++i)  // below the picture, running across it
                 w.record(0x0A32, words({30000, -i * 1000, int(line.size()), 0}) + line);
         }),
         true},
    };
    for (const auto& c : cases) {
        const metafile::Played p = playEither(c.bytes);
        EXPECT_EQ(at(p.image, 5, 5), QColor(255, 0, 0)) << c.name;
        // A pixel no case clips away.
        EXPECT_EQ(at(p.image, 26, 25) == QColor(0, 0, 255), c.blueDrawn) << c.name;
    }
}

// A line of text running far beyond the picture costs what its visible
// part costs: the characters that can show are drawn where the whole line
// puts them, whether it runs out to the right or, aligned right, to the left.
TEST(Metafile, LongTextIsDrawnOnlyWhereItCanShow)
{
    const QByteArray digits = QByteArray("0123456789").repeated(3000);
    const struct {
        const char* name;
        int align, x;
        QByteArray reference;
    } cases[] = {
        {"running right", 24, 10, digits.left(5)},
        {"aligned right, running left", 24 | 2, 90, digits.right(5)},
    };
    for (const auto& c : cases) {
        Wmf w;
        w.record(0x02FB, wmfFont(-200, "DejaVu Sans Mono"));
        w.record(0x012D, words({0}));
        w.record(0x012E, words({c.align}));
        w.record(0x0102, words({1}));  // transparent background
        w.record(0x0A32, words({80, c.x, int(digits.size()), 0}) + digits);
        const metafile::Played p = playWmf(bytesOf(w.bytes(QRect(0, 0, 100, 100), 96)));

        QImage expected(100, 100, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        {
            QPainter painter(&expected);
            painter.setRenderHint(QPainter::Antialiasing);
            QFont font(QStringLiteral("DejaVu Sans Mono"));
            font.setPixelSize(200);
            painter.setFont(font);
            const QString text = QString::fromLatin1(c.reference);
            const double width = c.align & 2 ? QFontMetricsF(font).horizontalAdvance(text) : 0;
            painter.drawText(QPointF(c.x - width, 80), text);
        }
        // Glyphs may land a fraction of a pixel apart, so each row's ink is
        // compared by where it begins and ends.
        const auto ink = [](const QImage& image, int y) {
            int first = -1, last = -1;
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(image.pixel(x, y)) > 128) {
                    first = first < 0 ? x : first;
                    last = x;
                }
            }
            return std::pair(first, last);
        };
        int inked = 0;
        for (int y = 0; y < 100; ++y) {
            const auto [playedFirst, playedLast] = ink(p.image, y);
            const auto [expectedFirst, expectedLast] = ink(expected, y);
            inked += expectedFirst >= 0;
            EXPECT_LE(std::abs(playedFirst - expectedFirst), 1) << c.name << " row " << y;
            EXPECT_LE(std::abs(playedLast - expectedLast), 1) << c.name << " row " << y;
        }
        EXPECT_GT(inked, 50) << c.name;
    }
}
