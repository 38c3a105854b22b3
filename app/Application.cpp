#include "Application.h"

#include "DesktopIntegration.h"
#include "MediaLauncher.h"
#include "NamedFiles.h"
#include "Playlist.h"
#include "SettingsStore.h"
#include "SingleInstance.h"
#include "SlideShow.h"
#include "TForm1.h"
#include "TForm4.h"
#include "WindowPlacement.h"
#include "media/TForm2.h"
#include "media/TForm3.h"
#include "media/TForm8.h"
#include "pictures/TThumbFromFileForm.h"
#include "platform/Errors.h"
#include "platform/PrivateSocket.h"
#include "platform/TRegistry.h"
#include "platform/WindowStacking.h"
#include "sysinfo/TAboutBox.h"
#include "windowing/ClassicLook.h"
#include "windowing/ErrorBox.h"
#include "windowing/SafeCall.h"
#include "windowing/TabfColorPicker.h"
#include "windowing/TabfTrayIcon.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <QLineEdit>
#include <QScreen>

#include <cstdio>
#include <functional>
#include <malloc.h>
#include <string_view>
#include <utility>

namespace {

// Runs then once, from the event loop, after window's first paint.
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget* window, std::function<void()> then) : QObject(window), then_(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && then_) {
            QTimer::singleShot(0, parent(), std::exchange(then_, {}));
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> then_;
};

void afterFirstPaint(QWidget* window, std::function<void()> then) { new FirstPaintWatch(window, std::move(then)); }

// Builds a window and runs its creation handler; start-up work that the
// shell does for the window runs as part of that handler.
template <class Form>
void createForm(Form*& reference, const std::function<Form*()>& build, bool visible,
                const std::function<void()>& shellWork = {})
{
    reference = build();
    safeCall([&] {
        reference->FormCreate();
        if (shellWork)
            shellWork();
    });
    if (visible) {
        reference->show();
        reference->activateWindow();
    }
}

template <class Form>
void destroyForm(Form*& reference)
{
    delete reference;
    reference = nullptr;
}

void showWindow(FramedWindow* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void reportDamagedStore(const QString& movedTo)
{
    if (!movedTo.isEmpty())
        showMessageDialog(QStringLiteral("Файл настроек повреждён и отложен в сторону:\r%1\rПрограмма запущена с "
                                         "настройками по умолчанию.")
                              .arg(movedTo),
                          MessageKind::Information, Form1);
}

void reportReadFailure(const SettingsStore::ReadFailure& failure)
{
    if (!failure.message.isEmpty())
        showErrorBox(failure.message);
}

QList<QRect> screenAreas()
{
    QList<QRect> areas;
    for (QScreen* screen : QGuiApplication::screens())
        areas << screen->geometry();
    return areas;
}

void applyPlace(FramedWindow* window, const StoredPlace& stored, QPoint design)
{
    const WindowPlacement::Frame frame{window->outerWidth(), window->borderWidth(), FramedWindow::kCaptionHeight};
    window->move(WindowPlacement::place(stored, window->pos(), frame, screenAreas(), design));
}

StoredPlace placeOf(const FramedWindow* window) { return {window->left(), window->top()}; }

QPoint thumbnailsDesignPlace()
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    return screen.center() - QPoint(ThumbFromFileForm->outerWidth() / 2, ThumbFromFileForm->outerHeight() / 2);
}

void reportLoneCopy(const QString& why)
{
    std::fprintf(stderr, "kaleidor: %s; программа работает отдельной копией.\n", qPrintable(why));
}

// This start's part in the one running copy; no instance when it runs alone.
struct InstanceClaim {
    std::unique_ptr<SingleInstance> instance;
    bool later = false;  // another copy runs
};

InstanceClaim claimInstance()
{
    try {
        auto instance = std::make_unique<SingleInstance>(privateSocketFolder());
        const bool later = instance->claim() == SingleInstance::Role::Later;
        return {std::move(instance), later};
    } catch (const EPrivateSocketError& e) {
        reportLoneCopy(e.message());
        return {};
    }
}

