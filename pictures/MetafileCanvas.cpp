#include "pictures/MetafileCanvas.h"

#include "imagelib/decode/BitmapDecoder.h"
#include "pictures/DeviceClip.h"
#include "pictures/PictureImage.h"
#include "platform/Errors.h"

#include <QFontMetricsF>
#include <QHash>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace metafile {

namespace {

// How deep saves may nest: each costs a painter state.
constexpr std::size_t kMaxSaveDepth = 1024;
// Object slots a file may ask for; each costs a few hundred bytes.
constexpr std::uint32_t kMaxObjects = 65536;

double angleOf(QPointF centre, QPointF p)
{
    // Degrees counter-clockwise as seen in the picture, y downwards.
    return qRadiansToDegrees(std::atan2(-(p.y() - centre.y()), p.x() - centre.x()));
}

bool finite(const QTransform& t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) && std::isfinite(t.m22())
           && std::isfinite(t.dx()) && std::isfinite(t.dy()) && t.isInvertible();
}

// How far t stretches a length at most (its larger singular value).
double largestStretch(const QTransform& t)
{
    const double a = t.m11(), b = t.m12(), c = t.m21(), d = t.m22();
    const double sum = a * a + b * b + c * c + d * d, det = a * d - b * c;
    return std::sqrt((sum + std::sqrt(std::max(0.0, sum * sum - 4 * det * det))) / 2);
}

// What the painter's rasterizer spends on a shape, in picture pixels: each
// scan line an edge crosses costs about as much as painting kRowCost pixels,
// times the number of edges that share those scan lines (the rasterizer keeps
// the crossings of a scan line in a list); a stroke also paints its length
// times its width.
class RasterWork {
public:
    explicit RasterWork(double penWidth) : width_(penWidth) {}
    void add(const clip::Subpath& subpath, bool closed)
    {
        QPointF a = subpath.start;
        for (const clip::Segment& s : subpath.segments) {
            // A curve is counted by its control polygon, which it never
            // outruns.
            if (s.curve) {
                edge(a, s.c1);
                edge(s.c1, s.c2);
                edge(s.c2, s.to);
            } else {
                edge(a, s.to);
            }
            a = s.to;
        }
        if (closed)
            edge(a, subpath.start);
    }
    double cost() const
    {
        constexpr double kRowCost = 50;
        const double height = std::max(1.0, bottom_ - top_ + width_ + 1);
        return kRowCost * rows_ * std::max(1.0, rows_ / height) + painted_;
    }

private:
    void edge(QPointF a, QPointF b)
    {
        // A stroke's outline has an edge on either side of the line.
        rows_ += (std::abs(b.y() - a.y()) + width_ + 1) * (width_ > 0 ? 2 : 1);
        painted_ += (QLineF(a, b).length() + width_) * width_;
        top_ = std::min({top_, a.y(), b.y()});
        bottom_ = std::max({bottom_, a.y(), b.y()});
    }

    double width_;
    double rows_ = 0, painted_ = 0;
    double top_ = std::numeric_limits<double>::max(), bottom_ = std::numeric_limits<double>::lowest();
};

// The box holding a subpath's points, control points included.
QRectF reachOf(const clip::Subpath& subpath)
{
    double left = subpath.start.x(), right = left, top = subpath.start.y(), bottom = top;
    const auto take = [&](QPointF p) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    };
    for (const clip::Segment& s : subpath.segments) {
        take(s.to);
        if (s.curve) {
            take(s.c1);
            take(s.c2);
        }
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// The pixels whose centres a picture rectangle holds, as a device rounds.
QRect pixelsOf(const QRectF& pictureRect, const QRect& picture)
{
    const QRectF r = pictureRect.normalized().intersected(QRectF(picture));
    if (r.isEmpty())
        return {};
    return QRect(QPoint(qRound(r.left()), qRound(r.top())), QPoint(qRound(r.right()) - 1, qRound(r.bottom()) - 1));
}

}  // namespace

void metafileFailure(const QString& message)
{
    throw EInvalidGraphic(message);
}

QImage decodeDib(imagedecode::Bytes packed)
{
    return decodeToImage([&] { return toImage(imagedecode::decodeBitmap(packed, screenOptions())); });
}

