#include "pictures/WmfPlayer.h"

#include "platform/Errors.h"
#include "platform/Windows1251.h"

#include <algorithm>
#include <cstring>
#include <optional>

using namespace metafile;

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kHeaderSize = 18;

enum Record : std::uint16_t {
    Eof = 0x0000,
    SaveDc = 0x001E,
    SetBkMode = 0x0102,
    SetPolyFillMode = 0x0106,
    SetTextAlign = 0x012E,
    RestoreDc = 0x0127,
    SelectObject = 0x012D,
    DibCreatePatternBrush = 0x0142,
    DeleteObject = 0x01F0,
    CreatePatternBrush = 0x01F9,
    CreatePalette = 0x00F7,
    SetBkColor = 0x0201,
    SetTextColor = 0x0209,
    SetWindowOrg = 0x020B,
    SetWindowExt = 0x020C,
    OffsetWindowOrg = 0x020F,
    LineTo = 0x0213,
    MoveTo = 0x0214,
    CreatePenIndirect = 0x02FA,
    CreateFontIndirect = 0x02FB,
    CreateBrushIndirect = 0x02FC,
    Polygon = 0x0324,
    Polyline = 0x0325,
    ExcludeClipRect = 0x0415,
    IntersectClipRect = 0x0416,
    Ellipse = 0x0418,
    Rectangle = 0x041B,
    TextOut = 0x0521,
    PolyPolygon = 0x0538,
    RoundRect = 0x061C,
    CreateRegion = 0x06FF,
    Arc = 0x0817,
    Pie = 0x081A,
    Chord = 0x0830,
    DibBitBlt = 0x0940,
    ExtTextOut = 0x0A32,
    DibStretchBlt = 0x0B41,
    StretchDib = 0x0F43,
};

// The parameters of one record, past its six-byte head.
class Params {
public:
    explicit Params(imagedecode::Bytes bytes) : b_(bytes) {}
    std::size_t size() const { return b_.size(); }
    double s16(std::size_t offset) const { return static_cast<std::int16_t>(b_.u16(offset)); }
    std::uint16_t u16(std::size_t offset) const { return b_.u16(offset); }
    std::uint32_t u32(std::size_t offset) const { return b_.u32(offset); }
    std::uint8_t u8(std::size_t offset) const { return b_.u8(offset); }
    imagedecode::Bytes from(std::size_t offset) const { return b_.from(offset); }
    imagedecode::Bytes slice(std::size_t offset, std::size_t n) const { return b_.slice(offset, n); }

    // The point stored as y, x at offset (the order most records use).
    QPointF yx(std::size_t offset) const { return {s16(offset + 2), s16(offset)}; }
    // The rectangle stored as bottom, right, top, left at offset.
    QRectF box(std::size_t offset) const
    {
        return QRectF(QPointF(s16(offset + 6), s16(offset + 4)), QPointF(s16(offset + 2), s16(offset)));
    }
    // count x, y points at offset; the count is checked against the record
    // before anything is allocated.
    QPolygonF points(std::size_t offset, std::size_t count) const
    {
        if (!b_.has(offset, count * 4))
            metafileFailure(QStringLiteral("A metafile record holds fewer points than it declares"));
        QPolygonF poly;
        poly.reserve(qsizetype(count));
        for (std::size_t i = 0; i < count; ++i)
            poly.append(QPointF(s16(offset + 4 * i), s16(offset + 4 * i + 2)));
        return poly;
    }
    QString ansi(std::size_t offset, std::size_t length) const
    {
        const auto* p = reinterpret_cast<const char*>(b_.at(offset, length));
        const auto* nul = static_cast<const char*>(std::memchr(p, 0, length));
        return fromWindows1251(p, nul ? nul - p : qsizetype(length));
    }

private:
    imagedecode::Bytes b_;
};

void bitmapRecord(Canvas& canvas, const Params& r, std::size_t srcAt, std::size_t destAt, std::size_t dibAt,
                  bool stretched)
{
    const QImage image = decodeDib(r.from(dibAt));
    const QRectF dest(QPointF(r.s16(destAt + 6), r.s16(destAt + 4)), QSizeF(r.s16(destAt + 2), r.s16(destAt)));
    QRectF source = stretched ? QRectF(QPointF(r.s16(srcAt + 6), r.s16(srcAt + 4)), QSizeF(r.s16(srcAt + 2), r.s16(srcAt)))
                              : QRectF(QPointF(r.s16(srcAt + 2), r.s16(srcAt)), dest.size());
    source = source.normalized().intersected(QRectF(image.rect()));
    canvas.bitmap(dest.normalized(), image, source);
}

