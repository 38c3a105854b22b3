#include "TImageLibThumbnails.h"

#include "pictures/DibBitmap.h"
#include "pictures/ThumbnailScan.h"
#include "platform/Errors.h"
#include "windowing/ErrorBox.h"
#include "windowing/SafeCall.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

const QStringList& TImageLibThumbnails::filterExtensions()
{
    static const QStringList extensions = {"jpg", "jpeg", "png", "tif", "tiff", "gif", "tga", "pcd", "pcx", "bmp"};
    return extensions;
}

TImageLibThumbnails::TImageLibThumbnails(std::shared_ptr<ImageLibrary> library, QWidget* parent)
    : QAbstractScrollArea(parent), library_(std::move(library))
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    folderDialog = [](QWidget* parent, const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
    };
    updateScrollBars();
}

TImageLibThumbnails::~TImageLibThumbnails() { cancelScan(); }

void TImageLibThumbnails::setThumbnailWidth(int w)
{
    thumbWidth_ = std::max(30, w);
    colWidth_ = thumbWidth_;
    updateScrollBars();
    viewport()->update();
}

void TImageLibThumbnails::setThumbnailHeight(int h)
{
    thumbHeight_ = std::max(30, h);
    rowHeight_ = thumbHeight_;
    updateScrollBars();
    viewport()->update();
}

void TImageLibThumbnails::setShowImageName(bool on)
{
    showImageName_ = on;
    viewport()->update();
}

ThumbnailRecipe TImageLibThumbnails::recipe() const
{
    return {thumbWidth_, thumbHeight_, AntiAliasedColorThumbNail, displayColorClass(), cache_};
}

bool TImageLibThumbnails::isScanning() const { return scan_ && !scan_->isFinished(); }

void TImageLibThumbnails::cancelScan()
{
    if (!scan_)
        return;
    scan_->cancel();
    scan_->deleteLater();
    scan_ = nullptr;
}

void TImageLibThumbnails::ClearThumbnails()
{
    cancelScan();
    items_.clear();
    thumbnails_.clear();
    setGrid(1, 1);
    topRow_ = leftCol_ = 0;
    updateScrollBars();
    viewport()->update();
}

int TImageLibThumbnails::LoadFromFolder(const QString& folder)
{
    if (folder.isEmpty())
        return -1;
    cancelScan();
    std::vector<ScanEntry> entries;
    QStringList extensions;
    for (int i = 0; i < filterExtensions().size(); ++i)
        if (filter_ & (1u << i))
            extensions << filterExtensions()[i];
    entries = listPictureFiles(folder, extensions);
    // The first file found would fail on a reading library that cannot be
    // loaded; that error reaches the caller before any worker starts.
    if (!entries.empty())
        library_->loadReadingLibrary();
    ThumbnailScan::Handlers handlers;
    handlers.fileDone = [this](const QString& path, ThumbFile& file) { addPages(path, file); };
    handlers.failed = [](const QString& message) { showErrorBox(message); };
    handlers.scalingMissing = [](const QString& message) { showErrorBox(message); };
    handlers.finished = [this] {
        count_ = int(items_.size());
        viewport()->update();
        emit scanFinished();
    };
    scan_ = new ThumbnailScan(library_, std::move(entries), recipe(), std::move(handlers), 0, this);
    scan_->start();
    return int(items_.size());
}

void TImageLibThumbnails::AddImageFile(const QString& fileName)
{
    ThumbFile file = readThumbnails(*library_, fileName, recipe());
    if (file.scalingMissing)
        showErrorBox(file.scalingMessage);
    addPages(fileName, file);
    count_ = int(items_.size());
}

void TImageLibThumbnails::addPages(const QString& path, ThumbFile& file)
{
    if (file.pages.empty())
        return;
    // A cleared grid has one column; the first thumbnails take as many as fit.
    const bool first = items_.empty();
    for (ThumbPage& page : file.pages) {
        thumbnails_.add(page.packed.isNull() ? PackedThumbnail::pack(page.thumbnail, page.place)
                                             : std::move(page.packed));
        Item item;
        item.page = page.page;
        item.lastPage = page.lastPage;
        item.fileName = path;
        item.format = page.format;
        items_.push_back(std::move(item));
    }
    if (first)
        followWidth();
    setGrid(cols_, (itemCount() + cols_ - 1) / cols_);
    // Until drawn, an item's cell is where its index puts it.
    for (int i = itemCount() - int(file.pages.size()); i < itemCount(); ++i) {
        items_[size_t(i)].row = i / cols_;
        items_[size_t(i)].col = i % cols_;
    }
    viewport()->update();
}

QString TImageLibThumbnails::itemFilename(int index) const
{
    return index >= 0 && index < itemCount() ? items_[size_t(index)].fileName : QString();
}

int TImageLibThumbnails::itemPage(int index) const
{
    return index >= 0 && index < itemCount() ? items_[size_t(index)].page : -1;
}