// A later start: true when the running copy took the files. Otherwise this
// start goes on as the running copy when the last one has just ended, else
// alone (instance gone).
bool handedOver(std::unique_ptr<SingleInstance>& instance, const NamedFiles& files)
{
    try {
        if (instance->handOver(files))
            return true;
        if (instance->claim() == SingleInstance::Role::Running)
            return false;
        reportLoneCopy(QStringLiteral("работающая копия не ответила"));
    } catch (const EPrivateSocketError& e) {
        reportLoneCopy(e.message());
    }
    instance.reset();
    return false;
}

// Asked for help or the version, the program answers on its standard output
// without a display and ends; anything else names files.
const char* commandLineReply(int argc, char** argv)
{
    if (argc != 2)
        return nullptr;
    const std::string_view option = argv[1];
    if (option == "--help" || option == "-h")
        return "Использование: kaleidor [ФАЙЛ]…\n"
               "Калейдор: плейлист картинок, музыки и видео.\n"
               "\n"
               "Названный плей-лист (.qx, .m3u, .m3u8, .pls) загружается; остальные\n"
               "названные файлы добавляются в конец плейлиста, первый из них запускается.\n"
               "Если Калейдор уже запущен, файлы передаются ему.\n"
               "\n"
               "  -h, --help     показать эту справку и выйти\n"
               "      --version  показать версию и выйти\n";
    if (option == "--version")
        return "Калейдор " KALEIDOR_VERSION "\n";
    return nullptr;
}

const QSize kMainDesignSize(480, 267);
// The narrowest a window's frame lets the user size it; no shorter than its frame.
constexpr int kSmallestOuterWidth = 120;

}  // namespace

Application::Application(MediaEngineFactory engines, std::future<MainWindowReading> readAhead)
    : engines_(std::move(engines)), readAhead_(std::move(readAhead))
{
}

Application::~Application()
{
    stopPreload_ = true;
    if (mediaPreload_.valid())
        mediaPreload_.wait();
    destroyWindows();
}

void Application::preloadMediaWhenIdle()
{
    // Started once the main window has painted, so that it never competes
    // with the start itself.
    afterFirstPaint(Form1, [this] {
        if (!mediaPreload_.valid())
            mediaPreload_ = std::async(std::launch::async, preloadMediaBackend, std::cref(stopPreload_));
    });
}

void Application::selectPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

void Application::initialize(QApplication& app)
{
    // No display name: the platform would append it to every window title.
    app.setApplicationName(QStringLiteral("kaleidor"));
    app.setDesktopFileName(QStringLiteral("kaleidor"));
    // Qt's own dialogs and buttons speak the program's language.
    auto* qtTexts = new QTranslator(&app);
    if (qtTexts->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtTexts);
    app.setQuitOnLastWindowClosed(false);
    applyClassicLook(app);
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/kaleidor-%1.png").arg(size), QSize(size, size));
    app.setWindowIcon(icon);
}

void Application::createWindows()
{
    createForm<TForm1>(
        Form1, [this] { return new TForm1(state_, settings_.options); }, true, [this] { readMainWindow(); });
    createForm<TForm2>(Form2, [this] { return new TForm2(engines_); }, false);
    createForm<TForm3>(Form3, [this] { return new TForm3(state_); }, false);
    createForm<TForm4>(Form4, [] { return new TForm4; }, false, [this] {
        QObject::connect(Form4, &TForm4::trayIconSwitched, Form1,
                [](bool visible) { Form1->abfTrayIcon1->setVisible(visible); });
        Form4->setOptions(settings_.options);
    });
    createForm<TAboutBox>(AboutBox, [] { return new TAboutBox; }, false);
    createForm<TThumbFromFileForm>(ThumbFromFileForm, [] { return new TThumbFromFileForm; }, false);
    createForm<TForm8>(Form8, [this] { return new TForm8(engines_); }, false,
                       [this] { countStartAndPlaceWindows(); });
    connectWindows();
    fillPlaylist();
}

void Application::fillPlaylist()
{
    // The entries come last: the list, its look set, lays them out once.
    // A playlist is thrown away only when the user said so; a store that
    // lacks the option keeps the box's design state (load it).
    if (settings_.options.loadLastPlaylist) {
        Form1->playlist()->setEntries(std::move(storedEntries_));
        storedPlaylist_ = Form1->playlist()->revision();
    }
    // The buffers the store was read through are let go.
    storedEntries_ = PlaylistEntries();
    ::malloc_trim(0);
}