QImage surfaceFor(QSizeF frame, double* scale)
{
    // Checked as doubles first: a frame may be any 32-bit number of units.
    if (!(frame.width() >= 0.5 && frame.height() >= 0.5) || frame.width() > 1e7 || frame.height() > 1e7)
        metafileFailure(QStringLiteral("The metafile has no usable frame"));
    *scale = std::min(1.0, kMaxSide / std::max(frame.width(), frame.height()));
    const QSize size(std::max(1, qRound(frame.width() * *scale)), std::max(1, qRound(frame.height() * *scale)));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        metafileFailure(QStringLiteral("Not enough memory for a %1 × %2 picture").arg(size.width()).arg(size.height()));
    image.fill(Qt::transparent);
    return image;
}

QColor colorRef(std::uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

Object makePen(unsigned style, double width, QColor color)
{
    Object o;
    o.kind = Object::Pen;
    const unsigned kind = style & 0x0F;
    if (kind == 5) {  // null pen
        o.pen = QPen(Qt::NoPen);
        return o;
    }
    o.pen = QPen(color, std::max(0.0, width));
    switch (kind) {
    case 1: o.pen.setStyle(Qt::DashLine); break;
    case 2: o.pen.setStyle(Qt::DotLine); break;
    case 3: o.pen.setStyle(Qt::DashDotLine); break;
    case 4: o.pen.setStyle(Qt::DashDotDotLine); break;
    default: o.pen.setStyle(Qt::SolidLine); break;
    }
    switch (style & 0x0F00) {
    case 0x0100: o.pen.setCapStyle(Qt::SquareCap); break;
    case 0x0200: o.pen.setCapStyle(Qt::FlatCap); break;
    default: o.pen.setCapStyle(Qt::RoundCap); break;
    }
    switch (style & 0xF000) {
    case 0x1000: o.pen.setJoinStyle(Qt::BevelJoin); break;
    case 0x2000: o.pen.setJoinStyle(Qt::MiterJoin); break;
    default: o.pen.setJoinStyle(Qt::RoundJoin); break;
    }
    return o;
}

Object makeBrush(unsigned style, QColor color, unsigned hatch)
{
    Object o;
    o.kind = Object::Brush;
    switch (style) {
    case 1:  // null
        o.brush = QBrush(Qt::NoBrush);
        break;
    case 2: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                 Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        o.brush = QBrush(color, hatch < 6 ? hatches[hatch] : Qt::SolidPattern);
        break;
    }
    default:  // solid; a pattern whose bitmap is not at hand is drawn as its colour
        o.brush = QBrush(color);
        break;
    }
    return o;
}

Canvas::Canvas(QImage& picture, QTransform deviceToPicture, QPointF mmPerDevice)
    : picture_(picture), painter_(&picture), deviceToPicture_(deviceToPicture), mmPerDevice_(mmPerDevice)
{
    areaLeft_ = std::min(kMaxPaintedPictures * double(picture.width()) * double(picture.height()), kMaxPaintedPixels);
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform);
    state_.font.height = -12;
    state_.font.face = QStringLiteral("Sans Serif");
}

// Files often save more states than they restore; the painter is given
// back balanced.
Canvas::~Canvas()
{
    for (std::size_t i = 0; i < saved_.size(); ++i)
        painter_.restore();
}

void Canvas::setMapMode(int mode)
{
    if (mode >= MmText && mode <= MmAnisotropic)
        state_.mapMode = mode;
}

void Canvas::setWindowExt(QSizeF s)
{
    // A zero extent would make the mapping singular; it is refused as GDI does.
    if (s.width() != 0 && s.height() != 0)
        state_.windowExt = s;
}

void Canvas::setViewportExt(QSizeF s)
{
    if (s.width() != 0 && s.height() != 0)
        state_.viewportExt = s;
}

void Canvas::modifyWorldTransform(const QTransform& t, unsigned mode)
{
    switch (mode) {
    case 1: state_.world = QTransform(); break;
    case 2: state_.world = t * state_.world; break;
    case 3: state_.world = state_.world * t; break;
    case 4: state_.world = t; break;
    default: break;
    }
}

void Canvas::save()
{
    if (saved_.size() >= kMaxSaveDepth)
        return;
    saved_.push_back(state_);
    painter_.save();
}

void Canvas::restore(int level)
{
    const auto depth = static_cast<long long>(saved_.size());
    const long long target = level < 0 ? depth + level : static_cast<long long>(level) - 1;
    if (target < 0 || target >= depth)
        return;
    while (static_cast<long long>(saved_.size()) > target) {
        state_ = saved_.back();
        saved_.pop_back();
        painter_.restore();
    }
}

