// The main window: menus and their keys, the status line, the delay panel,
// wheel resizing, and the commands' wiring.
#include "TestSupport.h"
#include "app/Application.h"
#include "app/ApplicationHint.h"
#include "app/Playlist.h"
#include "app/PlaylistReader.h"
#include "app/ShellState.h"
#include "app/TForm1.h"
#include "app/TForm4.h"
#include "pictures/TThumbFromFileForm.h"
#include "styled/TAHMPopupMenu.h"
#include "styled/TdxfCheckBox.h"
#include "sysinfo/TAboutBox.h"
#include "windowing/ErrorBox.h"
#include "windowing/TabfColorPicker.h"
#include "windowing/TabfTrayIcon.h"
#include "windowing/Timer.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QFontMetrics>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

struct MainWindow : ::testing::Test {
    TempConfigHome home;
    std::optional<ModalWatcher> watching{std::in_place};
    ModalWatcher& watcher = *watching;
    std::optional<Application> shell;
    Playlist* list = nullptr;
    quint64 wheelTime = 0;

    void SetUp() override
    {
        shell.emplace();
        shell->createWindows();
        watching.emplace();  // forget the first-start greeting
        list = Form1->playlist();
        QApplication::setActiveWindow(Form1);
        waitFor([] { return QApplication::activeWindow() == Form1; }, 2000);
    }
    void TearDown() override
    {
        shell.reset();
    }
    void fill(int n)
    {
        QStringList entries;
        for (int i = 0; i < n; ++i)
            entries << QStringLiteral("/home/u/Фото/file%1.jpg").arg(i);
        list->setEntries(entries);
    }
    void wheel(QWidget* target, int delta)
    {
        const QPointF pos(target->width() / 2.0, target->height() / 2.0);
        QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        event.setTimestamp(++wheelTime);  // as real events have
        QApplication::sendEvent(target, &event);
    }
    QStringList seenNames() const
    {
        QStringList names;
        for (const SeenBox& box : watcher.seen())
            names << box.objectName;
        return names;
    }
};

TEST_F(MainWindow, PlainKeysActBeforeTheFocusedControl)
{
    Form1->NZ21Click();
    for (QWidget* focus : std::initializer_list<QWidget*>{Form1->ListBox1, Form1->Edit1}) {
        SCOPED_TRACE(focus->objectName().toStdString());
        QApplication::setActiveWindow(Form1);
        fill(3);
        list->setSelectedIndex(1);
        Form1->Edit1->setText(QStringLiteral("5"));
        focus->setFocus();
        ASSERT_TRUE(waitFor([focus] { return focus->hasFocus(); }, 2000));

        QTest::keyClick(focus, Qt::Key_Delete);
        EXPECT_EQ(list->count(), 2);
        EXPECT_EQ(list->selectedIndex(), 1);
        QTest::keyClick(focus, Qt::Key_C);
        EXPECT_EQ(list->count(), 0);

        const struct {
            Qt::Key key;
            const char* dialog;
        } dialogs[] = {{Qt::Key_Insert, "OpenDialog1"}, {Qt::Key_Z, "OpenDialog2"}, {Qt::Key_X, "SaveDialog1"},
                       {Qt::Key_F2, "OpenDialog1"}};
        for (const auto& d : dialogs) {
            const qsizetype before = watcher.seen().size();
            // The offscreen display does not give the window back its activation after a dialog.
            QApplication::setActiveWindow(Form1);
            focus->setFocus();
            QTest::keyClick(focus, d.key);
            ASSERT_EQ(watcher.seen().size(), before + 1) << d.dialog;
            EXPECT_EQ(watcher.seen().last().objectName, QString::fromLatin1(d.dialog));
        }
        // None of the keys reached the field.
        EXPECT_EQ(Form1->Edit1->text(), QStringLiteral("5"));
    }
}