bool TImageLibThumbnails::Checked(int index) const
{
    return index >= 0 && index < itemCount() && items_[size_t(index)].checked;
}

void TImageLibThumbnails::setChecked(int index, bool on)
{
    if (index < 0 || index >= itemCount())
        return;
    items_[size_t(index)].checked = on;
    viewport()->update();
}

void TImageLibThumbnails::SetCheckedByFilename(const QString& fileName, bool on)
{
    for (Item& item : items_)
        if (item.fileName.compare(fileName, Qt::CaseInsensitive) == 0)
            item.checked = on;
}

void TImageLibThumbnails::SelectByFilename(const QString& fileName)
{
    for (int i = itemCount() - 1; i >= 0; --i) {
        const Item& item = items_[size_t(i)];
        if (item.fileName.compare(fileName, Qt::CaseInsensitive) == 0)
            select(item.col, item.row, item.row * cols_ + item.col);
    }
}

QString TImageLibThumbnails::BrowseForFolder()
{
    // The dialog opens where the user last chose a folder, at first in the home folder.
    QString folder = folderDialog(window(), QStringLiteral("Choose image folder"),
                                  lastFolder_.isEmpty() ? QDir::homePath() : lastFolder_);
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    if (!folder.isEmpty())
        lastFolder_ = folder;
    return folder;
}

void TImageLibThumbnails::setGrid(int cols, int rows)
{
    cols_ = std::max(1, cols);
    rows_ = std::max(1, rows);
    updateScrollBars();
}

int TImageLibThumbnails::visibleRows() const { return std::max(1, viewport()->height() / std::max(1, rowHeight_)); }
int TImageLibThumbnails::visibleCols() const { return std::max(1, viewport()->width() / std::max(1, colWidth_)); }

void TImageLibThumbnails::updateScrollBars()
{
    verticalScrollBar()->setRange(0, std::max(0, rows_ - visibleRows()));
    verticalScrollBar()->setPageStep(visibleRows());
    horizontalScrollBar()->setRange(0, std::max(0, cols_ - visibleCols()));
    horizontalScrollBar()->setPageStep(visibleCols());
    topRow_ = verticalScrollBar()->value();
    leftCol_ = horizontalScrollBar()->value();
}

void TImageLibThumbnails::scrollContentsBy(int, int)
{
    topRow_ = verticalScrollBar()->value();
    leftCol_ = horizontalScrollBar()->value();
    viewport()->update();
}

void TImageLibThumbnails::followWidth()
{
    if (items_.empty())
        return;
    // The outer width decides, so a grid narrower than one column still has one.
    const int cols = std::max(1, width() / std::max(1, colWidth_));
    const int rows = (itemCount() + cols - 1) / cols;
    if (cols != cols_ || rows != rows_)
        setGrid(cols, rows);
    viewport()->update();
}

void TImageLibThumbnails::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    followWidth();
}

QRect TImageLibThumbnails::GetCellRect(int col, int row) const
{
    return {(col - leftCol_) * colWidth_, (row - topRow_) * rowHeight_, colWidth_, rowHeight_};
}

bool TImageLibThumbnails::GetMouseCell(QPoint point, int& col, int& row) const
{
    if (point.x() < 0 || point.y() < 0)
        return false;
    col = leftCol_ + point.x() / colWidth_;
    row = topRow_ + point.y() / rowHeight_;
    return col < cols_ && row < rows_;
}

void TImageLibThumbnails::paintEvent(QPaintEvent*)
{
    // Cells take the thumbnail's size once there is something to draw.
    if (!items_.empty()) {
        const int wantedWidth = thumbWidth_ + 6;
        const int wantedHeight = thumbHeight_ + (showImageName_ ? 30 : 6);
        if (colWidth_ != wantedWidth || rowHeight_ != wantedHeight) {
            colWidth_ = wantedWidth;
            rowHeight_ = wantedHeight;
            updateScrollBars();
        }
    }
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), toQColor(clWindow));
    painter.setFont(font());
    for (int row = topRow_; row < rows_; ++row) {
        const QRect first = GetCellRect(leftCol_, row);
        if (first.top() >= viewport()->height())
            break;
        for (int col = leftCol_; col < cols_; ++col) {
            const QRect cell = GetCellRect(col, row);
            if (cell.left() >= viewport()->width())
                break;
            drawCell(painter, col, row, cell);
        }
    }
}