void Canvas::addObject(Object object)
{
    if (!charge(kWorkPerObject))
        return;
    while (!freeSlots_.empty() && objects_[freeSlots_.top()].kind != Object::Empty)
        freeSlots_.pop();
    if (!freeSlots_.empty()) {
        objects_[freeSlots_.top()] = std::move(object);
        freeSlots_.pop();
    } else if (objects_.size() < kMaxObjects) {
        objects_.push_back(std::move(object));
    }
}

void Canvas::setObject(std::uint32_t index, Object object)
{
    if (index >= kMaxObjects || !charge(kWorkPerObject))
        return;
    if (index >= objects_.size())
        objects_.resize(index + 1);
    objects_[index] = std::move(object);
}

void Canvas::selectObject(std::uint32_t index)
{
    if (index >= objects_.size())
        return;
    const Object& o = objects_[index];
    switch (o.kind) {
    case Object::Pen: state_.pen = o.pen; break;
    case Object::Brush: state_.brush = o.brush; break;
    case Object::Font: state_.font = o.font; break;
    default: break;
    }
}

void Canvas::selectStockObject(std::uint32_t id)
{
    switch (id) {
    case 0: state_.brush = QBrush(Qt::white); break;
    case 1: state_.brush = QBrush(QColor(192, 192, 192)); break;
    case 2: state_.brush = QBrush(QColor(128, 128, 128)); break;
    case 3: state_.brush = QBrush(QColor(64, 64, 64)); break;
    case 4: state_.brush = QBrush(Qt::black); break;
    case 5: state_.brush = QBrush(Qt::NoBrush); break;
    case 6: state_.pen = QPen(Qt::white, 0); break;
    case 7: state_.pen = QPen(Qt::black, 0); break;
    case 8: state_.pen = QPen(Qt::NoPen); break;
    case 10: case 11: case 12: case 13: case 14: case 16: case 17:
        state_.font = LogFont{-12, 0, 400, false, false, false, QStringLiteral("Sans Serif")};
        break;
    default: break;
    }
}

void Canvas::deleteObject(std::uint32_t index)
{
    if (index >= objects_.size() || objects_[index].kind == Object::Empty)
        return;
    objects_[index] = Object();
    freeSlots_.push(index);
}

