#pragma once
// The drawing state both metafile players share: the logical-to-picture
// mapping (mapping mode, window, viewport, world transform), the object table
// of pens, brushes and fonts, text colour and alignment, the current point,
// clipping, paths, and the save/restore stack. The players decode records
// and call it; it draws with QPainter on the picture.
#include "imagelib/decode/Bytes.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRegion>
#include <QSet>
#include <QTransform>

#include <cstdint>
#include <functional>
#include <optional>
#include <queue>
#include <vector>

namespace metafile {

// A played metafile: its frame at 96 pixels per inch, and the picture drawn,
// of that size or scaled down to fit kMaxSide.
struct Played {
    QSize frame;
    QImage image;
};
inline constexpr int kMaxSide = 4096;
// Real files have a few thousand records; this bounds what a hostile one can
// make the painter do.
inline constexpr std::size_t kMaxDrawingRecords = 200000;
// Pixels a file may paint, counting the scan lines it makes the painter walk:
// a few hundred times its picture, and no more than about a third of a
// second of painting however large the picture is.
inline constexpr double kMaxPaintedPictures = 256;
inline constexpr double kMaxPaintedPixels = double(1 << 28);
// Work a file may cause besides painting (records, objects, fonts, text,
// clipping, paths) is counted in the same units, painted pixels, and shares
// the third of a second with the painting. A record that asks for more than
// is left is not carried out, and nothing after it is.
inline constexpr double kWorkPerRecord = 16;
inline constexpr double kWorkPerObject = 1024;
inline constexpr double kWorkPerPoint = 1024;
inline constexpr double kWorkPerRectangle = 48;
inline constexpr double kWorkPerCharacter = 128;
// A font not used before costs a search of the installed fonts.
inline constexpr double kWorkPerFont = double(1 << 19);
// Points a poly record or a path may hold, and rectangles a region record
// may hold: their copies stay far below the memory a picture may use. A
// record declaring more is skipped; a path growing past it ends the drawing.
inline constexpr std::size_t kMaxPoints = std::size_t(1) << 17;
inline constexpr std::size_t kMaxRegionRectangles = std::size_t(1) << 16;
// Characters a text record may hold.
inline constexpr std::size_t kMaxCharacters = std::size_t(1) << 16;
// Rectangles the clip may be made of.
inline constexpr int kMaxClipRectangles = 1 << 17;

// A transparent picture for a frame of the given size in pixels; scale is set
// to the factor from frame pixels to picture pixels. Fails for a frame that
// is empty or absurd.
QImage surfaceFor(QSizeF frame, double* scale);

// Fails the metafile with EInvalidGraphic.
[[noreturn]] void metafileFailure(const QString& message);

// A packed device-independent bitmap as metafile records carry it; fails
// with EInvalidGraphic.
QImage decodeDib(imagedecode::Bytes packed);

// Mapping modes, text alignment bits and stock objects as metafiles number them.
enum MapMode { MmText = 1, MmLoMetric, MmHiMetric, MmLoEnglish, MmHiEnglish, MmTwips, MmIsotropic, MmAnisotropic };
inline constexpr unsigned kTaUpdateCp = 1, kTaRight = 2, kTaCenter = 6, kTaBottom = 8, kTaBaseline = 24;
inline constexpr int kBkTransparent = 1, kBkOpaque = 2;

QColor colorRef(std::uint32_t value);  // 0x00BBGGRR

struct LogFont {
    double height = 0;  // logical units; negative: character height, positive: cell height
    double escapement = 0;  // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    QString face;
};

// A pen, brush or font made by a record; Other holds a slot for objects the
// players do not draw with (palettes, regions), so indices stay right.
struct Object {
    enum Kind { Empty, Pen, Brush, Font, Other } kind = Empty;
    QPen pen;
    QBrush brush;
    LogFont font;
};

Object makePen(unsigned style, double width, QColor color);
Object makeBrush(unsigned style, QColor color, unsigned hatch);

class Canvas {
public:
    // deviceToPicture maps the metafile's device units onto the picture;
    // mmPerDevice is the size of one device unit in millimetres (x, y), used
    // by the metric mapping modes.
    Canvas(QImage& picture, QTransform deviceToPicture, QPointF mmPerDevice);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Mapping.
    void setMapMode(int mode);
    void setWindowOrg(QPointF p) { state_.windowOrg = p; }
    void setWindowExt(QSizeF s);
    void setViewportOrg(QPointF p) { state_.viewportOrg = p; }
    void setViewportExt(QSizeF s);
    void offsetWindowOrg(QPointF d) { state_.windowOrg += d; }
    void setWorldTransform(const QTransform& t) { state_.world = t; }
    // 1: identity, 2: t before the current, 3: t after the current, 4: set.
    void modifyWorldTransform(const QTransform& t, unsigned mode);

    // Attributes.
    void setTextColor(QColor c) { state_.textColor = c; }
    void setBkColor(QColor c) { state_.bkColor = c; }
    void setBkMode(int mode) { state_.bkMode = mode; }
    void setTextAlign(unsigned align) { state_.textAlign = align; }
    void setPolyFillMode(int mode) { state_.fillRule = mode == 2 ? Qt::WindingFill : Qt::OddEvenFill; }
    void save();
    // A negative level counts back from the newest save; a positive one
    // names a save by its number. Impossible levels are ignored.
    void restore(int level);

    // Objects. WMF puts a new object in the lowest free slot; EMF names it.
    void addObject(Object object);
    void setObject(std::uint32_t index, Object object);
    void selectObject(std::uint32_t index);
    void selectStockObject(std::uint32_t id);  // id without the stock bit
    void deleteObject(std::uint32_t index);