void TImageLibThumbnails::drawCell(QPainter& painter, int col, int row, const QRect& cell)
{
    const int index = row * cols_ + col;
    if (index >= itemCount())
        return;
    Item& item = items_[size_t(index)];
    const int L = cell.left(), T = cell.top(), R = L + cell.width(), B = T + cell.height();
    painter.drawImage(QPoint(L + 4, T + 4), thumbnails_.image(index));
    item.row = row;
    item.col = col;
    if (showImageName_) {
        painter.fillRect(QRect(QPoint(L + 4, T + 4 + thumbHeight_), QPoint(R - 4 - 1, B - 4 - 1)),
                         toQColor(item.checked ? ColorChecked : ColorUnChecked));
        const QString caption = QFileInfo(item.fileName).fileName().toLower();
        const QFontMetrics metrics(painter.font());
        const QString shown = shortenCaption(caption, metrics.horizontalAdvance(caption), thumbWidth_ - 4);
        const int textWidth = metrics.horizontalAdvance(shown);
        painter.setPen(toQColor(clWindowText));
        painter.drawText(QPoint(L + (R - L) / 2 - textWidth / 2, T + thumbHeight_ + 6 + metrics.ascent()), shown);
        if (isTiffFormat(item.format) && item.lastPage > 1)
            painter.drawText(QRect(QPoint(L + 4, T + 4), QPoint(R - 4 - 1, T + 4 + thumbHeight_ - 1)),
                             Qt::AlignRight | Qt::AlignTop, QStringLiteral("Page ") + QString::number(item.page + 1));
    }
    painter.setPen(toQColor(index == currentSelected_ ? ColorSelected : ColorUnSelected));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(L + 2, T + 2), QPoint(R - 2 - 1, B - 2 - 1)).adjusted(0, 0, -1, -1));
}

void TImageLibThumbnails::select(int col, int row, int index)
{
    currentSelected_ = index;
    if (index >= 0 && index < itemCount()) {
        filename_ = items_[size_t(index)].fileName;
        page_ = items_[size_t(index)].page;
    } else {
        filename_.clear();
        page_ = -1;
    }
    emit selectThumb(col, row, currentSelected_, filename_, page_);
    viewport()->update();
}

void TImageLibThumbnails::makeCurrent(int col, int row)
{
    col = std::clamp(col, 0, cols_ - 1);
    row = std::clamp(row, 0, rows_ - 1);
    curCol_ = col;
    curRow_ = row;
    if (row < topRow_)
        verticalScrollBar()->setValue(row);
    else if (row >= topRow_ + visibleRows())
        verticalScrollBar()->setValue(row - visibleRows() + 1);
    if (col < leftCol_)
        horizontalScrollBar()->setValue(col);
    else if (col >= leftCol_ + visibleCols())
        horizontalScrollBar()->setValue(col - visibleCols() + 1);
    select(col, row, row * cols_ + col);
}

void TImageLibThumbnails::mousePressEvent(QMouseEvent* event)
{
    lastMouse_ = event->position().toPoint();
    setFocus(Qt::MouseFocusReason);
    int col = 0, row = 0;
    if (event->button() == Qt::LeftButton && GetMouseCell(lastMouse_, col, row))
        safeCall([&] { makeCurrent(col, row); });
}

void TImageLibThumbnails::mouseMoveEvent(QMouseEvent* event) { lastMouse_ = event->position().toPoint(); }

void TImageLibThumbnails::mouseReleaseEvent(QMouseEvent* event)
{
    lastMouse_ = event->position().toPoint();
    if (event->button() != Qt::LeftButton)
        return;
    int col = -1, row = -1;
    GetMouseCell(lastMouse_, col, row);
    const bool has = currentSelected_ >= 0 && currentSelected_ < itemCount();
    const QString name = has ? items_[size_t(currentSelected_)].fileName : QString();
    const int page = has ? items_[size_t(currentSelected_)].page : 0;
    emit thumbClick(row, col, currentSelected_, name, page);
}

void TImageLibThumbnails::mouseDoubleClickEvent(QMouseEvent* event)
{
    lastMouse_ = event->position().toPoint();
    int col = -1, row = -1;
    GetMouseCell(lastMouse_, col, row);
    const bool has = currentSelected_ >= 0 && currentSelected_ < itemCount();
    const QString name = has ? items_[size_t(currentSelected_)].fileName : QString();
    const int page = has ? items_[size_t(currentSelected_)].page : -1;
    emit thumbDblClick(row, col, currentSelected_, name, page);
}

void TImageLibThumbnails::keyPressEvent(QKeyEvent* event)
{
    emit keyDown(event);
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    int col = curCol_, row = curRow_;
    switch (event->key()) {
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_PageUp: row -= visibleRows(); break;
    case Qt::Key_PageDown: row += visibleRows(); break;
    case Qt::Key_Home:
        col = 0;
        if (ctrl)
            row = 0;
        break;
    case Qt::Key_End:
        col = cols_ - 1;
        if (ctrl)
            row = rows_ - 1;
        break;
    default:
        event->ignore();
        return;
    }
    makeCurrent(col, row);
}

void TImageLibThumbnails::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y();
    if (steps != 0)
        makeCurrent(curCol_, curRow_ + (steps < 0 ? 1 : -1));
    event->accept();
}