QTransform Canvas::logicalToPicture() const
{
    const State& s = state_;
    double sx = 1, sy = 1;
    const auto metric = [&](double mm) {
        sx = mm / mmPerDevice_.x();
        sy = -mm / mmPerDevice_.y();
    };
    switch (s.mapMode) {
    case MmLoMetric: metric(0.1); break;
    case MmHiMetric: metric(0.01); break;
    case MmLoEnglish: metric(0.254); break;
    case MmHiEnglish: metric(0.0254); break;
    case MmTwips: metric(25.4 / 1440); break;
    case MmIsotropic:
    case MmAnisotropic:
        sx = s.viewportExt.width() / s.windowExt.width();
        sy = s.viewportExt.height() / s.windowExt.height();
        if (s.mapMode == MmIsotropic) {
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        break;
    default: break;
    }
    const QTransform page(sx, 0, 0, sy, s.viewportOrg.x() - s.windowOrg.x() * sx,
                          s.viewportOrg.y() - s.windowOrg.y() * sy);
    return s.world * page * deviceToPicture_;
}

void Canvas::draw(const QPainterPath& shape, bool fill)
{
    const QTransform t = logicalToPicture();
    if (!finite(t))
        return;
    if (inPath_) {
        if (growPath(shape.elementCount()))
            path_.addPath(t.map(shape));
        return;
    }
    // Each point is copied and cut a few times before the painter sees it.
    if (!charge(kWorkPerPoint * shape.elementCount()))
        return;
    const QRectF area = t.mapRect(shape.boundingRect());
    spend(area);
    QPainterPath filled = shape;
    filled.setFillRule(state_.fillRule);
    paint(filled, t, fill ? state_.brush : QBrush(), boundedPen(t, area));
    drew_ = true;
}

QRectF Canvas::visibleBox(double margin) const
{
    return QRectF(picture_.rect()).adjusted(-margin, -margin, margin, margin);
}

// The part of a logical box that t can bring into the picture.
QRectF Canvas::visiblePart(const QRectF& box, const QTransform& t) const
{
    return box.intersected(t.inverted().mapRect(visibleBox(2)));
}

// A shape is painted as it is when it lies within the picture (plus what
// the pen adds) and is only a few scan lines tall. Otherwise it is cut to
// that box, so that it costs what can show, and its edges are split into
// short ones, so that the rasterizer's cost grows with its height and not
// with the square of it; the pixels painted stay the same.
void Canvas::paint(const QPainterPath& shape, const QTransform& t, const QBrush& brush, const QPen& pen)
{
    constexpr double kShortRows = 32;
    const bool stroked = pen.style() != Qt::NoPen, filled = brush.style() != Qt::NoBrush;
    const double penWidth = pen.widthF() > 0 ? pen.widthF() * largestStretch(t) : 1;
    const double miter = pen.joinStyle() == Qt::MiterJoin ? std::max(1.0, pen.miterLimit()) : 1.0;
    const QRectF box = visibleBox(stroked ? penWidth * std::max(miter, 1.5) + 2 : 2);
    const QRectF area = t.mapRect(shape.controlPointRect());
    // Compared by their edges: a straight line's bounds have no area, which
    // QRectF's own tests count as meeting nothing.
    if (area.right() < box.left() || area.left() > box.right() || area.bottom() < box.top()
        || area.top() > box.bottom())
        return;
    const std::vector<clip::Subpath> subpaths = clip::prepared(t.map(shape), box);
    const bool asItIs = area.left() >= box.left() && area.right() <= box.right() && area.top() >= box.top()
                        && area.bottom() <= box.bottom() && area.height() + (stroked ? penWidth : 0) <= kShortRows;

    // The parts that can show, in picture pixels: closed parts to fill,
    // closed parts and open runs to stroke.
    std::vector<clip::Subpath> fills, closedStrokes;
    std::vector<clip::Run> runs;
    RasterWork fillWork(0), strokeWork(penWidth);
    for (const clip::Subpath& subpath : subpaths) {
        if (filled) {
            fills.push_back(asItIs ? subpath : clip::polygon(subpath, box));
            fillWork.add(fills.back(), true);
        }
        if (!stroked)
            continue;
        // A dashed outline is cut like an open line so that its pattern
        // goes on where it left off.
        if (pen.style() == Qt::SolidLine && subpath.endsAtStart()) {
            closedStrokes.push_back(asItIs ? subpath : clip::polygon(subpath, box));
            strokeWork.add(closedStrokes.back(), true);
        } else {
            for (clip::Run& run : asItIs ? std::vector<clip::Run>{{subpath, 0}} : clip::polyline(subpath, box)) {
                strokeWork.add(run.part, false);
                runs.push_back(std::move(run));
            }
        }
    }
    // A shape that would cost more than is left is not painted, and nothing
    // after it is.
    const double cost = fillWork.cost() + strokeWork.cost();
    if (cost > areaLeft_ || !charge(cost + clipCost(area))) {
        areaLeft_ = 0;
        return;
    }
    areaLeft_ -= cost;

    painter_.setTransform(t);
    if (asItIs) {
        if (filled)
            painter_.fillPath(shape, brush);
        if (stroked)
            painter_.strokePath(shape, pen);
        return;
    }
    const QTransform back = t.inverted();
    const auto logical = [&](const clip::Subpath& part, bool closed) {
        return clip::shortEdges(part, kShortRows).toPath(back, closed);
    };
    if (filled) {
        QPainterPath cut;
        cut.setFillRule(shape.fillRule());
        for (const clip::Subpath& part : fills)
            if (!part.isEmpty())
                cut.addPath(logical(part, true));
        painter_.fillPath(cut, brush);
    }
    QPainterPath solid;
    for (const clip::Subpath& part : closedStrokes)
        if (!part.isEmpty())
            solid.addPath(logical(part, true));
    // The dash pattern counts in pen widths (pixels for a hairline).
    const double dashUnit = pen.widthF() > 0 ? pen.widthF() * std::sqrt(std::abs(t.determinant())) : 1;
    for (const clip::Run& run : runs) {
        if (pen.style() == Qt::SolidLine) {
            solid.addPath(logical(run.part, false));
            continue;
        }
        QPen dashed = pen;
        dashed.setDashOffset(pen.dashOffset() + run.lengthBefore / dashUnit);
        painter_.strokePath(logical(run.part, false), dashed);
    }
    if (!solid.isEmpty())
        painter_.strokePath(solid, pen);
}

bool Canvas::charge(double work)
{
    if (spent() || !(work <= workLeft_)) {
        workLeft_ = 0;
        return false;
    }
    workLeft_ -= work;
    return true;
}

void Canvas::spend(const QRectF& pictureArea)
{
    const QRectF painted = pictureArea.intersected(QRectF(picture_.rect()));
    const double pixels = std::max(1.0, painted.width() * painted.height());
    areaLeft_ -= pixels;
    workLeft_ -= pixels + clipCost(painted);
}

double Canvas::clipCost(const QRectF& pictureArea) const
{
    if (!state_.clip || state_.clip->rectCount() <= 1)
        return 0;
    const double rows = std::clamp(pictureArea.height() + 1, 1.0, double(picture_.height()));
    return kWorkPerRectangle * state_.clip->rectCount() * rows / picture_.height();
}

// The pen, kept from work no picture needs: no wider than the picture, and
// solid where a dash pattern would be repeated millions of times along a
// shape far larger than the picture.
QPen Canvas::boundedPen(const QTransform& t, const QRectF& pictureArea) const
{
    QPen pen = state_.pen;
    const double scale = largestStretch(t);
    const double limit = 2.0 * kMaxSide;
    if (scale > 0 && pen.widthF() * scale > limit)
        pen.setWidthF(limit / scale);
    if (pen.style() != Qt::SolidLine && std::max(pictureArea.width(), pictureArea.height()) > 4 * limit)
        pen.setStyle(Qt::SolidLine);
    return pen;
}

void Canvas::moveTo(QPointF p)
{
    state_.current = p;
    if (inPath_)
        path_.moveTo(logicalToPicture().map(p));
}

void Canvas::lineTo(QPointF p)
{
    QPainterPath line(state_.current);
    line.lineTo(p);
    if (inPath_) {
        const QTransform t = logicalToPicture();
        if (growPath(2)) {
            if (path_.elementCount() == 0)
                path_.moveTo(t.map(state_.current));
            path_.lineTo(t.map(p));
        }
    } else {
        draw(line, false);
    }
    state_.current = p;
}

void Canvas::polyline(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    draw(path, false);
}

void Canvas::polylineTo(const QPolygonF& points)
{
    for (const QPointF& p : points)
        lineTo(p);
}

void Canvas::polygon(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    draw(path, true);
}

void Canvas::polyPolygon(const std::vector<QPolygonF>& polygons)
{
    QPainterPath path;
    for (const QPolygonF& p : polygons) {
        path.addPolygon(p);
        path.closeSubpath();
    }
    if (!path.isEmpty())
        draw(path, true);
}

void Canvas::polyPolyline(const std::vector<QPolygonF>& lines)
{
    for (const QPolygonF& line : lines)
        polyline(line);
}

void Canvas::polyBezier(const QPolygonF& points, bool fromCurrent)
{
    QPainterPath path(fromCurrent ? state_.current : (points.isEmpty() ? QPointF() : points.first()));
    for (qsizetype i = fromCurrent ? 0 : 1; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    if (path.elementCount() > 1) {
        draw(path, false);
        if (fromCurrent)
            state_.current = path.currentPosition();
    }
}

void Canvas::rectangle(const QRectF& box)
{
    QPainterPath path;
    path.addRect(box.normalized());
    draw(path, true);
}

void Canvas::roundRect(const QRectF& box, QSizeF corner)
{
    QPainterPath path;
    path.addRoundedRect(box.normalized(), std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
    draw(path, true);
}

void Canvas::ellipse(const QRectF& box)
{
    QPainterPath path;
    path.addEllipse(box.normalized());
    draw(path, true);
}

// closing: 0 an open arc, 1 a pie (through the centre), 2 a chord.
QPainterPath Canvas::arcPath(const QRectF& box, QPointF start, QPointF end, int closing) const
{
    const QRectF r = box.normalized();
    const double a0 = angleOf(r.center(), start);
    double sweep = angleOf(r.center(), end) - a0;
    if (sweep <= 0)
        sweep += 360;
    QPainterPath path;
    if (closing == 1)
        path.moveTo(r.center());
    else
        path.arcMoveTo(r, a0);
    path.arcTo(r, a0, sweep);
    if (closing != 0)
        path.closeSubpath();
    return path;
}

void Canvas::arc(const QRectF& box, QPointF start, QPointF end)
{
    draw(arcPath(box, start, end, 0), false);
}

void Canvas::pie(const QRectF& box, QPointF start, QPointF end)
{
    draw(arcPath(box, start, end, 1), true);
}

void Canvas::chord(const QRectF& box, QPointF start, QPointF end)
{
    draw(arcPath(box, start, end, 2), true);
}

std::optional<QFont> Canvas::painterFont(double pixelHeight)
{
    QFont font(state_.font.face.isEmpty() ? QStringLiteral("Sans Serif") : state_.font.face);
    font.setPixelSize(std::max(1, qRound(state_.font.height > 0 ? pixelHeight * 0.8 : pixelHeight)));
    font.setWeight(state_.font.weight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(state_.font.italic);
    font.setUnderline(state_.font.underline);
    font.setStrikeOut(state_.font.strikeOut);
    const QString key = font.key();
    if (!fontsUsed_.contains(key)) {
        if (!charge(kWorkPerFont))
            return std::nullopt;
        fontsUsed_.insert(key);
    }
    return font;
}

void Canvas::text(QPointF reference, const QString& text, const QRectF* opaqueBox)
{
    const QTransform t = logicalToPicture();
    if (!finite(t) || inPath_)
        return;
    const bool fromCurrent = state_.textAlign & kTaUpdateCp;
    const QPointF at = t.map(fromCurrent ? state_.current : reference);
    if (opaqueBox) {
        spend(t.mapRect(opaqueBox->normalized()));
        painter_.setTransform(t);
        painter_.fillRect(visiblePart(opaqueBox->normalized(), t), state_.bkColor);
        drew_ = true;
    }
    if (text.isEmpty())
        return;
    // Text is drawn upright in the picture whatever the mapping's direction,
    // at the height the mapping gives it.
    const double scale = std::sqrt(std::abs(t.determinant()));
    const double height = std::clamp(std::abs(state_.font.height) * scale, 1.0, 4096.0);
    const std::optional<QFont> font = painterFont(height);
    if (!font || !charge(kWorkPerCharacter * double(text.size())))
        return;
    const QFontMetricsF metrics(*font);
    // Where each character starts along the line, measured alone; a font
    // engine may load a glyph's outline to measure it, so each character is
    // measured once.
    std::vector<double> starts(std::size_t(text.size()) + 1, 0.0);
    QHash<QChar, double> advances;
    for (qsizetype i = 0; i < text.size(); ++i) {
        auto advance = advances.constFind(text[i]);
        if (advance == advances.constEnd())
            advance = advances.insert(text[i], metrics.horizontalAdvance(text[i]));
        starts[std::size_t(i) + 1] = starts[std::size_t(i)] + *advance;
    }
    double width = starts.back();
    double dx = 0, dy = 0;
    const auto alignedStart = [&] {
        if ((state_.textAlign & kTaCenter) == kTaCenter)
            return -width / 2;
        return (state_.textAlign & kTaRight) ? -width : 0.0;
    };
    if ((state_.textAlign & kTaBaseline) == kTaBaseline)
        dy = 0;
    else if (state_.textAlign & kTaBottom)
        dy = -metrics.descent();
    else
        dy = metrics.ascent();
    // Only the characters that can reach the picture are drawn: a line may
    // run far beyond it, and every glyph costs the painter its outline.
    const double angle = -state_.font.escapement / 10;
    const QRectF seen = QTransform().translate(at.x(), at.y()).rotate(angle).inverted().mapRect(visibleBox(height));
    dx = alignedStart();
    qsizetype first = 0, last = text.size();
    while (first < last && dx + starts[std::size_t(first) + 1] < seen.left())
        ++first;
    while (last > first && dx + starts[std::size_t(last) - 1] > seen.right())
        --last;
    QString shown = text;
    QRectF line;
    if (first == 0 && last == text.size()) {
        // The whole line shows: measured as a line, with its kerning.
        width = metrics.horizontalAdvance(text);
        dx = alignedStart();
        line = QRectF(dx, dy - metrics.ascent(), width, metrics.height());
    } else {
        if (first < last && text[last - 1].isHighSurrogate() && last < text.size())
            ++last;
        if (first > 0 && first < last && text[first].isLowSurrogate())
            --first;
        shown = text.mid(first, last - first);
        line = QRectF(dx + starts[std::size_t(first)], dy - metrics.ascent(),
                      starts[std::size_t(last)] - starts[std::size_t(first)], metrics.height());
    }
    const QTransform place = QTransform().translate(at.x(), at.y()).rotate(angle);
    spend(place.mapRect(line.adjusted(-height, -height, height, height)));
    if (!shown.isEmpty()) {
        painter_.setTransform(place);
        painter_.setFont(*font);
        if (state_.bkMode == kBkOpaque && !opaqueBox)
            painter_.fillRect(line, state_.bkColor);
        painter_.setPen(state_.textColor);
        painter_.drawText(QPointF(line.left(), dy), shown);
    }
    if (fromCurrent)
        state_.current = t.inverted().map(at + QPointF(width, 0));
    drew_ = true;
}

void Canvas::bitmap(const QRectF& dest, const QImage& image, const QRectF& source)
{
    const QTransform t = logicalToPicture();
    if (!finite(t) || inPath_ || image.isNull())
        return;
    spend(t.mapRect(dest));
    // Only the part of the bitmap that can show is scaled.
    const QRectF from = source.isEmpty() ? QRectF(image.rect()) : source;
    const QRectF to = visiblePart(dest, t);
    drew_ = true;
    if (to.isEmpty() || dest.isEmpty())
        return;
    const double sx = from.width() / dest.width(), sy = from.height() / dest.height();
    const QRectF part(from.x() + (to.x() - dest.x()) * sx, from.y() + (to.y() - dest.y()) * sy, to.width() * sx,
                      to.height() * sy);
    painter_.setTransform(t);
    painter_.drawImage(to, image, part);
}

void Canvas::fillRegion(const std::vector<QRectF>& deviceRects)
{
    if (state_.brush.style() == Qt::NoBrush)
        return;
    const std::optional<QRegion> area = pixelsOfRects(deviceRects);
    if (!area || area->isEmpty())
        return;
    spend(area->boundingRect());
    painter_.setTransform(QTransform());
    for (const QRect& r : *area)
        painter_.fillRect(r, state_.brush);
    drew_ = true;
}

void Canvas::rectangleFill(const QRectF& box, std::optional<QColor> color)
{
    const QTransform t = logicalToPicture();
    if (!finite(t) || inPath_)
        return;
    if (!color && state_.brush.style() == Qt::NoBrush)
        return;
    spend(t.mapRect(box.normalized()));
    painter_.setTransform(t);
    painter_.fillRect(visiblePart(box.normalized(), t), color ? QBrush(*color) : state_.brush);
    drew_ = true;
}

std::optional<QRegion> Canvas::unionOf(std::vector<QRect> rects)
{
    const double n = double(rects.size());
    if (!charge(kWorkPerRectangle * n * (std::log2(n + 1) + 1)))
        return std::nullopt;
    // Pairwise, so that each rectangle takes part in log n unions and not n.
    std::vector<QRegion> level;
    level.reserve(rects.size());
    for (const QRect& r : rects)
        if (!r.isEmpty())
            level.emplace_back(r);
    while (level.size() > 1) {
        std::vector<QRegion> next;
        next.reserve(level.size() / 2 + 1);
        for (std::size_t i = 0; i + 1 < level.size(); i += 2)
            next.push_back(level[i].united(level[i + 1]));
        if (level.size() % 2)
            next.push_back(std::move(level.back()));
        level = std::move(next);
    }
    return level.empty() ? QRegion() : std::move(level.front());
}

std::optional<QRegion> Canvas::pixelsOfBox(const QRectF& box, const QTransform& t)
{
    if (t.type() <= QTransform::TxScale)
        return QRegion(pixelsOf(t.mapRect(box.normalized()), picture_.rect()));
    QPainterPath area;
    area.addRect(box.normalized());
    return pixelsOfArea(t.map(area), Qt::WindingFill);
}

std::optional<QRegion> Canvas::pixelsOfRects(const std::vector<QRectF>& deviceRects)
{
    std::vector<QRect> rects;
    rects.reserve(deviceRects.size());
    for (const QRectF& r : deviceRects)
        rects.push_back(pixelsOf(deviceToPicture_.mapRect(r.normalized()), picture_.rect()));
    return unionOf(std::move(rects));
}

// An area is filled into a mask of its bounds, without antialiasing, and
// read back a row at a time.
std::optional<QRegion> Canvas::pixelsOfArea(const QPainterPath& area, Qt::FillRule rule)
{
    if (!charge(kWorkPerPoint * area.elementCount()))
        return std::nullopt;
    const QRectF box = visibleBox(2);
    RasterWork work(0);
    std::vector<clip::Subpath> parts;
    QRectF reach;
    for (const clip::Subpath& subpath : clip::prepared(area, box)) {
        clip::Subpath part = clip::polygon(subpath, box);
        if (part.isEmpty())
            continue;
        work.add(part, true);
        reach |= reachOf(part);
        parts.push_back(std::move(part));
    }
    const QRect bounds = reach.toAlignedRect().intersected(picture_.rect());
    if (bounds.isEmpty())
        return QRegion();
    // The mask is cleared, filled and read back.
    if (!charge(work.cost() + 3.0 * bounds.width() * bounds.height()))
        return std::nullopt;
    // Split only now that the work is paid for: short edges keep the
    // rasterizer's cost to what was charged.
    QPainterPath cut;
    cut.setFillRule(rule);
    for (const clip::Subpath& part : parts)
        cut.addPath(clip::shortEdges(part, 32).toPath(QTransform(), true));
    QImage mask(bounds.size(), QImage::Format_Alpha8);
    if (mask.isNull())
        return std::nullopt;
    mask.fill(0);
    {
        QPainter p(&mask);
        p.translate(-bounds.topLeft());
        p.fillPath(cut, Qt::black);
    }
    std::vector<QRect> rows;
    for (int y = 0; y < mask.height(); ++y) {
        const uchar* line = mask.constScanLine(y);
        for (int x = 0; x < mask.width();) {
            while (x < mask.width() && !line[x])
                ++x;
            const int from = x;
            while (x < mask.width() && line[x])
                ++x;
            if (x > from)
                rows.emplace_back(bounds.left() + from, bounds.top() + y, x - from, 1);
        }
        if (rows.size() > std::size_t(kMaxClipRectangles)) {
            exhaust();
            return std::nullopt;
        }
    }
    return unionOf(std::move(rows));
}

void Canvas::clipWith(const std::optional<QRegion>& area, unsigned mode)
{
    if (!area)
        return;
    const QRegion current = state_.clip ? *state_.clip : QRegion(picture_.rect());
    if (!charge(kWorkPerRectangle * double(current.rectCount() + area->rectCount())))
        return;
    QRegion clip;
    switch (mode) {
    case 1: clip = current.intersected(*area); break;   // and
    case 2: clip = current.united(*area); break;        // or
    case 3: clip = current.xored(*area); break;         // xor
    case 4: clip = current.subtracted(*area); break;    // diff
    default: clip = *area; break;                       // copy
    }
    if (clip.rectCount() > kMaxClipRectangles || !charge(kWorkPerRectangle * clip.rectCount())) {
        exhaust();
        return;
    }
    painter_.setTransform(QTransform());
    painter_.setClipRegion(clip);
    state_.clip = std::move(clip);
}

void Canvas::intersectClip(const QRectF& box)
{
    const QTransform t = logicalToPicture();
    if (finite(t) && !spent())
        clipWith(pixelsOfBox(box, t), 1);
}

void Canvas::excludeClip(const QRectF& box)
{
    const QTransform t = logicalToPicture();
    if (finite(t) && !spent())
        clipWith(pixelsOfBox(box, t), 4);
}

void Canvas::setClipRegion(const std::vector<QRectF>& deviceRects, unsigned mode)
{
    if (deviceRects.empty() && mode == 5) {
        painter_.setClipping(false);
        state_.clip.reset();
        return;
    }
    if (!spent())
        clipWith(pixelsOfRects(deviceRects), mode);
}

bool Canvas::growPath(int elements)
{
    if (path_.elementCount() + std::size_t(elements) <= kMaxPoints && charge(kWorkPerPoint * elements))
        return true;
    abortPath();
    exhaust();
    return false;
}

void Canvas::beginPath()
{
    path_ = QPainterPath();
    inPath_ = true;
}

void Canvas::closeFigure()
{
    if (inPath_)
        path_.closeSubpath();
}

void Canvas::abortPath()
{
    path_ = QPainterPath();
    inPath_ = false;
}

void Canvas::fillPath()
{
    if (path_.isEmpty() || state_.brush.style() == Qt::NoBrush)
        return;
    spend(path_.boundingRect());
    path_.setFillRule(state_.fillRule);
    paint(path_, QTransform(), state_.brush, QPen(Qt::NoPen));
    path_ = QPainterPath();
    drew_ = true;
}

void Canvas::strokePath()
{
    if (path_.isEmpty() || state_.pen.style() == Qt::NoPen)
        return;
    const QTransform t = logicalToPicture();
    if (!finite(t))
        return;
    QPen pen = boundedPen(t, path_.boundingRect());
    if (pen.widthF() > 0)
        pen.setWidthF(pen.widthF() * std::sqrt(std::abs(t.determinant())));
    spend(path_.boundingRect());
    paint(path_, QTransform(), QBrush(), pen);
    path_ = QPainterPath();
    drew_ = true;
}

void Canvas::strokeAndFillPath()
{
    const QPainterPath kept = path_;
    fillPath();
    path_ = kept;
    strokePath();
}

void Canvas::selectClipPath(unsigned mode)
{
    if (path_.isEmpty())
        return;
    if (!spent())
        clipWith(pixelsOfArea(path_, state_.fillRule), mode);
    path_ = QPainterPath();
}

}  // namespace metafile
