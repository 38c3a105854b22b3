#pragma once
// The thumbnail grid: every picture of a folder (every page of a multi-page
// TIFF) as a thumbnail in a grid of equal cells with a caption and a mark;
// one cell is the current selection. A folder is decoded on worker threads
// and the grid fills in listing order while the user goes on working.
#include "pictures/ImageLibrary.h"
#include "pictures/ThumbnailMaker.h"
#include "windowing/Colors.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class ThumbnailCache;
class ThumbnailScan;

class TImageLibThumbnails : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The extensions a folder scan looks for, in scan order.
    enum FilterItem { img_jpg, img_jpeg, img_png, img_tif, img_tiff, img_gif, img_tga, img_pcd, img_pcx, img_bmp };
    static const QStringList& filterExtensions();

    explicit TImageLibThumbnails(std::shared_ptr<ImageLibrary> library, QWidget* parent = nullptr);
    ~TImageLibThumbnails() override;

    // Properties.
    void setFilter(unsigned bits) { filter_ = bits; }  // bit i = FilterItem i
    unsigned filter() const { return filter_; }
    void setThumbnailWidth(int w);
    int thumbnailWidth() const { return thumbWidth_; }
    void setThumbnailHeight(int h);
    int thumbnailHeight() const { return thumbHeight_; }
    void setShowImageName(bool on);
    bool showImageName() const { return showImageName_; }
    TColor ColorSelected = 255, ColorUnSelected = 12632256, ColorChecked = 8421376, ColorUnChecked = 12632256;
    bool AntiAliasedColorThumbNail = false;
    // The desktop's shared thumbnail cache the grid reads and fills; none by default.
    void setThumbnailCache(std::shared_ptr<const ThumbnailCache> cache) { cache_ = std::move(cache); }
    int currentSelected() const { return currentSelected_; }
    int count() const { return count_; }
    QString filename() const { return filename_; }
    int page() const { return page_; }

    // Operations.
    void ClearThumbnails();
    // Starts the scan of folder (ending with "/") and returns the number of
    // items now in the grid; -1 for an empty folder string. Raises
    // EImageLibUnavailable when the folder has pictures and the reading
    // library cannot be loaded. Count is set when the scan has finished.
    int LoadFromFolder(const QString& folder);
    // Adds the thumbnails of one file at once.
    void AddImageFile(const QString& fileName);
    bool Checked(int index) const;
    void setChecked(int index, bool on);
    void SelectByFilename(const QString& fileName);
    void SetCheckedByFilename(const QString& fileName, bool on);
    QString BrowseForFolder();
    QRect GetCellRect(int col, int row) const;
    // False when the point is on no cell.
    bool GetMouseCell(QPoint point, int& col, int& row) const;

    // The folder dialog; tests replace it. Gets the parent, title and start folder.
    std::function<QString(QWidget*, const QString&, const QString&)> folderDialog;

    // The grid underneath.
    int colCount() const { return cols_; }
    int rowCount() const { return rows_; }
    int colWidth() const { return colWidth_; }
    int rowHeight() const { return rowHeight_; }
    int topRow() const { return topRow_; }
    int currentCol() const { return curCol_; }
    int currentRow() const { return curRow_; }
    int itemCount() const { return int(items_.size()); }
    QString itemFilename(int index) const;
    int itemPage(int index) const;
    QImage itemThumbnail(int index) const { return thumbnails_.image(index); }
    bool isScanning() const;
    // Makes a cell current, as a press, a key or the wheel does.
    void makeCurrent(int col, int row);

signals:
    void thumbClick(int row, int col, int index, const QString& fileName, int page);
    void thumbDblClick(int row, int col, int index, const QString& fileName, int page);
    void selectThumb(int col, int row, int index, const QString& fileName, int page);
    // Before the grid navigates.
    void keyDown(QKeyEvent* event);
    void scanFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // Item i's thumbnail is thumbnails_'s i-th.
    struct Item {
        bool checked = false;
        int page = 0;
        int lastPage = 0;
        QString fileName;  // as found on disk
        QString format;
        int row = 0, col = 0;
    };
    void addPages(const QString& path, ThumbFile& file);
    void followWidth();
    void setGrid(int cols, int rows);
    void updateScrollBars();
    int visibleRows() const;
    int visibleCols() const;
    void drawCell(QPainter& painter, int col, int row, const QRect& cell);
    ThumbnailRecipe recipe() const;
    void cancelScan();
    void select(int col, int row, int index);

    std::shared_ptr<ImageLibrary> library_;
    std::shared_ptr<const ThumbnailCache> cache_;
    std::vector<Item> items_;
    ThumbnailStore thumbnails_;
    unsigned filter_ = 0x3FF;
    int thumbWidth_ = 100, thumbHeight_ = 68;
    bool showImageName_ = true;
    int currentSelected_ = -1, count_ = -1, page_ = -1;
    QString filename_;
    int cols_ = 2, rows_ = 2, colWidth_ = 108, rowHeight_ = 98;
    int topRow_ = 0, leftCol_ = 0, curCol_ = 0, curRow_ = 0;
    QPoint lastMouse_;
    QString lastFolder_;
    ThumbnailScan* scan_ = nullptr;
};