TEST_F(MainWindow, FunctionAndLetterKeysOpenTheirWindows)
{
    Form1->ListBox1->setFocus();
    QTest::keyClick(Form1->ListBox1, Qt::Key_F);
    EXPECT_TRUE(shell->state().SlideShowActive);
    QApplication::setActiveWindow(Form1);
    QTest::keyClick(Form1->ListBox1, Qt::Key_F);
    EXPECT_FALSE(shell->state().SlideShowActive);
    QTest::keyClick(Form1->ListBox1, Qt::Key_G);
    EXPECT_TRUE(Form1->Panel1->isVisible());
    // Shift with a letter is not a menu key.
    fill(2);
    QTest::keyClick(Form1->ListBox1, Qt::Key_C, Qt::ShiftModifier);
    EXPECT_EQ(list->count(), 2);

    const struct {
        Qt::Key key;
        QWidget* window;
        const char* caption;
    } cases[] = {
        {Qt::Key_F9, AboutBox, "О системе"},
        {Qt::Key_D, AboutBox, "Дополнительно"},
        {Qt::Key_F1, AboutBox, "Помощь"},
        {Qt::Key_T, ThumbFromFileForm, nullptr},
        {Qt::Key_F6, Form4, nullptr},
    };
    for (const auto& c : cases) {
        c.window->hide();
        QApplication::setActiveWindow(Form1);
        QTest::keyClick(Form1->ListBox1, c.key);
        EXPECT_TRUE(c.window->isVisible()) << c.window->objectName().toStdString();
        if (c.caption)
            EXPECT_EQ(c.window->windowTitle(), QString::fromUtf8(c.caption));
    }
    QApplication::setActiveWindow(Form1);
    QTest::keyClick(Form1->ListBox1, Qt::Key_O);
    ASSERT_FALSE(watcher.seen().isEmpty());
    EXPECT_EQ(watcher.seen().last().caption, QStringLiteral("О О программе"));
}

TEST_F(MainWindow, EveryMenuItemShowsItsPictureAndPutsItsHintOnTheStatusLine)
{
    int items = 0;
    for (QMenu* menu : std::initializer_list<QMenu*>{Form1->N1, Form1->N2, Form1->N3, Form1->N19, Form1->N4,
                                                    Form1->Menu0, Form1->AHMPopupMenu1})
        for (QAction* a : menu->actions()) {
            if (a->isSeparator())
                continue;
            ++items;
            const std::string name = a->objectName().toStdString();
            EXPECT_FALSE(a->icon().pixmap(16, 16).isNull()) << name;
            a->hover();
            if (a == Form1->AHMMenuItem49)
                EXPECT_TRUE(Form1->statusText().isEmpty()) << name;
            else
                EXPECT_FALSE(Form1->statusText().isEmpty()) << name;
            EXPECT_FALSE(Form1->statusText().startsWith(QLatin1Char('|'))) << name;
        }
    EXPECT_GT(items, 0);
}

TEST_F(MainWindow, PlaylistRowsGrowWithTheFontAndNeverShrinkBelowSixteen)
{
    fill(2);
    const struct {
        int height;
        int least;
    } cases[] = {{-8, 16}, {-13, 16}, {-30, 30}, {-48, 48}};
    for (const auto& c : cases) {
        Form1->setListFont(fontSpec(QStringLiteral("DejaVu Sans"), c.height));
        const int row = Form1->ListBox1->visualRect(list->index(0)).height();
        EXPECT_GE(row, c.least) << c.height;
        EXPECT_GE(row, QFontMetrics(Form1->ListBox1->font()).height()) << c.height;
        EXPECT_EQ(Form1->ListBox1->visualRect(list->index(1)).top(), row) << c.height;
    }
}