    // Drawing, in logical units.
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const QPolygonF& points);
    void polylineTo(const QPolygonF& points);
    void polygon(const QPolygonF& points);
    void polyPolygon(const std::vector<QPolygonF>& polygons);
    void polyPolyline(const std::vector<QPolygonF>& lines);
    void polyBezier(const QPolygonF& points, bool fromCurrent);
    void rectangle(const QRectF& box);
    void roundRect(const QRectF& box, QSizeF corner);
    void ellipse(const QRectF& box);
    void arc(const QRectF& box, QPointF start, QPointF end);
    void pie(const QRectF& box, QPointF start, QPointF end);
    void chord(const QRectF& box, QPointF start, QPointF end);
    void text(QPointF reference, const QString& text, const QRectF* opaqueBox);
    // The bitmap's part source drawn into dest.
    void bitmap(const QRectF& dest, const QImage& image, const QRectF& source);
    void fillRegion(const std::vector<QRectF>& deviceRects);
    // The box filled without outline, with the colour or else the brush.
    void rectangleFill(const QRectF& box, std::optional<QColor> color);

    // Clipping, in logical units (regions in device units).
    void intersectClip(const QRectF& box);
    void excludeClip(const QRectF& box);
    void setClipRegion(const std::vector<QRectF>& deviceRects, unsigned mode);

    // Paths.
    void beginPath();
    void endPath() { inPath_ = false; }
    void closeFigure();
    void abortPath();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void selectClipPath(unsigned mode);

    // Whether any record drew: a metafile that drew nothing is no picture.
    bool drewSomething() const { return drew_; }

    // Counts a drawing record; false once a file has had its share of
    // records, of painted area or of work.
    bool mayDraw() { return ++drawingRecords_ <= kMaxDrawingRecords && !spent(); }
    // Charges one record of any kind; false once nothing more will be drawn,
    // so that the players stop reading.
    bool mayPlay() { return charge(kWorkPerRecord); }

private:
    struct State {
        int mapMode = MmText;
        QPointF windowOrg, viewportOrg;
        QSizeF windowExt{1, 1}, viewportExt{1, 1};
        QTransform world;
        QPen pen{Qt::black, 0};
        QBrush brush{Qt::white};
        LogFont font;
        QColor textColor{Qt::black}, bkColor{Qt::white};
        int bkMode = kBkOpaque;
        unsigned textAlign = 0;
        Qt::FillRule fillRule = Qt::OddEvenFill;
        QPointF current;
        // The clip, in whole picture pixels as a device clips; none while
        // the whole picture shows.
        std::optional<QRegion> clip;
    };

    QTransform logicalToPicture() const;
    void draw(const QPainterPath& shape, bool fill);
    void paint(const QPainterPath& shape, const QTransform& t, const QBrush& brush, const QPen& pen);
    // The picture grown by margin pixels on every side.
    QRectF visibleBox(double margin) const;
    QRectF visiblePart(const QRectF& box, const QTransform& t) const;
    QPainterPath arcPath(const QRectF& box, QPointF start, QPointF end, int closing) const;

    // The picture pixels of a box, of rectangles, of an area (picture
    // pixels); none when the work is more than is left.
    std::optional<QRegion> pixelsOfBox(const QRectF& box, const QTransform& t);
    std::optional<QRegion> pixelsOfRects(const std::vector<QRectF>& deviceRects);
    std::optional<QRegion> pixelsOfArea(const QPainterPath& area, Qt::FillRule rule);
    std::optional<QRegion> unionOf(std::vector<QRect> rects);
    void clipWith(const std::optional<QRegion>& area, unsigned mode);
    // Makes room for elements more in the path; false, with the path
    // dropped and the drawing ended, when it would grow too long.
    bool growPath(int elements);
    // The font of the current state for the painter, charged when new.
    std::optional<QFont> painterFont(double pixelHeight);

    QImage& picture_;
    QPainter painter_;
    QTransform deviceToPicture_;
    QPointF mmPerDevice_;
    State state_;
    std::vector<State> saved_;
    std::vector<Object> objects_;
    // Empty slots below objects_.size(), lowest first; a slot may be listed
    // after it was filled again, and is then passed over.
    std::priority_queue<std::uint32_t, std::vector<std::uint32_t>, std::greater<>> freeSlots_;
    QSet<QString> fontsUsed_;
    QPainterPath path_;  // in picture pixels
    bool inPath_ = false;
    bool drew_ = false;
    std::size_t drawingRecords_ = 0;
    // Picture pixels the remaining records may still paint, and scan lines the
    // painter may still walk: real drawings cover their picture a few times
    // over, a hostile file thousands.
    double areaLeft_ = 0;
    // Work the remaining records may still cause, painting included.
    double workLeft_ = kMaxPaintedPixels;
    bool spent() const { return areaLeft_ <= 0 || workLeft_ <= 0; }
    // Takes work from what is left; false, and nothing left, when it is more.
    bool charge(double work);
    // Leaves nothing: the records after this one are not drawn.
    void exhaust() { workLeft_ = 0; }
    void spend(const QRectF& pictureArea);
    // What painting over the rows of an area costs more for each rectangle
    // of the clip: the painter meets the clip's spans on every row.
    double clipCost(const QRectF& pictureArea) const;
    QPen boundedPen(const QTransform& t, const QRectF& pictureArea) const;
};

}  // namespace metafile