Object fontRecord(const Params& r)
{
    Object o;
    o.kind = Object::Font;
    o.font.height = r.s16(0);
    o.font.escapement = r.s16(4);
    o.font.weight = int(r.s16(8));
    o.font.italic = r.u8(10);
    o.font.underline = r.u8(11);
    o.font.strikeOut = r.u8(12);
    if (r.size() > 18)
        o.font.face = r.ansi(18, std::min<std::size_t>(32, r.size() - 18));
    return o;
}

Object patternBrush(const Params& r)
{
    Object o = makeBrush(0, QColor(128, 128, 128), 0);
    const QImage pattern = decodeDib(r.from(4));
    if (!pattern.isNull() && pattern.width() <= 256 && pattern.height() <= 256)
        o.brush = QBrush(pattern);
    return o;
}

void play(Canvas& c, std::uint16_t function, const Params& r)
{
    switch (function) {
    case SetBkColor: c.setBkColor(colorRef(r.u32(0))); break;
    case SetBkMode: c.setBkMode(r.u16(0)); break;
    case SetTextColor: c.setTextColor(colorRef(r.u32(0))); break;
    case SetTextAlign: c.setTextAlign(r.u16(0)); break;
    case SetPolyFillMode: c.setPolyFillMode(r.u16(0)); break;
    case SetWindowOrg: c.setWindowOrg(r.yx(0)); break;
    case SetWindowExt: {
        const QPointF e = r.yx(0);
        c.setWindowExt(QSizeF(e.x(), e.y()));
        break;
    }
    case OffsetWindowOrg: c.offsetWindowOrg(r.yx(0)); break;
    case SaveDc: c.save(); break;
    case RestoreDc: c.restore(int(r.s16(0))); break;
    case CreatePenIndirect: c.addObject(makePen(r.u16(0), r.s16(2), colorRef(r.u32(6)))); break;
    case CreateBrushIndirect: c.addObject(makeBrush(r.u16(0), colorRef(r.u32(2)), r.u16(6))); break;
    case CreateFontIndirect: c.addObject(fontRecord(r)); break;
    case DibCreatePatternBrush: c.addObject(patternBrush(r)); break;
    case CreatePatternBrush:
        c.addObject(makeBrush(0, QColor(128, 128, 128), 0));
        break;
    case CreatePalette:
    case CreateRegion: {
        Object other;
        other.kind = Object::Other;
        c.addObject(other);
        break;
    }
    case SelectObject: c.selectObject(r.u16(0)); break;
    case DeleteObject: c.deleteObject(r.u16(0)); break;
    case MoveTo: c.moveTo(r.yx(0)); break;
    default:
        if (!c.mayDraw())
            return;
        switch (function) {
        case LineTo: c.lineTo(r.yx(0)); break;
        case Polyline: c.polyline(r.points(2, std::max(0, int(r.s16(0))))); break;
        case Polygon: c.polygon(r.points(2, std::max(0, int(r.s16(0))))); break;
        case PolyPolygon: {
            const std::size_t n = r.u16(0);
            std::vector<QPolygonF> polys;
            std::size_t at = 2 + 2 * n, total = 0;
            for (std::size_t i = 0; i < n; ++i) {
                const std::size_t count = r.u16(2 + 2 * i);
                total += count;
                if (total > kMaxPoints)
                    metafileFailure(QStringLiteral("A metafile record holds too many points"));
                polys.push_back(r.points(at, count));
                at += 4 * count;
            }
            c.polyPolygon(polys);
            break;
        }
        case Rectangle: c.rectangle(r.box(0)); break;
        case Ellipse: c.ellipse(r.box(0)); break;
        case RoundRect: {
            const QPointF corner = r.yx(0);
            c.roundRect(r.box(4), QSizeF(corner.x(), corner.y()));
            break;
        }
        case Arc: c.arc(r.box(8), r.yx(4), r.yx(0)); break;
        case Pie: c.pie(r.box(8), r.yx(4), r.yx(0)); break;
        case Chord: c.chord(r.box(8), r.yx(4), r.yx(0)); break;
        case TextOut: {
            const std::size_t length = std::max(0, int(r.s16(0)));
            const std::size_t padded = (length + 1) & ~std::size_t(1);
            const QString text = r.ansi(2, length);
            c.text(r.yx(2 + padded), text, nullptr);
            break;
        }
        case ExtTextOut: {
            const std::size_t length = std::max(0, int(r.s16(4)));
            const unsigned options = r.u16(6);
            const bool hasBox = options & 0x0006;
            const QRectF box = hasBox ? QRectF(QPointF(r.s16(8), r.s16(10)), QPointF(r.s16(12), r.s16(14))) : QRectF();
            const QString text = r.ansi(hasBox ? 16 : 8, length);
            c.text(r.yx(0), text, (options & 0x0002) ? &box : nullptr);
            break;
        }
        case IntersectClipRect: c.intersectClip(r.box(0)); break;
        case ExcludeClipRect: c.excludeClip(r.box(0)); break;
        case StretchDib: bitmapRecord(c, r, 6, 14, 22, true); break;
        case DibStretchBlt:
            if (r.size() > 20)
                bitmapRecord(c, r, 4, 12, 20, true);
            break;
        case DibBitBlt:
            if (r.size() > 18)
                bitmapRecord(c, r, 4, 8, 16, false);
            break;
        default: break;  // not drawn by this player
        }
    }
}

