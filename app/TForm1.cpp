#include "TForm1.h"

#include "AboutBoxSettings.h"
#include "ApplicationHint.h"
#include "MediaLauncher.h"
#include "MenuKeyRouter.h"
#include "Playlist.h"
#include "PlaylistLoader.h"
#include "Settings.h"
#include "ShellState.h"
#include "SlideShow.h"
#include "StyledMenuSettings.h"
#include "platform/Errors.h"
#include "platform/UrlOpener.h"
#include "styled/TAHMPopupMenu.h"
#include "styled/TacQuickAboutBox.h"
#include "windowing/ErrorBox.h"
#include "windowing/ModalDialog.h"
#include "windowing/SafeCall.h"
#include "windowing/TFormTopmost.h"
#include "windowing/TabfColorPicker.h"
#include "windowing/TabfTrayIcon.h"
#include "windowing/TacWin2kEffects.h"
#include "windowing/Timer.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

TForm1* Form1 = nullptr;

namespace {

// A file dialog watches its folder and reads it again whenever a file there
// changes, hidden or not; it needs to only while it is shown.
class WatchWhileShown : public QObject {
public:
    static void attach(QFileDialog* dialog)
    {
        dialog->installEventFilter(new WatchWhileShown(dialog));
        watch(dialog, false);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide)
            watch(static_cast<QFileDialog*>(watched), event->type() == QEvent::Show);
        return false;
    }

private:
    using QObject::QObject;
    static void watch(QFileDialog* dialog, bool on)
    {
        if (auto* model = dialog->findChild<QFileSystemModel*>())
            model->setOption(QFileSystemModel::DontWatchForChanges, !on);
    }
};

constexpr int kItemHeight = 16;
constexpr int kStatusHeight = 16;
constexpr int kWheelNotch = 120;
constexpr int kWheelResizeStep = 10;

// Playlist rows are 16 pixels high, or as high as the playlist font needs so
// that no descender is cut; a row lays out no more of its entry than can be
// shown.
class RowHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(),
                std::max(kItemHeight, option.fontMetrics.height())};
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = entryDrawnText(option->text, option->textElideMode);
    }
};

QString picture(const char* name) { return QStringLiteral(":/menu/%1.png").arg(QLatin1String(name)); }

// The media file dialog's filters; the last holds every pattern of the others.
QStringList mediaFilters()
{
    const QString pictures = QStringLiteral("*.dib *.jpg *.jpeg *.bmp *.ico *.emf *.wmf *.gif *.JPG");
    const QString video = QStringLiteral("*.avi *.mpeg *.mpg *.asf *.wmv *.divx *.dat");
    const QString sound = QStringLiteral("*.wav *.ogg *.mid *.ac3 *.mp3 *.ogg *.rmi");
    return {QStringLiteral("Картинки (%1)").arg(pictures), QStringLiteral("Видео (%1)").arg(video),
            QStringLiteral("Звуковые файлы (%1)").arg(sound),
            QStringLiteral("Все поддерживаемые форматы (%1 %2 %3)").arg(pictures, video, sound)};
}

}  // namespace

