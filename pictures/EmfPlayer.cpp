#include "pictures/EmfPlayer.h"

#include "platform/Errors.h"
#include "platform/Windows1251.h"

#include <algorithm>
#include <cstring>

using namespace metafile;

namespace {

constexpr std::uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr std::size_t kMinHeaderSize = 88;
constexpr std::uint32_t kStockBit = 0x80000000;

enum Record : std::uint32_t {
    Header = 1,
    PolyBezier = 2,
    Polygon = 3,
    Polyline = 4,
    PolyBezierTo = 5,
    PolylineTo = 6,
    PolyPolyline = 7,
    PolyPolygon = 8,
    SetWindowExtEx = 9,
    SetWindowOrgEx = 10,
    SetViewportExtEx = 11,
    SetViewportOrgEx = 12,
    Eof = 14,
    SetMapMode = 17,
    SetBkMode = 18,
    SetPolyFillMode = 19,
    SetTextAlign = 22,
    SetTextColor = 24,
    SetBkColor = 25,
    MoveToEx = 27,
    ExcludeClipRect = 29,
    IntersectClipRect = 30,
    SaveDc = 33,
    RestoreDc = 34,
    SetWorldTransform = 35,
    ModifyWorldTransform = 36,
    SelectObject = 37,
    CreatePen = 38,
    CreateBrushIndirect = 39,
    DeleteObject = 40,
    Ellipse = 42,
    Rectangle = 43,
    RoundRect = 44,
    Arc = 45,
    Chord = 46,
    Pie = 47,
    CreatePalette = 49,
    LineTo = 54,
    BeginPath = 59,
    EndPath = 60,
    CloseFigure = 61,
    FillPath = 62,
    StrokeAndFillPath = 63,
    StrokePath = 64,
    SelectClipPath = 67,
    AbortPath = 68,
    FillRgn = 71,
    ExtSelectClipRgn = 75,
    BitBlt = 76,
    StretchBlt = 77,
    StretchDiBits = 81,
    ExtCreateFontIndirectW = 82,
    ExtTextOutA = 83,
    ExtTextOutW = 84,
    PolyBezier16 = 85,
    Polygon16 = 86,
    Polyline16 = 87,
    PolyBezierTo16 = 88,
    PolylineTo16 = 89,
    PolyPolyline16 = 90,
    PolyPolygon16 = 91,
    CreateDibPatternBrushPt = 94,
    ExtCreatePen = 95,
};

// One whole record; offsets count from its start, as the offsets stored in
// records do.
class Params {
public:
    explicit Params(imagedecode::Bytes bytes) : b_(bytes) {}
    std::size_t size() const { return b_.size(); }
    std::uint32_t u32(std::size_t offset) const { return b_.u32(offset); }
    double s32(std::size_t offset) const { return b_.i32(offset); }
    double s16(std::size_t offset) const { return static_cast<std::int16_t>(b_.u16(offset)); }
    std::uint8_t u8(std::size_t offset) const { return b_.u8(offset); }
    float f32(std::size_t offset) const
    {
        const std::uint32_t bits = b_.u32(offset);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    imagedecode::Bytes slice(std::size_t offset, std::size_t n) const { return b_.slice(offset, n); }
    bool has(std::size_t offset, std::uint64_t n) const { return n <= b_.size() && b_.has(offset, std::size_t(n)); }

    QPointF point(std::size_t offset) const { return {s32(offset), s32(offset + 4)}; }
    QSizeF sizeAt(std::size_t offset) const { return {s32(offset), s32(offset + 4)}; }
    QRectF box(std::size_t offset) const { return QRectF(point(offset), point(offset + 8)); }
    QTransform xform(std::size_t offset) const
    {
        return QTransform(f32(offset), f32(offset + 4), f32(offset + 8), f32(offset + 12), f32(offset + 16),
                          f32(offset + 20));
    }
    // count points of 4 bytes (16-bit) or 8 bytes (32-bit) at offset, the
    // count checked against the record before anything is allocated.
    QPolygonF points(std::size_t offset, std::uint64_t count, bool small) const
    {
        const std::uint64_t each = small ? 4 : 8;
        if (count > kMaxPoints)
            metafileFailure(QStringLiteral("A metafile record holds too many points"));
        if (!has(offset, count * each))
            metafileFailure(QStringLiteral("A metafile record holds fewer points than it declares"));
        QPolygonF poly;
        poly.reserve(qsizetype(count));
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = offset + i * each;
            poly.append(small ? QPointF(s16(at), s16(at + 2)) : point(at));
        }
        return poly;
    }
    // Bounds, count and the points of a poly record.
    QPolygonF polyPoints(bool small) const { return points(28, u32(24), small); }
    // Bounds, polygon count, point count, the counts and the points.
    std::vector<QPolygonF> polyPolyPoints(bool small) const
    {
        const std::uint64_t n = u32(24), total = u32(28);
        if (n > kMaxPoints || total > kMaxPoints)
            metafileFailure(QStringLiteral("A metafile record holds too many points"));
        if (!has(32, n * 4))
            metafileFailure(QStringLiteral("A metafile record holds fewer counts than it declares"));
        std::uint64_t at = 32 + n * 4, sum = 0;
        std::vector<QPolygonF> polys;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t count = u32(32 + 4 * i);
            sum += count;
            if (sum > total)
                metafileFailure(QStringLiteral("A metafile record's counts exceed its points"));
            polys.push_back(points(std::size_t(at), count, small));
            at += std::uint64_t(count) * (small ? 4 : 8);
        }
        return polys;
    }
    // The rectangles of region data of the given size at offset.
    std::vector<QRectF> region(std::size_t offset, std::uint64_t bytes) const
    {
        std::vector<QRectF> rects;
        if (bytes < 32 || !has(offset, bytes))
            return rects;
        const std::uint64_t count = u32(offset + 8);
        if (count > kMaxRegionRectangles)
            metafileFailure(QStringLiteral("A metafile region holds too many rectangles"));
        if (count * 16 > bytes - 32)
            metafileFailure(QStringLiteral("A metafile region holds fewer rectangles than it declares"));
        rects.reserve(std::size_t(count));
        for (std::size_t i = 0; i < count; ++i)
            rects.push_back(box(offset + 32 + 16 * i));
        return rects;
    }
    // A packed bitmap from its two parts, header and bits.
    QImage bitmap(std::size_t offBmi, std::size_t offBmiAt) const
    {
        const std::uint32_t offInfo = u32(offBmi), infoBytes = u32(offBmi + 4);
        const std::uint32_t offBits = u32(offBmiAt), bitsBytes = u32(offBmiAt + 4);
        if (infoBytes == 0)
            return {};
        const imagedecode::Bytes info = slice(offInfo, infoBytes);
        const imagedecode::Bytes bits = slice(offBits, bitsBytes);
        QByteArray packed(reinterpret_cast<const char*>(info.data()), qsizetype(info.size()));
        packed.append(reinterpret_cast<const char*>(bits.data()), qsizetype(bits.size()));
        return decodeDib(imagedecode::Bytes(reinterpret_cast<const std::uint8_t*>(packed.constData()),
                                             std::size_t(packed.size())));
    }

private:
    imagedecode::Bytes b_;
};

