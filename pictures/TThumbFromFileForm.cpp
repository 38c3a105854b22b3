#include "TThumbFromFileForm.h"

#include "pictures/ImageLibBinding.h"
#include "pictures/TImageLibThumbnails.h"
#include "pictures/ThumbnailCache.h"
#include "pictures/TPMultiImage.h"
#include "windowing/Fonts.h"
#include "windowing/SafeCall.h"

#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTextEdit>

TThumbFromFileForm* ThumbFromFileForm = nullptr;

namespace {
QFrame* panel(QWidget* parent, const char* name, bool bevel)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameStyle(bevel ? QFrame::Panel | QFrame::Raised : QFrame::NoFrame);
    frame->setLineWidth(1);
    return frame;
}

QPushButton* button(QWidget* parent, const char* name, const char* icon, const QString& text, QRect place)
{
    auto* b = new QPushButton(QIcon(QStringLiteral(":/menu/%1.png").arg(QLatin1String(icon))), text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(place);
    return b;
}
}  // namespace

TThumbFromFileForm::TThumbFromFileForm(QWidget* parent)
    : TThumbFromFileForm(std::make_shared<ImageLibBinding>(), parent)
{
}

TThumbFromFileForm::TThumbFromFileForm(std::shared_ptr<ImageLibrary> library, QWidget* parent)
    : FramedWindow(parent), library_(std::move(library))
{
    setObjectName(QStringLiteral("ThumbFromFileForm"));
    setCaption(QStringLiteral("Thumbs Смотрельщик"));
    setWindowIcon(QIcon(QStringLiteral(":/menu/thumbs.png")));
    setBorderStyle(BorderStyle::Single);
    setBorderIcons({.systemMenu = true, .minimize = true, .maximize = false});
    setColor(clBtnFace);
    setClientSize(796, 464);
    client()->setFont(fontSpec(QStringLiteral("MS Sans Serif"), -11).toQFont());

    Panel1 = panel(client(), "Panel1", true);
    Panel1->setGeometry(0, 0, 796, 464);
    Panel2 = panel(Panel1, "Panel2", false);
    Panel2->setGeometry(1, 1, 336, 462);
    Panel3 = panel(Panel2, "Panel3", false);
    Panel3->setGeometry(0, 0, 336, 313);

    PMultiImage2 = new TPMultiImage(library_, Panel3);
    PMultiImage2->setObjectName(QStringLiteral("PMultiImage2"));
    PMultiImage2->setGeometry(0, 0, 336, 313);
    PMultiImage2->setCenter(true);
    PMultiImage2->setScrolling(true);
    PMultiImage2->setShowScrollbars(true);
    PMultiImage2->setStretchRatio(true);
    PMultiImage2->setScrollbarWidth(12);
    PMultiImage2->setColor(clBtnFace);

    RichEdit1 = new QTextEdit(Panel2);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(0, 320, 321, 37);
    RichEdit1->setReadOnly(true);
    RichEdit1->setFrameStyle(QFrame::Box | QFrame::Plain);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette green = RichEdit1->palette();
    green.setColor(QPalette::Base, toQColor(clMoneyGreen));
    RichEdit1->setPalette(green);

    Label1 = new QLabel(QStringLiteral("Пробел добавляет изображение в список\nЩелчок мышью - просмотр."), Panel2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(56, 368);
    Label1->adjustSize();

    BitBtn1 = button(Panel2, "BitBtn1", "exit", QStringLiteral("&Закрыть"), {8, 432, 81, 25});
    LoadallImagesBtn = button(Panel2, "LoadallImagesBtn", "restore", QStringLiteral("Перезагрузка Thumbs"), {56, 400, 145, 25});
    BrowseDirectoryBtn =
        button(Panel2, "BrowseDirectoryBtn", "open", QStringLiteral("Выберете папку с картинками"), {104, 432, 217, 25});

    ImageLibThumbnails1 = new TImageLibThumbnails(library_, Panel1);
    ImageLibThumbnails1->setThumbnailCache(std::make_shared<ThumbnailCache>());
    ImageLibThumbnails1->setObjectName(QStringLiteral("ImageLibThumbnails1"));
    ImageLibThumbnails1->setGeometry(337, 1, 458, 462);
    ImageLibThumbnails1->setThumbnailHeight(100);
    ImageLibThumbnails1->setFont(fontSpec(QStringLiteral("MS Sans Serif"), -19).toQFont());

    setTabOrder(PMultiImage2, BitBtn1);
    setTabOrder(BitBtn1, RichEdit1);
    setTabOrder(RichEdit1, LoadallImagesBtn);
    setTabOrder(LoadallImagesBtn, BrowseDirectoryBtn);
    setTabOrder(BrowseDirectoryBtn, ImageLibThumbnails1);

    connect(LoadallImagesBtn, &QPushButton::clicked, this, guarded([this] { LoadallImagesBtnClick(); }));
    connect(BrowseDirectoryBtn, &QPushButton::clicked, this, guarded([this] { BrowseDirectoryBtnClick(); }));
    connect(BitBtn1, &QPushButton::clicked, this, guarded([this] { BitBtn1Click(); }));
    connect(ImageLibThumbnails1, &TImageLibThumbnails::thumbClick, this,
            guarded([this](int row, int col, int index, const QString& name, int page) {
                ImageLibThumbnails1ThumbClick(row, col, index, name, page);
            }));
    connect(ImageLibThumbnails1, &TImageLibThumbnails::keyDown, this,
            guarded([this](QKeyEvent* event) { ImageLibThumbnails1KeyDown(event); }));

    // Until a stored place is restored the window sits in the middle of the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TThumbFromFileForm::FormCreate() { PMultiImage2->initAnnotation(); }

QString TThumbFromFileForm::initialPictureFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty() || pictures == QDir::homePath() || !QFileInfo(pictures).isDir())
        return {};
    return pictures.endsWith(QLatin1Char('/')) ? pictures : pictures + QLatin1Char('/');
}