TForm1::TForm1(ShellState& state, const Options& options, QWidget* parent)
    : FramedWindow(parent),
      state_(state),
      options_(options),
      playlist_(new Playlist(this)),
      loader_(new PlaylistLoader(this)),
      listFont_(Settings::designListFont()),
      listColor_(clSilver)
{
    setObjectName(QStringLiteral("Form1"));
    setMainWindow(true);
    setCaption(QStringLiteral("Калейдор ver 1.5"));
    setBorderStyle(BorderStyle::Sizeable);
    setColor(clBtnFace);
    client()->setFont(windowFont_.toQFont());
    buildMenus();
    buildControls();
    setBounds(211, 292, 480, 267);

    Timer1 = new Timer(this, 100, false);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    acQuickAboutBox1 = new TacQuickAboutBox(this, DesktopUrlOpener::instance(), aboutSystemTexts);
    setUpAboutBox(*acQuickAboutBox1);
    abfTrayIcon1 = new TabfTrayIcon(this);
    abfTrayIcon1->setObjectName(QStringLiteral("abfTrayIcon1"));
    abfTrayIcon1->setHint(QStringLiteral("Калейдор от Квинт"));
    abfTrayIcon1->setIcon(QIcon(QStringLiteral(":/icons/kaleidor-16.png")));
    abfTrayIcon1->setMinimizeToTray(true);
    abfTrayIcon1->setPopupMenu(AHMPopupMenu1);
    abfTrayIcon1->setVisible(true);

    FormTopmost1 = new TFormTopmost(this);
    FormTopmost1->setHint(QStringLiteral("Поверх всех окон"));
    FormTopmost1->setSystemMenu({.applyToMenu = true, .caption = QStringLiteral("Поверх всех &окон"), .position = 7,
                                 .separatorBefore = true, .separatorAfter = false});
    // Fades in when shown, collapses towards its centre when hidden.
    acWin2kEffects1 = new TacWin2kEffects(this);
    acWin2kEffects1->setObjectName(QStringLiteral("acWin2kEffects1"));
    acWin2kEffects1->animateOnShow = {true, Win2kAnimation::HorPositive | Win2kAnimation::VerPositive | Win2kAnimation::Blend, 200};
    acWin2kEffects1->animateOnHide = {true, Win2kAnimation::Center, 200};

    abfColorPicker1 = new TabfColorPicker(this);
    abfColorPicker1->setObjectName(QStringLiteral("abfColorPicker1"));
    abfColorPicker1->onTimer = [this] { ColorPickerIdle(); };

    hint_ = new ApplicationHint(this);
    hint_->watchMenuBar(MainMenu1);
    for (QMenu* menu : std::initializer_list<QMenu*>{N1, N2, N3, N19, N4, Menu0, AHMPopupMenu1})
        hint_->watchMenu(menu);
    keys_ = new MenuKeyRouter(this, {N5, N6, N7, N8, N9, N10, N22, N11, N12, N16, N15, NZ20, NZ21, N18, N13, N14});
    qApp->installEventFilter(this);
}

TForm1::~TForm1() { qApp->removeEventFilter(this); }

