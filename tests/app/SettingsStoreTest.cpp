// Start-up and shutdown with the settings store: first start, second start,
// partial and damaged stores, mistyped values, places off every screen, and
// a failed write of the start count or at close.
#include "TestSupport.h"
#include "app/Application.h"
#include "app/Playlist.h"
#include "app/SettingsStore.h"
#include "app/ShellState.h"
#include "app/TForm1.h"
#include "app/TForm4.h"
#include "media/TForm2.h"
#include "media/TForm3.h"
#include "platform/TRegistry.h"
#include "platform/UserRegistry.h"
#include "styled/TdxfCheckBox.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

struct Startup : ::testing::Test {
    TempConfigHome home;
    std::optional<ModalWatcher> watcher;
    std::optional<Application> shell;

    QString storeFile() const { return UserRegistry::defaultPath(); }
    QByteArray storeText() const
    {
        QFile f(storeFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeStore(const QByteArray& text) const
    {
        QDir().mkpath(QFileInfo(storeFile()).absolutePath());
        QFile f(storeFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    // readAhead: the main window's reading is made on a worker thread
    // before the windows are created, as a start without files has it.
    void start(bool readAhead = false)
    {
        watcher.emplace();
        shell.emplace(makeMediaBackend,
                      readAhead ? MainWindowReading::readAhead() : std::future<MainWindowReading>());
        shell->createWindows();
    }
    void stop()
    {
        shell.reset();
        watcher.reset();
    }
    void TearDown() override
    {
        if (Form1)
            stop();
    }
    QStringList seenTexts() const
    {
        QStringList texts;
        for (const SeenBox& b : watcher->seen())
            texts << b.text;
        return texts;
    }
};

const QByteArray kHeader = "; per-user registry\n[HKEY_CURRENT_USER\\Qx\\настройки]\n";

}  // namespace

TEST_F(Startup, FirstStartShowsTheDesignAndGreetsOnce)
{
    start();
    EXPECT_EQ(Form1->geometry(), QRect(211, 292, 480, 267));
    const FontSpec font = Form1->listFont();
    EXPECT_EQ(font.name, QStringLiteral("Courier New"));
    EXPECT_EQ(font.size(), 10);
    EXPECT_EQ(font.style, fsBold | fsItalic);
    EXPECT_EQ(font.charset, 204);
    EXPECT_EQ(Form1->listColor(), clSilver);
    EXPECT_EQ(Form1->playlist()->count(), 0);
    EXPECT_EQ(Form1->Edit1->text(), QStringLiteral("1"));
    EXPECT_EQ(shell->state().SlideDelay, 1);
    EXPECT_EQ(shell->state().StartCount, 0);
    ASSERT_EQ(watcher->seen().size(), 1);
    EXPECT_EQ(watcher->seen()[0].caption, QStringLiteral("Information"));
    EXPECT_EQ(watcher->seen()[0].text, QStringLiteral("Программа запущена первый раз.\nПрочтите помощь-справка"));
    // Until the main window closes the store holds the counter only.
    const QByteArray text = storeText();
    EXPECT_TRUE(text.contains("\"N\"=dword:00000001")) << text.constData();
    EXPECT_FALSE(text.contains("mesto"));
    EXPECT_FALSE(text.contains("Fon"));
}

TEST_F(Startup, CloseWritesEverythingAndTheNextStartRestoresIt)
{
    start();
    Form1->playlist()->setEntries({"/home/u/a.jpg", "", "/home/u/песня.mp3"});
    FontSpec font = fontSpec(QStringLiteral("DejaVu Sans"), -16, fsUnderline, clMaroon, 0);
    Form1->setListFont(font);
    Form1->setListColor(clTan);
    Form1->setBounds(-4, 100, 500, 300);  // negative but on the screen
    Form2->move(10, 20);
    Form1->Edit1->setText(QStringLiteral("5"));
    Form4->CB3->setChecked(false);
    Form1->close();
    ASSERT_FALSE(Form1->isVisible());
    stop();
    const QByteArray text = storeText();
    const QList<QByteArray> order = {"Fon", "F1_h", "F1_w", "Playlist", "Lit_p", "L_P", "IC_S", "K_R",
                                     "Font Name", "Color", "CharSet", "Size", "Style", "Z", "f1_l", "f1_t",
                                     "f2_l", "f2_t", "f3_l", "f3_t", "f4_l", "f4_t", "f8_l", "f8_t",
                                     "Thumb_l", "Thumb_t"};
    qsizetype at = 0;
    for (const QByteArray& name : order) {
        const qsizetype next = text.indexOf("\"" + name + "\"=");
        EXPECT_GT(next, at) << name.constData();
        at = next;
    }
    EXPECT_TRUE(text.contains("\"N\"=dword:00000001"));

    start(true);
    EXPECT_TRUE(watcher->seen().isEmpty());
    EXPECT_EQ(shell->state().StartCount, 1);
    EXPECT_EQ(Form1->playlist()->entries(), (QStringList{"/home/u/a.jpg", "", "/home/u/песня.mp3"}));
    EXPECT_EQ(Form1->geometry(), QRect(-4, 100, 500, 300));
    EXPECT_EQ(Form2->pos(), QPoint(10, 20));
    font.setSize(font.size());
    EXPECT_EQ(Form1->listFont(), font);
    EXPECT_EQ(Form1->listColor(), clTan);
    EXPECT_EQ(shell->state().SlideDelay, 5);
    EXPECT_FALSE(Form4->CB3->checked());
    EXPECT_TRUE(storeText().contains("\"N\"=dword:00000002"));
}

TEST_F(Startup, AStoreWithTheCounterOnlyKeepsTheDesignQuietly)
{
    writeStore(kHeader + "\"N\"=dword:00000001\n");
    start();
    EXPECT_TRUE(watcher->seen().isEmpty());
    EXPECT_EQ(Form1->geometry(), QRect(211, 292, 480, 267));
    EXPECT_EQ(shell->state().SlideDelay, 1);
    EXPECT_EQ(shell->state().StartCount, 1);
    EXPECT_TRUE(storeText().contains("\"N\"=dword:00000002"));
}

TEST_F(Startup, MistypedValuesKeepTheirDesignAndAreReportedOnce)
{
    writeStore(kHeader +
               "\"Fon\"=\"red\"\n\"F1_w\"=dword:000001f4\n\"Style\"=\"x\"\n\"Z\"=\"Введите другое значение\"\n"
               "\"N\"=\"seven\"\n"
               "[HKEY_CURRENT_USER\\Qx\\настройки\\mesto]\n\"f3_l\"=dword:00000028\n\"f3_t\"=dword:00000032\n");
    start(true);
    // A text longer than four bytes is "no data" to an integer read.
    EXPECT_EQ(seenTexts(), (QStringList{"Invalid data type for 'Fon'", "Failed to get data for 'N'"}));
    EXPECT_EQ(Form1->listColor(), clSilver);
    EXPECT_EQ(Form1->outerWidth(), 500);  // later values are still read
    EXPECT_EQ(Form1->listFont().style, fsBold | fsItalic);
    EXPECT_EQ(Form1->Edit1->text(), QStringLiteral("Введите другое значение"));
    EXPECT_EQ(shell->state().SlideDelay, 1);
    EXPECT_EQ(Form3->pos(), QPoint(40, 50));  // places are restored although the start was not counted
    EXPECT_TRUE(storeText().contains("\"N\"=\"seven\""));
}

TEST_F(Startup, APlaceOffEveryScreenFallsBackToTheDesignPlace)
{
    writeStore(kHeader + "\"N\"=dword:00000003\n[HKEY_CURRENT_USER\\Qx\\настройки\\mesto]\n"
                         "\"f1_l\"=dword:00007530\n\"f1_t\"=dword:00000000\n"
                         "\"f2_l\"=dword:ffffff00\n\"f2_t\"=dword:ffffff00\n");
    start();
    EXPECT_EQ(Form1->pos(), QPoint(211, 292));
    EXPECT_EQ(Form2->pos(), QPoint(160, 549));
    EXPECT_EQ(shell->state().StartCount, 3);
}

TEST_F(Startup, TheCounterStopsAtItsLargestValue)
{
    writeStore(kHeader + "\"N\"=dword:7fffffff\n");
    start();
    EXPECT_EQ(shell->state().StartCount, 2147483647);
    EXPECT_TRUE(storeText().contains("\"N\"=dword:7fffffff"));
}

TEST_F(Startup, ADamagedStoreIsKeptAsideAndTheStartIsAFirstStart)
{
    writeStore("this is not a store\n[[[\n");
    start(true);
    const QStringList aside = QDir(QFileInfo(storeFile()).absolutePath())
                                  .entryList({QStringLiteral("user.reg.damaged-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    ASSERT_EQ(watcher->seen().size(), 2);
    EXPECT_EQ(watcher->seen()[0].caption, QStringLiteral("Information"));
    EXPECT_TRUE(watcher->seen()[0].text.contains(aside[0]));
    EXPECT_TRUE(watcher->seen()[1].text.startsWith(QStringLiteral("Программа запущена первый раз.")));
}

TEST_F(Startup, AFailedWriteAtCloseKeepsTheOldFileAndTheWindowOpen)
{
    start();
    Form1->playlist()->setEntries(QStringList(2000, QStringLiteral("/a/long/enough/path/to/a/picture.jpg")));
    const QByteArray before = storeText();
    {
        FileSizeLimit full(4096);
        Form1->close();
    }
    EXPECT_TRUE(Form1->isVisible());
    ASSERT_FALSE(watcher->seen().isEmpty());
    EXPECT_EQ(watcher->seen().last().text, QStringLiteral("Failed to set data for 'Fon'"));
    EXPECT_EQ(storeText(), before);
}

// The start count is written while the windows come up; its failure is still
// reported, and nothing else of the start is lost by it.
TEST_F(Startup, AStartCountThatCannotBeWrittenIsReportedAndTheStartGoesOn)
{
    writeStore(kHeader + "\"Z\"=\"" + QByteArray(8000, '7') + "\"\n\"N\"=dword:00000004\n"
               "[HKEY_CURRENT_USER\\Qx\\настройки\\mesto]\n\"f3_l\"=dword:00000028\n\"f3_t\"=dword:00000032\n");
    const QByteArray before = storeText();
    {
        FileSizeLimit full(4096);
        start();
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return !watcher->seen().isEmpty(); }));
    EXPECT_EQ(seenTexts(), QStringList{QStringLiteral("Failed to set data for 'N'")});
    EXPECT_EQ(shell->state().StartCount, 4);
    EXPECT_EQ(Form3->pos(), QPoint(40, 50));
    EXPECT_EQ(Form1->Edit1->text(), QString(8000, u'7'));
    EXPECT_EQ(storeText(), before);
}

TEST_F(Startup, StoredNumbersAtTheEndsOfTheRangeGiveTheDesignPlaceAndSize)
{
    writeStore(kHeader + "\"F1_w\"=dword:00000000\n\"F1_h\"=dword:ffffffff\n\"N\"=dword:00000003\n"
                         "[HKEY_CURRENT_USER\\Qx\\настройки\\mesto]\n"
                         "\"f1_l\"=dword:7fffffff\n\"f1_t\"=dword:7fffffff\n"
                         "\"f3_l\"=dword:80000000\n\"f3_t\"=dword:7fffffff\n");
    start();
    EXPECT_EQ(Form1->geometry(), QRect(211, 292, 480, 267));
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_EQ(Form3->pos(), QPoint(277, 0));
}

// A large playlist the user did not change is left as the store holds it,
// line ends and all; a changed one is written as the program writes it.
TEST_F(Startup, ALargePlaylistIsWrittenAtCloseOnlyWhenItChanged)
{
    QByteArray value;
    QStringList entries;
    while (value.size() <= 2 * UserRegistry::kRememberedValueBytes) {
        entries << QStringLiteral("/музыка/%1.mp3").arg(entries.size());
        value += entries.last().toUtf8() + "\\n";
    }
    writeStore(kHeader + "\"Playlist\"=\"" + value + "\"\n\"N\"=dword:00000003\n");
    start(true);
    EXPECT_EQ(Form1->playlist()->entries(), entries);
    Form1->close();
    stop();
    EXPECT_TRUE(storeText().contains("\"Playlist\"=\"" + value + "\"\n"));
    EXPECT_TRUE(storeText().contains("\"f8_l\"="));  // the rest was written

    start();
    Form1->playlist()->append(QStringLiteral("/новая.mp3"));
    Form1->close();
    stop();
    EXPECT_FALSE(storeText().contains(value));
    start();
    EXPECT_EQ(Form1->playlist()->entries(), entries + QStringList{QStringLiteral("/новая.mp3")});
}

// Counting the start changes the counter's digits in the store as it stands:
// a large playlist is neither rewritten nor read again for it.
TEST_F(Startup, TheStartIsCountedWithoutRewritingTheStore)
{
    QByteArray value;
    while (value.size() <= 2 * UserRegistry::kRememberedValueBytes)
        value += "/музыка/" + QByteArray::number(value.size()) + ".mp3\\r\\n";
    const QByteArray before = kHeader + "\"Playlist\"=\"" + value + "\"\n\"N\"=dword:00000003\n";
    writeStore(before);
    struct stat was {};
    ASSERT_EQ(::stat(QFile::encodeName(storeFile()).constData(), &was), 0);
    start(true);
    EXPECT_EQ(shell->state().StartCount, 3);
    EXPECT_EQ(storeText(), QByteArray(before).replace("dword:00000003", "dword:00000004"));
    struct stat now {};
    ASSERT_EQ(::stat(QFile::encodeName(storeFile()).constData(), &now), 0);
    EXPECT_EQ(now.st_ino, was.st_ino);
}

// A user who does not want the last playlist back gets an empty list, read
// ahead or not, and the close stores it empty.
TEST_F(Startup, APlaylistIsNotLoadedWhenTheUserSaidSo)
{
    for (const bool readAhead : {false, true}) {
        SCOPED_TRACE(readAhead ? "read ahead" : "read with the window");
        writeStore(kHeader + "\"Playlist\"=\"/a.jpg\\r\\n/b.mp3\\r\\n\"\n\"L_P\"=dword:00000000\n"
                   "\"N\"=dword:00000003\n");
        start(readAhead);
        EXPECT_EQ(Form1->playlist()->count(), 0);
        EXPECT_FALSE(Form4->CB1->checked());
        Form1->close();
        stop();
        EXPECT_TRUE(storeText().contains("\"Playlist\"=\"\"\n"));
    }
}

namespace {

// The store as a value, without windows: what save writes, load and
// loadPlaces give back, in the store's own file.
struct StoreValue : ::testing::Test {
    QTemporaryDir dir;
    QString file() const { return dir.filePath(QStringLiteral("user.reg")); }
};

Settings unusualSettings()
{
    Settings s;
    s.listColor = clTan;
    s.width = 500;
    s.height = 300;
    s.playlist = QStringLiteral("/a.jpg\r\n\r\n/песня.mp3\r\n").toUtf8();
    s.options = {.shrinkPictures = false, .loadLastPlaylist = true, .trayIcon = false, .wheelResize = true};
    s.listFont = fontSpec(QStringLiteral("DejaVu Sans"), -16, fsUnderline | fsStrikeOut, clMaroon, 0);
    s.listFont.setSize(s.listFont.size());
    s.delayText = QStringLiteral("Введите другое значение");
    s.main = {-4, 100};
    s.music = {10, 20};
    s.screen = {-300, -200};
    s.settingsDialog = {1, 2};
    s.video = {3, 4};
    s.thumbnails = {5, 6};
    return s;
}

}  // namespace

TEST_F(StoreValue, WhatIsSavedLoadsBackWhole)
{
    const Settings saved = unusualSettings();
    {
        TRegistry reg(file());
        SettingsStore::save(reg, saved);
    }
    SettingsStore::ReadFailure failure;
    TRegistry reg(file());
    Settings loaded = SettingsStore::load(reg, failure);
    SettingsStore::loadPlaces(reg, loaded, failure);
    EXPECT_EQ(loaded, saved);
    EXPECT_TRUE(failure.message.isEmpty());
}

// The main window takes its width before its height although the store
// holds the height first: with both mistyped, the width is reported.
TEST_F(StoreValue, ValuesAreReadInTheMainWindowsOrder)
{
    {
        TRegistry reg(file());
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true));
        reg.WriteString(QStringLiteral("F1_h"), QStringLiteral("h"));
        reg.WriteString(QStringLiteral("F1_w"), QStringLiteral("w"));
        reg.CloseKey();
    }
    SettingsStore::ReadFailure failure;
    TRegistry reg(file());
    EXPECT_EQ(SettingsStore::load(reg, failure), Settings());
    EXPECT_EQ(failure.message, QStringLiteral("Invalid data type for 'F1_w'"));
}

// Copies of the program started at the same moment each count their start:
// the counter is read and written back under the store's lock.
TEST_F(StoreValue, StartsCountedAtTheSameMomentAreAllCounted)
{
    constexpr int copies = 4, starts = 15;
    std::vector<std::vector<int>> seen(copies);
    std::vector<std::thread> threads;
    for (int c = 0; c < copies; ++c)
        threads.emplace_back([&, c] {
            for (int i = 0; i < starts; ++i) {
                SettingsStore::ReadFailure failure;
                TRegistry reg(file());
                seen[c].push_back(SettingsStore::countStart(reg, failure).before);
            }
        });
    for (std::thread& t : threads)
        t.join();
    std::vector<int> all;
    for (const auto& counts : seen)
        all.insert(all.end(), counts.begin(), counts.end());
    std::sort(all.begin(), all.end());
    std::vector<int> expected(copies * starts);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(all, expected);
}

TEST_F(StoreValue, AnEmptyStoreLoadsTheDesignAndCountsAFirstStart)
{
    SettingsStore::ReadFailure failure;
    TRegistry reg(file());
    EXPECT_EQ(SettingsStore::load(reg, failure), Settings());
    const SettingsStore::StartCount count = SettingsStore::countStart(reg, failure);
    EXPECT_EQ(count.before, 0);
    EXPECT_TRUE(count.first);
    TRegistry next(file());
    EXPECT_EQ(SettingsStore::countStart(next, failure).before, 1);
    EXPECT_TRUE(failure.message.isEmpty());
}