TEST_F(MainWindow, StatusLineShowsTheLongHintTheFileNameAndTheCount)
{
    Form1->N5->hover();
    EXPECT_EQ(Form1->statusText(), QStringLiteral("Открыть файл"));
    Form1->NZ20->hover();
    EXPECT_EQ(Form1->statusText(), QStringLiteral("Запустить слайд-шоу(только изображения)"));
    Form1->AHMMenuItem11->hover();
    EXPECT_EQ(Form1->statusText(), QStringLiteral("Задержка между появлениями изображений"));

    Form1->NZ21Click();
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(Form1->Edit1, &enter);
    EXPECT_EQ(Form1->statusText(), QStringLiteral("Задержка при просмотре файлов в слайд-шоу"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Form1->Edit1, &leave);
    EXPECT_EQ(Form1->statusText(), QString());

    list->setEntries({QStringLiteral("/a/b.mp3"), QStringLiteral("/home/u/Фото/a.jpg"), QStringLiteral("c.avi")});
    Form1->ListBox1->show();
    const QRect row = Form1->ListBox1->visualRect(list->index(1));
    QTest::mouseClick(Form1->ListBox1->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(list->selectedIndex(), 1);
    EXPECT_EQ(Form1->statusText(), QStringLiteral("a.jpg"));

    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), Form1->StatusLine->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Form1->StatusLine, &move);
    EXPECT_EQ(Form1->statusText(), QStringLiteral("В плейлисте всего 3 файл(ов)"));
}