void TForm1::buildMenus()
{
    auto item = [this](QMenu* menu, const char* name, const QString& caption, const QString& hint,
                       const char* pictureName, const QKeySequence& key, void (TForm1::*handler)()) {
        QAction* a = menu->addAction(QIcon(picture(pictureName)), caption);
        a->setObjectName(QLatin1String(name));
        a->setStatusTip(hint);
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, guarded([this, handler] { (this->*handler)(); }));
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(QLatin1String(name));
        return a;
    };
    auto submenu = [](QWidget* owner, const char* name, const QString& caption, const QString& hint) {
        auto* menu = new QMenu(caption, owner);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        menu->menuAction()->setStatusTip(hint);
        return menu;
    };
    const QString loadHint = QStringLiteral("Загрузить плей-лист с расширением \"qx\"");
    const QString saveHint = QStringLiteral("Сохранить плей-лист с расширением \"qx\"");

    MainMenu1 = new QMenuBar;
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(MainMenu1);

    N1 = submenu(this, "N1", QStringLiteral("Файл"), QStringLiteral("Файл"));
    N5 = item(N1, "N5", QStringLiteral("Открыть..."), QStringLiteral("Открыть файл"), "open", Qt::Key_F2, &TForm1::N5Click);
    N26 = separator(N1, "N26");
    N6 = item(N1, "N6", QStringLiteral("Выход"), QStringLiteral("Выйти из программы"), "exit", Qt::Key_F10, &TForm1::N6Click);

    N2 = submenu(this, "N2", QStringLiteral("Плей-лист"), QStringLiteral("Всё что касается управления плейлистами"));
    N7 = item(N2, "N7", QStringLiteral("Добавить файл..."), QStringLiteral("Добавить файл в плейлист"), "add",
              Qt::Key_Insert, &TForm1::N7Click);
    N8 = item(N2, "N8", QStringLiteral("Удалить файл"), QStringLiteral("Удалить файл из плейлиста"), "delete",
              Qt::Key_Delete, &TForm1::N8Click);
    N27 = separator(N2, "N27");
    N9 = item(N2, "N9", QStringLiteral("Загрузить плей-лист..."), loadHint, "load", Qt::Key_Z, &TForm1::N9Click);
    N10 = item(N2, "N10", QStringLiteral("Сохранить плей-лист..."), saveHint, "save", Qt::Key_X, &TForm1::N10Click);
    N22 = item(N2, "N22", QStringLiteral("Очистить плейлист"), QStringLiteral("Очистить плейлист"), "clear", Qt::Key_C,
               &TForm1::N22Click);

    N3 = submenu(this, "N3", QStringLiteral("Управление"),
                 QStringLiteral("Управление программой, настройки и удобный смотрельщик изображений"));
    N11 = item(N3, "N11", QStringLiteral("Запустить файл"), QStringLiteral("Запустить выделенный файл"), "run",
               Qt::Key_F5, &TForm1::N11Click);
    N29 = separator(N3, "N29");
    N12 = item(N3, "N12", QStringLiteral("Настройки..."), QStringLiteral("Настройки программы"), "settings", Qt::Key_F6,
               &TForm1::N12Click);
    N16 = item(N3, "N16", QStringLiteral("Thumbs смотрельщик..."), QStringLiteral("Показать thumbs смотрельщик"),
               "thumbs", Qt::Key_T, &TForm1::N16Click);
    N17 = separator(N3, "N17");
    N15 = item(N3, "N15", QStringLiteral("О системе..."), QStringLiteral("Показывает информацию о системе"), "sysinfo",
               Qt::Key_F9, &TForm1::N15Click);
    N19 = submenu(this, "N19", QStringLiteral("Слайд-шоу"), QStringLiteral("Управление запуском слайд-шоу"));
    N19->menuAction()->setIcon(QIcon(picture("slideshow")));
    N3->addMenu(N19);
    NZ20 = item(N19, "NZ20", QStringLiteral("Запустить слайд-шоу"),
                QStringLiteral("|Запустить слайд-шоу(только изображения)"), "slideshow", Qt::Key_F, &TForm1::NZ20Click);
    NZ21 = item(N19, "NZ21", QStringLiteral("Задержка"), QStringLiteral("Задержка между появлениями изображений"),
                "delay", Qt::Key_G, &TForm1::NZ21Click);

    N4 = submenu(this, "N4", QStringLiteral("Помощь"), QStringLiteral("Полная информация о программе и её авторе"));
    N18 = item(N4, "N18", QStringLiteral("Дополнительно"), QStringLiteral("Дополнительная информация о программе"),
               "info", Qt::Key_D, &TForm1::N18Click);
    N13 = item(N4, "N13", QStringLiteral("Справка..."), QStringLiteral("Справка по работе с программой"), "help",
               Qt::Key_F1, &TForm1::N13Click);
    N28 = separator(N4, "N28");
    N14 = item(N4, "N14", QStringLiteral("О программе"), QStringLiteral("Информация о программе"), "about", Qt::Key_O,
               &TForm1::N14Click);
    for (QMenu* menu : {N1, N2, N3, N4})
        MainMenu1->addMenu(menu);

    const QKeySequence none;
    Menu0 = new TAHMApplicationMenu(this);
    Menu0->setObjectName(QStringLiteral("Menu0"));
    AHMMenuItem10 = item(Menu0, "AHMMenuItem10", QStringLiteral("Открыть..."), QStringLiteral("Открыть файл"), "open",
                         none, &TForm1::N5Click);
    AHMMenuItem3 = item(Menu0, "AHMMenuItem3", QStringLiteral("Запустить слайд-шоу"),
                        QStringLiteral("Запустить слайд-шоу(только изображения)"), "slideshow", none,
                        &TForm1::NZ20Click);
    AHMMenuItem11 = item(Menu0, "AHMMenuItem11", QStringLiteral("Задержка"),
                         QStringLiteral("|Задержка между появлениями изображений"), "delay", none, &TForm1::NZ21Click);
    AHMMenuItem1 = separator(Menu0, "AHMMenuItem1");
    AHMMenuItem7 = item(Menu0, "AHMMenuItem7", QStringLiteral("Добавить файл..."),
                        QStringLiteral("Добавить файл в плейлист"), "add", none, &TForm1::N7Click);
    AHMMenuItem2 = item(Menu0, "AHMMenuItem2", QStringLiteral("Сохранить плейлист..."), saveHint, "save", none,
                        &TForm1::N10Click);
    AHMMenuItem4 = item(Menu0, "AHMMenuItem4", QStringLiteral("Загрузить плейлист..."), loadHint, "load", none,
                        &TForm1::N9Click);
    AHMMenuItem12 = separator(Menu0, "AHMMenuItem12");
    AHMMenuItem9 = item(Menu0, "AHMMenuItem9", QStringLiteral("Шрифт"), QStringLiteral("Выбрать шрифт плейлиста"),
                        "font", none, &TForm1::AHMMenuItem9Click);
    AHMMenuItem34 = item(Menu0, "AHMMenuItem34", QStringLiteral("Фон"), QStringLiteral("Выбрать цвет фона плейлиста"),
                         "color", none, &TForm1::AHMMenuItem34Click);
    AHMMenuItem5 = separator(Menu0, "AHMMenuItem5");
    AHMMenuItem6 = item(Menu0, "AHMMenuItem6", QStringLiteral("Настройки..."), QStringLiteral("Настройки программы"),
                        "settings", none, &TForm1::N12Click);
    AHMMenuItem8 = item(Menu0, "AHMMenuItem8", QStringLiteral("О программе"), QStringLiteral("Информация о программе"),
                        "about", none, &TForm1::N14Click);

    AHMPopupMenu1 = new TAHMPopupMenu(this);
    AHMPopupMenu1->setObjectName(QStringLiteral("AHMPopupMenu1"));
    AHMMenuItem44 = item(AHMPopupMenu1, "AHMMenuItem44", QStringLiteral("Открыть"), QStringLiteral("Открыть файл"),
                         "open", none, &TForm1::N5Click);
    AHMMenuItem46 = separator(AHMPopupMenu1, "AHMMenuItem46");
    AHMMenuItem47 = item(AHMPopupMenu1, "AHMMenuItem47", QStringLiteral("Загрузить плейлист"), loadHint, "load", none,
                         &TForm1::N9Click);
    AHMMenuItem48 = item(AHMPopupMenu1, "AHMMenuItem48", QStringLiteral("Свернуть в трей"),
                         QStringLiteral("Свернуть программу в трей"), "tray", none, &TForm1::AHMMenuItem48Click);
    AHMMenuItem49 = item(AHMPopupMenu1, "AHMMenuItem49", QStringLiteral("Развернуть"), QString(), "restore", none,
                         &TForm1::AHMMenuItem49Click);
    AHMMenuItem61 = separator(AHMPopupMenu1, "AHMMenuItem61");
    AHMMenuItem62 = item(AHMPopupMenu1, "AHMMenuItem62", QStringLiteral("Справка"),
                         QStringLiteral("Справка по работе с программой"), "help", none, &TForm1::N13Click);
    AHMMenuItem63 = item(AHMPopupMenu1, "AHMMenuItem63", QStringLiteral("О программе"),
                         QStringLiteral("Информация о программе"), "about", none, &TForm1::N14Click);
    AHMMenuItem64 = item(AHMPopupMenu1, "AHMMenuItem64", QStringLiteral("Выход"), QStringLiteral("Выйти из программы"),
                         "exit", none, &TForm1::N6Click);
    setUpPlaylistMenu(*Menu0);
    setUpTrayMenu(*AHMPopupMenu1);
}