Object fontRecord(const Params& r)
{
    Object o;
    o.kind = Object::Font;
    o.font.height = r.s32(12);
    o.font.escapement = r.s32(20);
    o.font.weight = int(r.s32(28));
    o.font.italic = r.u8(32);
    o.font.underline = r.u8(33);
    o.font.strikeOut = r.u8(34);
    if (r.has(40, 64)) {
        const imagedecode::Bytes face = r.slice(40, 64);
        QString name;
        for (std::size_t i = 0; i < 32; ++i) {
            const char16_t c = face.u16(2 * i);
            if (c == 0)
                break;
            name.append(QChar(c));
        }
        o.font.face = name;
    }
    return o;
}

void textRecord(Canvas& c, const Params& r, bool wide)
{
    const std::uint64_t chars = r.u32(44);
    const std::uint32_t offString = r.u32(48);
    const std::uint32_t options = r.u32(52);
    if (chars > kMaxCharacters)
        metafileFailure(QStringLiteral("A metafile text record holds too many characters"));
    if (!r.has(offString, chars * (wide ? 2 : 1)))
        metafileFailure(QStringLiteral("A metafile text record holds fewer characters than it declares"));
    QString text;
    if (wide) {
        const imagedecode::Bytes bytes = r.slice(offString, std::size_t(chars * 2));
        text.reserve(qsizetype(chars));
        for (std::size_t i = 0; i < chars; ++i)
            text.append(QChar(char16_t(bytes.u16(2 * i))));
    } else {
        const imagedecode::Bytes bytes = r.slice(offString, std::size_t(chars));
        text = fromWindows1251(reinterpret_cast<const char*>(bytes.data()), qsizetype(chars));
    }
    const QRectF box = r.box(56);
    c.text(r.point(36), text, (options & 0x0002) ? &box : nullptr);
}