TEST(ApplicationHintText, NearestParentHintAndLongPart)
{
    QWidget top;
    auto* panel = new QWidget(&top);
    auto* inner = new QWidget(panel);
    auto* leaf = new QWidget(inner);
    ApplicationHint::setHint(panel, QStringLiteral("short|long text"));
    EXPECT_EQ(ApplicationHint::hintOf(leaf), QStringLiteral("short|long text"));
    ApplicationHint::setHint(inner, QStringLiteral("inner"));
    EXPECT_EQ(ApplicationHint::hintOf(leaf), QStringLiteral("inner"));
    EXPECT_EQ(ApplicationHint::hintOf(&top), QString());

    const struct {
        const char* hint;
        const char* longPart;
    } cases[] = {{"", ""}, {"whole", "whole"}, {"|after", "after"}, {"a|b|c", "b|c"}, {"before|", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(ApplicationHint::longHint(QString::fromUtf8(c.hint)), QString::fromUtf8(c.longPart)) << c.hint;
}

TEST_F(MainWindow, DelayPanelConfirmsOrAsksAgain)
{
    const struct {
        const char* text;
        int delay;
        bool panelAgain;
        const char* fieldAfter;
    } cases[] = {
        {"abc", 1, true, "Введите другое значение"},
        {"0", 0, false, "0"},
        {"-3", -3, false, "-3"},
        {"+7", 7, false, "+7"},
        {"", 1, true, "Введите другое значение"},
    };
    for (const auto& c : cases) {
        shell->state().SlideDelay = 99;
        Form1->AHMMenuItem11->trigger();
        ASSERT_TRUE(Form1->Panel1->isVisible());
        Form1->Edit1->setText(QString::fromUtf8(c.text));
        QTest::mouseClick(Form1->BitBtn1, Qt::LeftButton);
        EXPECT_EQ(shell->state().SlideDelay, c.delay) << c.text;
        EXPECT_EQ(Form1->Panel1->isVisible(), c.panelAgain) << c.text;
        EXPECT_EQ(Form1->Edit1->text(), QString::fromUtf8(c.fieldAfter));
    }
    EXPECT_TRUE(watcher.seen().isEmpty());
}

TEST_F(MainWindow, WheelResizesOnlyWhileItsBoxIsChecked)
{
    fill(60);
    Form1->setOuterSize(480, 267);
    QWidget* viewport = Form1->ListBox1->viewport();
    ASSERT_TRUE(waitFor([] { return Form1->ListBox1->verticalScrollBar()->maximum() > 0; }, 2000));
    ASSERT_TRUE(Form4->CB3->checked());
    wheel(viewport, -120);  // towards the user
    EXPECT_EQ(QSize(Form1->outerWidth(), Form1->outerHeight()), QSize(490, 277));
    const int scrolled = Form1->ListBox1->verticalScrollBar()->value();
    EXPECT_GT(scrolled, 0);  // the list scrolls as well
    wheel(viewport, 240);
    EXPECT_EQ(QSize(Form1->outerWidth(), Form1->outerHeight()), QSize(470, 257));
    wheel(viewport, -60);  // half a notch waits for the other half
    EXPECT_EQ(Form1->outerWidth(), 470);
    wheel(viewport, -60);
    EXPECT_EQ(Form1->outerWidth(), 480);

    Form4->CB3->setChecked(false);
    wheel(viewport, -120);
    wheel(Form1->StatusLine, 120);
    EXPECT_EQ(QSize(Form1->outerWidth(), Form1->outerHeight()), QSize(480, 267));
}

TEST_F(MainWindow, SlideShowItemsToggleTogether)
{
    for (QAction* item : {Form1->AHMMenuItem3, Form1->NZ20}) {
        item->trigger();
        EXPECT_TRUE(shell->state().SlideShowActive);
        EXPECT_TRUE(Form1->Timer1->enabled());
        EXPECT_EQ(Form1->Timer1->interval(), 100);
        EXPECT_EQ(Form1->NZ20->text(), QStringLiteral("Остановить слайд-шоу"));
        EXPECT_EQ(Form1->AHMMenuItem3->text(), QStringLiteral("Остановить слайд-шоу"));
        item->trigger();
        EXPECT_FALSE(shell->state().SlideShowActive);
        EXPECT_FALSE(Form1->Timer1->enabled());
        EXPECT_EQ(Form1->NZ20->text(), QStringLiteral("Запустить слайд-шоу"));
        EXPECT_EQ(Form1->AHMMenuItem3->text(), QStringLiteral("Запустить слайд-шоу"));
    }
}

TEST_F(MainWindow, RunningFromAnEmptyPlaylistReportsTheListError)
{
    Form1->N11->trigger();
    ASSERT_EQ(watcher.seen().size(), 1);
    EXPECT_EQ(watcher.seen().first().text, QStringLiteral("List index out of bounds (-1)"));

    fill(2);
    Form1->ListBox1DblClick();
    EXPECT_EQ(list->selectedIndex(), 0);  // the first entry is taken when none is selected
    // The entry names no real file: the launcher reports a picture error, not a list error.
    ASSERT_EQ(watcher.seen().size(), 2);
    EXPECT_TRUE(watcher.seen().last().text.startsWith(QStringLiteral("Изображение отсутствует")));
}

TEST_F(MainWindow, TrayMenuHidesAndShowsTheWindow)
{
    Form1->AHMMenuItem48->trigger();
    EXPECT_FALSE(Form1->isVisible());
    Form1->AHMMenuItem49->trigger();
    EXPECT_TRUE(Form1->isVisible());
}

TEST_F(MainWindow, OnlyTheFirstDroppedFileIsAppended)
{
    EXPECT_TRUE(Form1->dropFiles({QUrl::fromLocalFile(QStringLiteral("/tmp/один.jpg")),
                                  QUrl::fromLocalFile(QStringLiteral("/tmp/b.mp3")),
                                  QUrl::fromLocalFile(QStringLiteral("/tmp/c.avi"))}));
    EXPECT_EQ(list->entries(), QStringList{QStringLiteral("/tmp/один.jpg")});
    EXPECT_FALSE(Form1->dropFiles({QUrl(QStringLiteral("https://example.org/a.jpg"))}));
    EXPECT_EQ(list->count(), 1);
}

// Drives the next shown file dialog: chooses path and confirms. The dialog
// reads its folder in the background, so confirming is tried until it takes;
// after a few seconds the test fails and the dialog is cancelled.
void acceptNext(QFileDialog* dialog, const QString& path)
{
    auto* timer = new QTimer(dialog);
    auto clock = std::make_shared<QElapsedTimer>();
    QObject::connect(timer, &QTimer::timeout, dialog, [dialog, path, timer, clock] {
        if (!dialog->isVisible())
            return;
        if (!clock->isValid()) {
            clock->start();
            dialog->setDirectory(QFileInfo(path).absolutePath());
        }
        // The name field has the focus, and then selectFile leaves it alone.
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        static_cast<QDialog*>(dialog)->accept();
        if (!dialog->isVisible() || clock->elapsed() > 5000) {
            timer->stop();
            timer->deleteLater();
        }
        if (dialog->isVisible() && clock->elapsed() > 5000) {
            ADD_FAILURE() << "the dialog refused " << path.toStdString();
            dialog->reject();
        }
    });
    timer->start(20);
}

TEST_F(MainWindow, SaveAndLoadGoThroughTheirDialogs)
{
    watching.reset();  // the dialogs are driven here, not closed
    QTemporaryDir dir;
    list->setEntries({QStringLiteral("/x/a.jpg"), QString(), QStringLiteral("/x/b.mp3")});
    const QString chosen = dir.filePath(QStringLiteral("mine.qx"));
    acceptNext(Form1->SaveDialog1(), chosen);
    Form1->N10Click();
    ASSERT_TRUE(QFile::exists(chosen + QStringLiteral(".qx")));
    list->clear();
    acceptNext(Form1->OpenDialog2(), chosen + QStringLiteral(".qx"));
    Form1->N9Click();
    EXPECT_TRUE(waitFor([&] {
        return list->entries() == QStringList{QStringLiteral("/x/a.jpg"), QString(), QStringLiteral("/x/b.mp3")};
    }));
}

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    return path;
}

// A playlist file is read off the window's thread: the command returns at
// once with the playlist as it was and the busy cursor shown, until the
// entries are in. A list longer than one load takes is cut and reported, a
// refused one leaves the playlist as it was, and of two loads in a row the
// later one counts.
TEST_F(MainWindow, PlaylistsLoadOffTheWindowsThreadWithinTheirLimits)
{
    QTemporaryDir dir;
    const auto write = [&](const char* name, const QByteArray& bytes) { return writeFile(dir, name, bytes); };
    const qsizetype most = PlaylistLimits().entries;
    const QString big = write("big.qx", QByteArray(most + 1, '\n'));
    const QString refused = write("long.m3u", "/a.mp3\n/" + QByteArray(PlaylistLimits().lineBytes, 'x') + "\n");
    const QString small = write("small.m3u", "#EXTM3U\n/m/1.mp3\n/m/2.jpg\n");
    const QStringList before{QStringLiteral("/old.jpg")};
    list->setEntries(before);

    Form1->loadPlaylist(big, {});
    EXPECT_EQ(list->entries(), before);
    EXPECT_EQ(Form1->cursor().shape(), Qt::BusyCursor);
    ASSERT_TRUE(waitFor([&] { return list->count() != 1; }, 60000));
    EXPECT_EQ(list->count(), most);
    EXPECT_EQ(Form1->cursor().shape(), Qt::ArrowCursor);
    ASSERT_TRUE(waitFor([&] { return !watcher.seen().isEmpty(); }));
    EXPECT_EQ(watcher.seen().last().text, messageDialogText(playlistCutMessage(big, most)));

    list->setEntries(before);
    Form1->loadPlaylist(refused, {});
    ASSERT_TRUE(waitFor([&] { return watcher.seen().size() == 2; }));
    EXPECT_TRUE(watcher.seen().last().text.startsWith(QStringLiteral("Плей-лист не загружен:")));
    EXPECT_EQ(list->entries(), before);
    EXPECT_EQ(Form1->cursor().shape(), Qt::ArrowCursor);

    bool laterDone = false;
    Form1->loadPlaylist(big, [] { ADD_FAILURE() << "the earlier load was not replaced"; });
    Form1->loadPlaylist(small, [&] { laterDone = true; });
    ASSERT_TRUE(waitFor([&] { return laterDone; }));
    EXPECT_EQ(list->entries(), (QStringList{"/m/1.mp3", "/m/2.jpg"}));
    EXPECT_EQ(watcher.seen().size(), 2);
}

// Files named at start, or handed over by a later start: a playlist among
// them is loaded as the load command loads it, the other files follow its
// entries and the first of them is selected; named alone, they are appended.
TEST_F(MainWindow, ANamedPlaylistIsLoadedAndTheOtherNamedFilesFollowIt)
{
    QTemporaryDir dir;
    const auto write = [&](const char* name, const QByteArray& bytes) { return writeFile(dir, name, bytes); };
    const QString notes = write("notes.txt", "not a list");
    const QString m3u = write("list.M3U8", "/m/1.mp3\r\n");
    const QString pls = write("list.pls", "[playlist]\nFile1=/p/1.mp3\n");
    const QString qx = write("list.qx", "/q/1.jpg\r\n/q/2.jpg\r\n");
    const struct {
        QStringList named;
        QStringList entries;
        int selected;
    } cases[] = {
        {{notes, m3u}, {"/m/1.mp3", notes}, 1},
        {{pls}, {"/p/1.mp3"}, -1},
        {{m3u, qx}, {"/q/1.jpg", "/q/2.jpg"}, -1},  // the last list named
        {{notes}, {"/old.jpg", notes}, 1},          // no list: appended
    };
    for (const auto& c : cases) {
        list->setEntries({QStringLiteral("/old.jpg")});
        Form1->openNamedFiles(c.named);
        EXPECT_TRUE(waitFor([&] { return list->entries() == c.entries; })) << c.named.join(u' ').toStdString();
        EXPECT_EQ(list->selectedIndex(), c.selected) << c.named.join(u' ').toStdString();
    }
    EXPECT_TRUE(watcher.seen().isEmpty());
}

TEST_F(MainWindow, ColorPickerKeepsTheSwatchWhenTheScreenCannotBeRead)
{
    // Off every screen there is no pixel to read.
    const QPoint away(-20000, -20000);
    EXPECT_FALSE(TabfColorPicker::colorAt(away).has_value());
    QCursor::setPos(away);
    Form4->setSwatchColor(clLime);
    Form1->ColorPickerIdle();
    EXPECT_EQ(Form4->swatchColor(), clLime);
}

TEST_F(MainWindow, ColorPickerRunsOnlyWhileTheSettingsDialogIsOpen)
{
    EXPECT_FALSE(Form1->abfColorPicker1->isArmed());
    // Both ways of closing the dialog: the close label and the window's own.
    for (auto close : {+[] { Form4->acLabel1Click(); }, +[] { Form4->close(); }}) {
        Form1->N12Click();
        ASSERT_TRUE(Form4->isVisible());
        EXPECT_TRUE(Form1->abfColorPicker1->isArmed());
        EXPECT_EQ(Form1->abfColorPicker1->interval(), 100);
        close();
        ASSERT_FALSE(Form4->isVisible());
        EXPECT_FALSE(Form1->abfColorPicker1->isArmed());
    }
}

}  // namespace

