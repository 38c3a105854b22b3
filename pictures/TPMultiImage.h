#pragma once
// The image viewer: shows one picture file (one page of a TIFF) decoded by the
// picture libraries, fitted, stretched, one to one or zoomed with scroll bars
// and grab-hand dragging; copies, cuts and pastes through the clipboard.
#include "pictures/DibBitmap.h"
#include "pictures/ImageLibrary.h"
#include "windowing/Colors.h"

#include <QCursor>
#include <QPointF>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

class QScrollBar;

class TPMultiImage : public QWidget {
    Q_OBJECT
public:
    enum class BlitMode { sLight, sDark, sLightest };
    enum class ReadRes { lColorVga, lMonoChrome, lColor16, lColor256, lColorTrue, lAutoMatic };
    enum class PcdMode { pcd_BASE16, pcd_BASE4, pcd_BASE };

    explicit TPMultiImage(std::shared_ptr<ImageLibrary> library, QWidget* parent = nullptr);
    ~TPMultiImage() override;

    // Registers with the library's annotation layer; this loads the reading
    // library and raises when it cannot.
    void initAnnotation();

    // Setting the name loads the file; the name reads back as set.
    void setImageName(const QString& name);
    QString imageName() const { return imageName_; }
    void setTiffPage(int16_t page) { tiffPage_ = page; }
    int16_t tiffPage() const { return tiffPage_; }

    void setCenter(bool on);
    bool center() const { return center_; }
    void setScrolling(bool on);
    bool scrolling() const { return scrolling_; }
    void setShowScrollbars(bool on);
    bool showScrollbars() const { return showScrollbars_; }
    void setScrollbarWidth(int width);
    int scrollbarWidth() const { return scrollbarWidth_; }
    void setStretch(bool on);
    bool stretch() const { return stretch_; }
    void setStretchRatio(bool on);
    bool stretchRatio() const { return stretchRatio_; }
    int ZoomBy = 10;
    int GrabHandCursor = 5;
    bool AllowRubberBand = false;
    Qt::MouseButton RubberBandBtn = Qt::LeftButton;
    void setBlitMode(BlitMode mode);
    BlitMode blitMode() const { return blitMode_; }
    ReadRes ImageReadRes = ReadRes::lAutoMatic;
    bool ImageDither = false;
    PcdMode PCDMode = PcdMode::pcd_BASE4;
    void setColor(TColor color);
    TColor color() const { return color_; }

    const DibBitmap& picture() const { return picture_; }
    void setPicture(DibBitmap picture);
    double zoom() const { return zoom_; }
    void setZoom(double zoom);
    QPoint offset() const { return offset_; }
    void setOffset(QPoint offset);

    // The depth asked of the library for ImageReadRes.
    int readDepth() const;
    // Where the picture is drawn, and from which part of it.
    struct Placement {
        QRect source;
        QRect destination;
    };
    std::optional<Placement> placement() const;
    bool scrollBarsShown() const;
    QScrollBar* horizontalBar() const { return hbar_; }
    QScrollBar* verticalBar() const { return vbar_; }

    // Clipboard.
    void copyToClipboard();
    void cutToClipboard();
    void pasteFromClipboard();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void load();
    void fit();
    void layoutScrollBars();
    void drawPicture(QPainter& painter, const QRect& destination, const QRect& source) const;
    int pictureWidth() const { return picture_.image.width(); }
    int pictureHeight() const { return picture_.image.height(); }
    bool overflows() const;

    std::shared_ptr<ImageLibrary> library_;
    QString imageName_;
    int16_t tiffPage_ = 0;
    bool center_ = false, scrolling_ = true, showScrollbars_ = true, stretch_ = false, stretchRatio_ = false;
    int scrollbarWidth_ = 12;
    BlitMode blitMode_ = BlitMode::sLight;
    TColor color_ = clBtnFace;
    DibBitmap picture_;
    double zoom_ = 1.0;
    QPoint offset_;
    double keptZoom_ = 1.0;
    QPoint keptOffset_;
    bool loading_ = false;
    bool annotated_ = false;
    bool dragging_ = false;
    QPoint lastPoint_;
    QCursor savedCursor_;
    QScrollBar* hbar_;
    QScrollBar* vbar_;
    QWidget* corner_;
};