void Application::connectWindows()
{
    launcher_ = std::make_unique<MediaLauncher>(Form1->playlist(), [form = Form1] { return form->OpenDialog1(); },
                                                MediaWindows{*Form2, *Form3, *Form8}, settings_.options, state_);
    slideShow_ = std::make_unique<SlideShow>(state_, *Form1->playlist(), *launcher_, *Form1->Timer1,
                                             QList<QAction*>{Form1->NZ20, Form1->AHMMenuItem3});
    Form1->attach(*launcher_, *slideShow_);
    Form1->onClosing = [this] { writeAtClose(); };
    // Closing the screen window ends the slide show.
    Form3->onClosed = [this] { slideShow_->stop(); };

    QObject::connect(Form1, &TForm1::settingsRequested, Form4, [] { showWindow(Form4); });
    QObject::connect(Form1, &TForm1::thumbnailsRequested, ThumbFromFileForm, [] { showWindow(ThumbFromFileForm); });
    QObject::connect(Form1, &TForm1::systemReportRequested, AboutBox,
                     [this] { AboutBox->showSystemReport(state_.StartCount); });
    QObject::connect(Form1, &TForm1::additionalRequested, AboutBox, &TAboutBox::showAdditional);
    QObject::connect(Form1, &TForm1::helpRequested, AboutBox, &TAboutBox::showHelp);
    QObject::connect(Form1, &TForm1::fontRequested, Form4, guarded([this] { chooseListFont(); }));
    QObject::connect(Form1, &TForm1::backgroundRequested, Form4, guarded([this] { chooseListColor(); }));
    QObject::connect(Form1, &TForm1::colorPicked, Form4, &TForm4::setSwatchColor);
    Form1->abfColorPicker1->runWhileShown(Form4);

    QObject::connect(Form4, &TForm4::fontRequested, Form1, guarded([this] { chooseListFont(); }));
    QObject::connect(Form4, &TForm4::backgroundRequested, Form1, guarded([this] { chooseListColor(); }));
    QObject::connect(Form4, &TForm4::lookReset, Form1, guarded([this] { resetLook(); }));
    QObject::connect(Form4, &TForm4::windowFontColorChosen, Form1, &TForm1::setFontColor);
    QObject::connect(Form4, &TForm4::magnetSwitched, Form3, [](bool active) {
        Form3->acFormMagnet1->setActive(active);
        Form8->acFormMagnet1->setActive(active);
    });
    QObject::connect(Form4, &TForm4::optionsChanged, Form1, [this](const Options& o) { settings_.options = o; });
    // Space in the thumbnails viewer adds the picture to the playlist.
    QObject::connect(ThumbFromFileForm, &TThumbFromFileForm::addToPlaylist, Form1,
                     guarded([](const QString& file) { Form1->playlist()->append(file); }));
}

void Application::destroyWindows()
{
    destroyForm(Form8);
    destroyForm(ThumbFromFileForm);
    destroyForm(AboutBox);
    destroyForm(Form4);
    destroyForm(Form3);
    destroyForm(Form2);
    destroyForm(Form1);
    slideShow_.reset();
    launcher_.reset();
}

void Application::readMainWindow()
{
    MainWindowReading reading = readAhead_.valid() ? readAhead_.get() : MainWindowReading::read();
    settings_ = std::move(reading.settings);
    reportDamagedStore(reading.damagedStoreMovedTo);
    const Settings& s = settings_;
    Form1->setListColor(s.listColor);
    const QSize minimum(kSmallestOuterWidth, Form1->frameHeight());
    Form1->setOuterSize(WindowPlacement::size(s.width, minimum.width(), kMainDesignSize.width()), Form1->outerHeight());
    Form1->setOuterSize(Form1->outerWidth(), WindowPlacement::size(s.height, minimum.height(), kMainDesignSize.height()));
    Form1->setListFont(s.listFont);
    Form1->Edit1->setText(s.delayText);
    applyPlace(Form1, s.main, QPoint(211, 292));
    storedEntries_ = std::move(reading.playlist);
    reportReadFailure(reading.failure);

    state_.LoadLastPlaylist = s.options.loadLastPlaylist;
    // A delay text that is not a number is what the delay panel treats as 1.
    try {
        state_.SlideDelay = strToInt(s.delayText);
    } catch (const EConvertError&) {
        state_.SlideDelay = 1;
    }
}