void TThumbFromFileForm::showEvent(QShowEvent* event)
{
    FramedWindow::showEvent(event);
    if (shownBefore_)
        return;
    shownBefore_ = true;
    if (PictureFolder.isEmpty()) {
        PictureFolder = initialPictureFolder();
        if (!PictureFolder.isEmpty())
            safeCall([this] { LoadallImagesBtnClick(); });
    }
}

void TThumbFromFileForm::LoadallImagesBtnClick()
{
    ImageLibThumbnails1->ClearThumbnails();
    ImageLibThumbnails1->LoadFromFolder(PictureFolder);
    ImageLibThumbnails1->viewport()->update();
}

void TThumbFromFileForm::BrowseDirectoryBtnClick()
{
    PictureFolder = ImageLibThumbnails1->BrowseForFolder();
    LoadallImagesBtnClick();
}

void TThumbFromFileForm::BitBtn1Click() { close(); }

void TThumbFromFileForm::ImageLibThumbnails1ThumbClick(int, int, int, const QString& fileName, int page)
{
    PMultiImage2->setTiffPage(int16_t(page));
    PMultiImage2->setImageName(fileName);
    RichEdit1->clear();
    RichEdit1->setPlainText(PMultiImage2->imageName().toLower());
}

void TThumbFromFileForm::ImageLibThumbnails1KeyDown(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space) {
        const int index = ImageLibThumbnails1->currentSelected();
        if (index < 0 || index >= ImageLibThumbnails1->itemCount())
            return;
        ImageLibThumbnails1->setChecked(index, !ImageLibThumbnails1->Checked(index));
        emit addToPlaylist(ImageLibThumbnails1->itemFilename(index));
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        PMultiImage2->setTiffPage(int16_t(ImageLibThumbnails1->page()));
        PMultiImage2->setImageName(ImageLibThumbnails1->filename());
    }
}