void bitBlt(Canvas& c, const Params& r, bool stretched)
{
    const QRectF dest(r.point(24), r.sizeAt(32));
    const QImage image = r.size() >= 100 ? r.bitmap(84, 92) : QImage();
    if (image.isNull()) {
        // No source: the destination is filled, by the brush or plainly.
        switch (r.u32(40)) {
        case 0x00000042: c.rectangleFill(dest, Qt::black); break;
        case 0x00FF0062: c.rectangleFill(dest, Qt::white); break;
        default: c.rectangleFill(dest, std::nullopt); break;
        }
        return;
    }
    const QSizeF sourceSize = stretched && r.size() >= 108 ? r.sizeAt(100) : dest.size();
    c.bitmap(dest.normalized(), image, QRectF(r.point(44), sourceSize).normalized().intersected(QRectF(image.rect())));
}

void stretchDiBits(Canvas& c, const Params& r)
{
    const QImage image = r.bitmap(48, 56);
    const QRectF dest(r.point(24), r.sizeAt(72));
    const QRectF source(r.point(32), r.sizeAt(40));
    c.bitmap(dest.normalized(), image, source.normalized().intersected(QRectF(image.rect())));
}

void play(Canvas& c, std::uint32_t type, const Params& r)
{
    switch (type) {
    case SetWindowExtEx: c.setWindowExt(r.sizeAt(8)); break;
    case SetWindowOrgEx: c.setWindowOrg(r.point(8)); break;
    case SetViewportExtEx: c.setViewportExt(r.sizeAt(8)); break;
    case SetViewportOrgEx: c.setViewportOrg(r.point(8)); break;
    case SetMapMode: c.setMapMode(int(r.u32(8))); break;
    case SetBkMode: c.setBkMode(int(r.u32(8))); break;
    case SetPolyFillMode: c.setPolyFillMode(int(r.u32(8))); break;
    case SetTextAlign: c.setTextAlign(r.u32(8)); break;
    case SetTextColor: c.setTextColor(colorRef(r.u32(8))); break;
    case SetBkColor: c.setBkColor(colorRef(r.u32(8))); break;
    case MoveToEx: c.moveTo(r.point(8)); break;
    case SaveDc: c.save(); break;
    case RestoreDc: c.restore(int(r.s32(8))); break;
    case SetWorldTransform: c.setWorldTransform(r.xform(8)); break;
    case ModifyWorldTransform: c.modifyWorldTransform(r.xform(8), r.u32(32)); break;
    case SelectObject: {
        const std::uint32_t index = r.u32(8);
        if (index & kStockBit)
            c.selectStockObject(index & ~kStockBit);
        else
            c.selectObject(index);
        break;
    }
    case DeleteObject: c.deleteObject(r.u32(8)); break;
    case CreatePen: c.setObject(r.u32(8), makePen(r.u32(12), r.s32(16), colorRef(r.u32(24)))); break;
    case ExtCreatePen: c.setObject(r.u32(8), makePen(r.u32(28), double(r.u32(32)), colorRef(r.u32(40)))); break;
    case CreateBrushIndirect: c.setObject(r.u32(8), makeBrush(r.u32(12), colorRef(r.u32(16)), r.u32(20))); break;
    case CreateDibPatternBrushPt: c.setObject(r.u32(8), makeBrush(0, QColor(128, 128, 128), 0)); break;
    case ExtCreateFontIndirectW: c.setObject(r.u32(8), fontRecord(r)); break;
    case CreatePalette: {
        Object other;
        other.kind = Object::Other;
        c.setObject(r.u32(8), other);
        break;
    }
    case BeginPath: c.beginPath(); break;
    case EndPath: c.endPath(); break;
    case CloseFigure: c.closeFigure(); break;
    case AbortPath: c.abortPath(); break;
    case SelectClipPath: c.selectClipPath(r.u32(8)); break;
    case ExcludeClipRect: c.excludeClip(r.box(8)); break;
    case IntersectClipRect: c.intersectClip(r.box(8)); break;
    case ExtSelectClipRgn: c.setClipRegion(r.region(16, r.u32(8)), r.u32(12)); break;
    default:
        if (!c.mayDraw())
            return;
        switch (type) {
        case PolyBezier: c.polyBezier(r.polyPoints(false), false); break;
        case PolyBezier16: c.polyBezier(r.polyPoints(true), false); break;
        case PolyBezierTo: c.polyBezier(r.polyPoints(false), true); break;
        case PolyBezierTo16: c.polyBezier(r.polyPoints(true), true); break;
        case Polygon: c.polygon(r.polyPoints(false)); break;
        case Polygon16: c.polygon(r.polyPoints(true)); break;
        case Polyline: c.polyline(r.polyPoints(false)); break;
        case Polyline16: c.polyline(r.polyPoints(true)); break;
        case PolylineTo: c.polylineTo(r.polyPoints(false)); break;
        case PolylineTo16: c.polylineTo(r.polyPoints(true)); break;
        case PolyPolyline: c.polyPolyline(r.polyPolyPoints(false)); break;
        case PolyPolyline16: c.polyPolyline(r.polyPolyPoints(true)); break;
        case PolyPolygon: c.polyPolygon(r.polyPolyPoints(false)); break;
        case PolyPolygon16: c.polyPolygon(r.polyPolyPoints(true)); break;
        case LineTo: c.lineTo(r.point(8)); break;
        case Rectangle: c.rectangle(r.box(8)); break;
        case Ellipse: c.ellipse(r.box(8)); break;
        case RoundRect: c.roundRect(r.box(8), r.sizeAt(24)); break;
        case Arc: c.arc(r.box(8), r.point(24), r.point(32)); break;
        case Chord: c.chord(r.box(8), r.point(24), r.point(32)); break;
        case Pie: c.pie(r.box(8), r.point(24), r.point(32)); break;
        case FillPath: c.fillPath(); break;
        case StrokePath: c.strokePath(); break;
        case StrokeAndFillPath: c.strokeAndFillPath(); break;
        case FillRgn: {
            c.save();
            c.selectObject(r.u32(28));
            c.fillRegion(r.region(32, r.u32(24)));
            c.restore(-1);
            break;
        }
        case ExtTextOutA: textRecord(c, r, false); break;
        case ExtTextOutW: textRecord(c, r, true); break;
        case BitBlt: bitBlt(c, r, false); break;
        case StretchBlt: bitBlt(c, r, true); break;
        case StretchDiBits: stretchDiBits(c, r); break;
        default: break;  // not drawn by this player; EMF+ comments among them
        }
    }
}

}  // namespace