// Calls visit(function, parameters) for each record from pos until the end
// record, a record that claims more than the file holds, or visit returning
// false.
template <class Visit>
void forEachRecord(imagedecode::Bytes file, std::size_t pos, Visit visit)
{
    while (file.has(pos, 6)) {
        const std::uint64_t bytes = std::uint64_t(file.u32(pos)) * 2;
        if (bytes < 6 || !file.has(pos, bytes))
            return;
        const std::uint16_t function = file.u16(pos + 4);
        if (function == Eof || !visit(function, Params(file.slice(pos + 6, bytes - 6))))
            return;
        pos += bytes;
    }
}

// The window the records set first, for a file without a placeable header.
QRectF firstWindow(imagedecode::Bytes file, std::size_t pos)
{
    QPointF org;
    std::optional<QSizeF> ext;
    forEachRecord(file, pos, [&](std::uint16_t function, const Params& r) {
        if (r.size() >= 4 && function == SetWindowOrg)
            org = r.yx(0);
        if (r.size() >= 4 && function == SetWindowExt) {
            const QPointF e = r.yx(0);
            if (e.x() != 0 && e.y() != 0)
                ext = QSizeF(e.x(), e.y());
        }
        return !ext;
    });
    return ext ? QRectF(org, *ext) : QRectF();
}

}  // namespace

Played playWmf(imagedecode::Bytes file)
{
    std::size_t pos = 0;
    QRectF frameUnits;
    double unitsPerInch = 96;
    if (file.has(0, kPlaceableSize) && file.u32(0) == kPlaceableKey) {
        const Params h(file.slice(0, kPlaceableSize));
        frameUnits = QRectF(QPointF(h.s16(6), h.s16(8)), QPointF(h.s16(10), h.s16(12)));
        unitsPerInch = h.u16(14);
        if (unitsPerInch == 0)
            metafileFailure(QStringLiteral("The metafile's header gives no units per inch"));
        pos = kPlaceableSize;
    }
    if (!file.has(pos, kHeaderSize))
        metafileFailure(QStringLiteral("The metafile is truncated"));
    const std::uint16_t type = file.u16(pos);
    if ((type != 1 && type != 2) || file.u16(pos + 2) != kHeaderSize / 2)
        metafileFailure(QStringLiteral("Not a Windows metafile"));
    pos += kHeaderSize;
    if (frameUnits.isNull())
        frameUnits = firstWindow(file, pos);

    const QSizeF frame(std::abs(frameUnits.width()) * 96 / unitsPerInch, std::abs(frameUnits.height()) * 96 / unitsPerInch);
    double scale = 1;
    QImage image = surfaceFor(frame, &scale);
    {
        Canvas canvas(image, QTransform(), QPointF(25.4 / 96 / scale, 25.4 / 96 / scale));
        canvas.setMapMode(MmAnisotropic);
        canvas.setWindowOrg(frameUnits.topLeft());
        canvas.setWindowExt(frameUnits.size());
        canvas.setViewportExt(QSizeF(image.size()));
        forEachRecord(file, pos, [&](std::uint16_t function, const Params& r) {
            if (!canvas.mayPlay())
                return false;
            try {
                play(canvas, function, r);
            } catch (const imagedecode::DecodeError&) {
                // A record too short for what it declares is skipped,
            } catch (const EInvalidGraphic&) {
                // and so is one whose bitmap cannot be read.
            }
            return true;
        });
        if (!canvas.drewSomething())
            metafileFailure(QStringLiteral("The metafile draws nothing"));
    }
    return Played{QSize(qRound(frame.width()), qRound(frame.height())), std::move(image)};
}