void TForm1::buildControls()
{
    auto* layout = new QVBoxLayout(client());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ListBox1 = new QListView(client());
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setModel(playlist_);
    ListBox1->setItemDelegate(new RowHeightDelegate(ListBox1));
    ListBox1->setUniformItemSizes(true);
    // Scrolling by item maps every row to a scroll step each time the list
    // is laid out, which for a list of 100 000 entries costs a start 15 ms;
    // by pixel the rows scroll alike.
    ListBox1->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListBox1->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(ListBox1, 1);
    setListFont(listFont_);
    setListColor(listColor_);
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            guarded([this](const QPoint& pos) {
                const QPoint at = ListBox1->viewport()->mapToGlobal(pos);
                Menu0->Popup(at.x(), at.y());
            }));
    connect(ListBox1, &QAbstractItemView::clicked, this, guarded([this] { ListBox1Click(); }));
    connect(ListBox1, &QAbstractItemView::doubleClicked, this, guarded([this] { ListBox1DblClick(); }));
    connect(ListBox1->selectionModel(), &QItemSelectionModel::selectionChanged, this, guarded([this] {
                if (syncing_)
                    return;
                const QModelIndexList rows = ListBox1->selectionModel()->selectedRows();
                const int row = rows.isEmpty() ? -1 : rows.first().row();
                if (row >= playlist_->count())
                    return;  // a row on its way out
                syncing_ = true;
                const bool ok = safeCall([&] { playlist_->setSelectedIndex(row); });
                syncing_ = false;
                // Moving through the list with the keys counts as a click.
                if (ok && ListBox1->hasFocus() && row >= 0)
                    ListBox1Click();
            }));
    connect(playlist_, &Playlist::selectionChanged, this, [this](int index) { syncViewSelection(index); });
    connect(playlist_, &QAbstractItemModel::modelReset, this, [this] { syncViewSelection(playlist_->selectedIndex()); });

    StatusLine = new QLabel(client());
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setFixedHeight(kStatusHeight);
    // A long text is cut at the window's edge; it never widens the window.
    StatusLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    StatusLine->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusLine->setIndent(2);
    StatusLine->setMouseTracking(true);
    StatusLine->installEventFilter(this);
    layout->addWidget(StatusLine);

    Panel1 = new QFrame(client());
    Panel1->setObjectName(QStringLiteral("Panel1"));
    static_cast<QFrame*>(Panel1)->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setAutoFillBackground(true);
    QPalette indigo = Panel1->palette();
    indigo.setColor(QPalette::Window, toQColor(clIndigo));
    Panel1->setPalette(indigo);
    Panel1->setGeometry(131, 56, 201, 89);
    Panel1->hide();

    Edit1 = new QLineEdit(QStringLiteral("1"), Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(24, 16, 153, 21);
    ApplicationHint::setHint(Edit1, QStringLiteral("|Задержка при просмотре файлов в слайд-шоу"));

    BitBtn1 = new QPushButton(QIcon(picture("delay")), QStringLiteral("Скрыть"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(56, 48, 97, 25);
    ApplicationHint::setHint(BitBtn1, QStringLiteral("|Убрать с плейлиста"));
    connect(BitBtn1, &QPushButton::clicked, this, guarded([this] { BitBtn1Click(); }));
    setFontColor(windowFont_.color);
}

QFileDialog* TForm1::makeDialog(const char* name, const QString& caption)
{
    auto* dialog = new QFileDialog(this, caption);
    dialog->setObjectName(QString::fromLatin1(name));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    WatchWhileShown::attach(dialog);
    return dialog;
}

QFileDialog* TForm1::OpenDialog1()
{
    if (!openDialog1_) {
        openDialog1_ = makeDialog("OpenDialog1", QStringLiteral("Выберите картинку, звуковой или видео-файл"));
        openDialog1_->setFileMode(QFileDialog::ExistingFiles);
        const QStringList filters = mediaFilters();
        openDialog1_->setNameFilters(filters);
        openDialog1_->selectNameFilter(filters.last());
    }
    return openDialog1_;
}

QFileDialog* TForm1::OpenDialog2()
{
    if (!openDialog2_) {
        openDialog2_ = makeDialog("OpenDialog2", QStringLiteral("Загрузить плей-лист"));
        openDialog2_->setFileMode(QFileDialog::ExistingFile);
        // Lists of other players are read too; our own format stays first.
        openDialog2_->setNameFilters({QStringLiteral("Плей-лист(*.qx)"), QStringLiteral("Плей-лист M3U (*.m3u *.m3u8)"),
                                      QStringLiteral("Плей-лист PLS (*.pls)"), QStringLiteral("Все файлы (*)")});
    }
    return openDialog2_;
}

QFileDialog* TForm1::SaveDialog1()
{
    if (!saveDialog1_) {
        saveDialog1_ = makeDialog("SaveDialog1", QStringLiteral("Сохранить плей-лист"));
        saveDialog1_->setOption(QFileDialog::DontConfirmOverwrite);
        saveDialog1_->setAcceptMode(QFileDialog::AcceptSave);
        saveDialog1_->setFileMode(QFileDialog::AnyFile);
        saveDialog1_->setNameFilters({QStringLiteral("Плей-лист (*.list)"), QStringLiteral("Все файлы (*)")});
    }
    return saveDialog1_;
}

void TForm1::FormCreate()
{
    setAcceptDrops(true);
    connect(hint_, &ApplicationHint::changed, this,
            [this](const QString& hint) { setStatusText(ApplicationHint::longHint(hint)); });
}

void TForm1::attach(MediaLauncher& launcher, SlideShow& slideShow)
{
    launcher_ = &launcher;
    slideShow_ = &slideShow;
    Timer1->onTimer = [this] { slideShow_->step(); };
}

void TForm1::FormClose(CloseAction& action)
{
    (void)action;
    if (onClosing)
        onClosing();
}

// ---------------------------------------------------------------- look

void TForm1::setListFont(const FontSpec& font)
{
    listFont_ = font;
    ListBox1->setFont(font.toQFont());
    // The rows are all of one height, measured once: measure again.
    ListBox1->doItemsLayout();
    QPalette pal = ListBox1->palette();
    pal.setColor(QPalette::Text, toQColor(font.color));
    ListBox1->setPalette(pal);
}

void TForm1::setListColor(TColor color)
{
    listColor_ = color;
    QPalette pal = ListBox1->palette();
    pal.setColor(QPalette::Base, toQColor(color));
    ListBox1->setPalette(pal);
}

void TForm1::setFontColor(TColor color)
{
    windowFont_.color = color;
    const QColor ink = toQColor(color);
    for (QWidget* w : std::initializer_list<QWidget*>{Edit1, BitBtn1, StatusLine}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Text, ink);
        pal.setColor(QPalette::ButtonText, ink);
        pal.setColor(QPalette::WindowText, ink);
        w->setPalette(pal);
    }
}

QString TForm1::statusText() const { return StatusLine->text(); }

void TForm1::setStatusText(const QString& text) { StatusLine->setText(text); }

void TForm1::syncViewSelection(int index)
{
    if (syncing_)
        return;
    syncing_ = true;
    if (index < 0)
        ListBox1->selectionModel()->clearSelection();
    else
        ListBox1->selectionModel()->setCurrentIndex(playlist_->index(index), QItemSelectionModel::ClearAndSelect);
    syncing_ = false;
}

// ---------------------------------------------------------------- commands

void TForm1::N5Click() { launcher_->openFile(); }

void TForm1::N6Click() { close(); }

void TForm1::N7Click()
{
    if (runDialog(*OpenDialog1()) == QDialog::Accepted)
        playlist_->append(OpenDialog1()->selectedFiles());
}

void TForm1::N8Click() { playlist_->deleteSelected(); }

void TForm1::N9Click()
{
    if (runDialog(*OpenDialog2()) != QDialog::Accepted || OpenDialog2()->selectedFiles().isEmpty())
        return;
    loadPlaylist(OpenDialog2()->selectedFiles().first(), {});
}

void TForm1::loadPlaylist(const QString& path, std::function<void()> then)
{
    loader_->load(path, [this, path, then = std::move(then)](PlaylistRead& read) {
        playlist_->setEntries(std::move(read.entries));
        if (read.cut)
            showMessageDialog(playlistCutMessage(path, playlist_->count()), MessageKind::Information, this);
        if (then)
            then();
    });
}

void TForm1::openNamedFiles(const QStringList& files)
{
    // A playlist named is loaded as the load command loads it (the last one,
    // when several are named); the other files are appended after its
    // entries, and the first of them is run.
    QString list;
    QStringList media;
    for (const QString& file : files) {
        if (PlaylistReader::isPlaylistFile(file))
            list = file;
        else
            media.append(file);
    }
    const auto addMedia = [this, media] {
        if (media.isEmpty())
            return;
        const int first = playlist_->count();
        playlist_->append(media);
        playlist_->setSelectedIndex(first);
        N11Click();
    };
    if (list.isEmpty())
        addMedia();
    else
        loadPlaylist(list, addMedia);
}

void TForm1::N10Click()
{
    if (runDialog(*SaveDialog1()) != QDialog::Accepted || SaveDialog1()->selectedFiles().isEmpty())
        return;
    playlist_->saveToFile(playlistSaveName(SaveDialog1()->selectedFiles().first()));
}

void TForm1::N22Click() { playlist_->clear(); }

void TForm1::N11Click() { launcher_->runSelected(); }

void TForm1::N12Click() { emit settingsRequested(); }

void TForm1::N16Click() { emit thumbnailsRequested(); }

void TForm1::N15Click() { emit systemReportRequested(); }

void TForm1::NZ20Click() { slideShow_->toggle(); }

void TForm1::NZ21Click()
{
    Panel1->show();
    Panel1->raise();
}

void TForm1::N18Click() { emit additionalRequested(); }

void TForm1::N13Click() { emit helpRequested(); }

void TForm1::N14Click() { acQuickAboutBox1->Execute(); }

void TForm1::AHMMenuItem9Click() { emit fontRequested(); }

void TForm1::AHMMenuItem34Click() { emit backgroundRequested(); }

void TForm1::AHMMenuItem48Click() { abfTrayIcon1->hideMainWindow(); }

void TForm1::AHMMenuItem49Click() { abfTrayIcon1->showMainWindow(); }

void TForm1::BitBtn1Click()
{
    Panel1->hide();
    try {
        state_.SlideDelay = strToInt(Edit1->text());
    } catch (const EConvertError&) {
        // A bad delay is answered in the field itself, without a message box.
        state_.SlideDelay = 1;
        Edit1->setText(QStringLiteral("Введите другое значение"));
        Panel1->show();
    }
}

void TForm1::ListBox1Click()
{
    const int i = playlist_->selectedIndex();
    if (i >= 0)
        setStatusText(playlist_->fileNameAt(i));
}

void TForm1::ListBox1DblClick() { launcher_->runSelected(); }

void TForm1::StatusLineMouseMove()
{
    setStatusText(QStringLiteral("В плейлисте всего %1 файл(ов)").arg(playlist_->count()));
}

void TForm1::ColorPickerIdle()
{
    if (const auto color = abfColorPicker1->colorUnderPointer())
        emit colorPicked(*color);
}

void TForm1::FormMouseWheel(int angleDelta)
{
    if (!options_.wheelResize)
        return;
    wheelRest_ += angleDelta;
    const int notches = wheelRest_ / kWheelNotch;
    wheelRest_ -= notches * kWheelNotch;
    if (notches == 0)
        return;
    // A step towards the user (a negative delta) makes the window larger.
    const int change = -notches * kWheelResizeStep;
    setOuterSize(outerWidth() + change, outerHeight());
    setOuterSize(outerWidth(), outerHeight() + change);
}

bool TForm1::dropFiles(const QList<QUrl>& urls)
{
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return false;
    playlist_->append(urls.first().toLocalFile());
    return true;
}

// ---------------------------------------------------------------- events

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    safeCall([&] {
        if (dropFiles(urls))
            event->acceptProposedAction();
    });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == StatusLine && event->type() == QEvent::MouseMove) {
        safeCall([this] { StatusLineMouseMove(); });
    } else if (event->type() == QEvent::Wheel && watched->isWidgetType() &&
               static_cast<QWidget*>(watched)->window() == this) {
        // One wheel event visits the control under the mouse, the controls it
        // hands it on to and their parents; it counts once.
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (event != lastWheel_ || wheel->timestamp() != lastWheelTime_) {
            lastWheel_ = event;
            lastWheelTime_ = wheel->timestamp();
            safeCall([&] { FormMouseWheel(wheel->angleDelta().y()); });
        }
    }
    return FramedWindow::eventFilter(watched, event);
}