Played playEmf(imagedecode::Bytes file)
{
    if (!file.has(0, kMinHeaderSize) || file.u32(0) != Header || file.u32(40) != kSignature)
        metafileFailure(QStringLiteral("Not an enhanced metafile"));
    const std::uint32_t headerSize = file.u32(4);
    if (headerSize < kMinHeaderSize || headerSize % 4 != 0 || !file.has(0, headerSize))
        metafileFailure(QStringLiteral("The enhanced metafile's header is damaged"));
    const Params h(file.slice(0, headerSize));
    const QSizeF devicePixels = h.sizeAt(72), deviceMm = h.sizeAt(80);
    QPointF mmPerDevice(25.4 / 96, 25.4 / 96);
    if (devicePixels.width() > 0 && devicePixels.height() > 0 && deviceMm.width() > 0 && deviceMm.height() > 0)
        mmPerDevice = QPointF(deviceMm.width() / devicePixels.width(), deviceMm.height() / devicePixels.height());
    // The frame, in hundredths of a millimetre, includes its right and bottom
    // edges; without one the bounds in device units stand in.
    QRectF frame(h.point(24), h.point(32) + QPointF(1, 1));
    if (frame.width() <= 1 || frame.height() <= 1) {
        const QRectF bounds(h.point(8), h.point(16) + QPointF(1, 1));
        frame = QRectF(QPointF(bounds.left() * mmPerDevice.x() * 100, bounds.top() * mmPerDevice.y() * 100),
                       QPointF(bounds.right() * mmPerDevice.x() * 100, bounds.bottom() * mmPerDevice.y() * 100));
    }
    constexpr double hundredthsMmPerPixel = 2540.0 / 96;
    const QSizeF framePixels(frame.width() / hundredthsMmPerPixel, frame.height() / hundredthsMmPerPixel);
    double scale = 1;
    QImage image = surfaceFor(framePixels, &scale);
    {
        // Device units to hundredths of a millimetre, then into the frame.
        const double k = scale / hundredthsMmPerPixel;
        const QTransform deviceToPicture(mmPerDevice.x() * 100 * k, 0, 0, mmPerDevice.y() * 100 * k,
                                         -frame.left() * k, -frame.top() * k);
        Canvas canvas(image, deviceToPicture, mmPerDevice);
        std::size_t pos = headerSize;
        while (file.has(pos, 8)) {
            const std::uint32_t type = file.u32(pos), bytes = file.u32(pos + 4);
            // A record that claims more than the file holds ends the playing.
            if (bytes < 8 || bytes % 4 != 0 || !file.has(pos, bytes) || type == Eof || !canvas.mayPlay())
                break;
            try {
                play(canvas, type, Params(file.slice(pos, bytes)));
            } catch (const imagedecode::DecodeError&) {
                // A record too short for what it declares is skipped,
            } catch (const EInvalidGraphic&) {
                // and so is one whose bitmap cannot be read.
            }
            pos += bytes;
        }
        if (!canvas.drewSomething())
            metafileFailure(QStringLiteral("The metafile draws nothing"));
    }
    return Played{QSize(qRound(framePixels.width()), qRound(framePixels.height())), std::move(image)};
}