// A row lays out no more of an entry than it can show: a 4 MB entry measured
// whole would be millions of pixels wide and take seconds per repaint.
TEST_F(MainWindow, HugeEntryIsLaidOutOnlyAsFarAsARowShows)
{
    const QString huge = QStringLiteral("/") + QString(4 << 20, u'ж');
    list->setEntries({huge});
    QStyleOptionViewItem option;
    option.initFrom(Form1->ListBox1);
    option.font = Form1->ListBox1->font();
    option.textElideMode = Form1->ListBox1->textElideMode();
    const QModelIndex row = list->index(0);
    const int width = Form1->ListBox1->itemDelegate()->sizeHint(option, row).width();
    const int widest = QFontMetrics(option.font).horizontalAdvance(u'ж');
    EXPECT_LE(width, (kMaxDrawnEntryChars + 16) * widest);
    EXPECT_GT(width, kMaxDrawnEntryChars / 2 * widest);
    Form1->ListBox1->viewport()->repaint();
    EXPECT_EQ(list->at(0), huge);  // the entry itself stays whole

    // Selecting it shows a bounded part of its name, and the status line
    // never makes the window wider.
    const int minimumWidth = Form1->minimumSizeHint().width();
    list->setSelectedIndex(0);
    Form1->ListBox1Click();
    EXPECT_EQ(Form1->statusText(), huge.mid(1, kMaxDrawnEntryChars));
    EXPECT_EQ(Form1->minimumSizeHint().width(), minimumWidth);
}