void Application::countStartAndPlaceWindows()
{
    SettingsStore::StartCount count;
    {
        SettingsStore::ReadFailure failure;
        TRegistry reg;
        count = SettingsStore::countStart(reg, failure);
        state_.StartCount = count.before;
        reportDamagedStore(reg.DamagedStoreMovedTo());
        reportReadFailure(failure);
    }
    if (count.first)
        showMessageDialog(QStringLiteral("Программа запущена первый раз.\rПрочтите помощь-справка"),
                          MessageKind::Information, Form1);

    SettingsStore::ReadFailure failure;
    TRegistry reg;
    SettingsStore::loadPlaces(reg, settings_, failure);
    applyPlace(Form2, settings_.music, QPoint(160, 549));
    applyPlace(Form3, settings_.screen, QPoint(277, 0));
    applyPlace(Form4, settings_.settingsDialog, QPoint(517, 423));
    applyPlace(Form8, settings_.video, QPoint(160, 555));
    applyPlace(ThumbFromFileForm, settings_.thumbnails, thumbnailsDesignPlace());
    reportReadFailure(failure);
}

Settings Application::gathered() const
{
    Settings s;
    s.listColor = Form1->listColor();
    s.width = Form1->outerWidth();
    s.height = Form1->outerHeight();
    s.options = settings_.options;
    s.listFont = Form1->listFont();
    s.delayText = Form1->Edit1->text();
    s.main = placeOf(Form1);
    s.music = placeOf(Form2);
    s.screen = placeOf(Form3);
    s.settingsDialog = placeOf(Form4);
    s.video = placeOf(Form8);
    s.thumbnails = placeOf(ThumbFromFileForm);
    return s;
}

void Application::writeAtClose()
{
    TRegistry reg;
    Settings s = gathered();
    // A playlist as it was read is written back only when the store has
    // changed since: encoding and escaping megabytes would slow every close.
    const Playlist& list = *Form1->playlist();
    if (storedPlaylist_ == list.revision()) {
        SettingsStore::save(reg, s, [&list] { return list.utf8Text(); });
    } else {
        s.playlist = list.utf8Text();
        SettingsStore::save(reg, std::move(s));
    }
}

void Application::chooseListFont()
{
    bool ok = false;
    const FontSpec chosen = Form4->chooseFont(ok);
    if (ok)
        Form1->setListFont(chosen);
}

void Application::chooseListColor()
{
    bool ok = false;
    const TColor chosen = Form4->chooseColor(ok);
    if (ok)
        Form1->setListColor(chosen);
}

void Application::resetLook()
{
    Form1->setListFont(Settings::designListFont());
    Form1->setListColor(clSilver);
    Form1->setOuterSize(Form1->outerWidth(), 270);
    Form1->setOuterSize(387, Form1->outerHeight());
}

int Application::run(int argc, char** argv)
{
    if (const char* reply = commandLineReply(argc, argv)) {
        std::fputs(reply, stdout);
        return 0;
    }
    // Large buffers (a store of megabytes, a decoded picture) go back to the
    // system when freed. Left to itself, glibc raises this threshold after
    // the first such free and keeps the later ones in the heap for good.
    ::mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    // The lock comes before anything slow: a start a moment after this one
    // finds it held and hands its files over instead of becoming a second copy.
    auto [instance, later] = claimInstance();
    // The running copy reads its store while Qt comes up.
    std::future<MainWindowReading> readAhead;
    if (!later)
        readAhead = MainWindowReading::readAhead();
    selectPlatform();
    QApplication app(argc, argv);
    initialize(app);
    const NamedFiles named = resolveNamedFiles(app.arguments().mid(1), QDir::currentPath());
    if (later) {
        if (handedOver(instance, named))
            return 0;
        readAhead = MainWindowReading::readAhead();
    }
    DesktopIntegration desktop(instance.get());
    X11WindowStacking stacking;  // outlives the windows
    Application shell(makeMediaBackend, std::move(readAhead));
    shell.createWindows();
    shell.preloadMediaWhenIdle();
    Form1->setStacking(&stacking);
    desktop.start(named);
    const int result = app.exec();
    // A start from now on becomes the next running copy instead of waiting
    // for this one while it ends.
    instance.reset();
    return result;
}
