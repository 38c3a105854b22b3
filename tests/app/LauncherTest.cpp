// The media launcher: the kind table, the picture action and its window
// states, the shrink rule and the pictures it refuses.
#include "LauncherFixture.h"
#include "app/MediaLauncher.h"
#include "app/Playlist.h"
#include "media/TForm2.h"
#include "media/TForm3.h"
#include "media/TForm8.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>

#include <sys/stat.h>

TEST(MediaKindTable, ExactCaseSensitiveExtensions)
{
    const struct {
        const char* file;
        MediaKind kind;
    } cases[] = {
        {"/p/photo.JPG", MediaKind::Picture}, {"/p/photo.Jpg", MediaKind::None},
        {"/p/photo.jpeg", MediaKind::Picture}, {"/p/icon.ico", MediaKind::Picture},
        {"/p/icon.ICO", MediaKind::None},     {"/p/a.wmf", MediaKind::Picture},
        {"/p/song.rmi", MediaKind::Music},    {"/p/song.MID", MediaKind::None},
        {"/p/song.WAV", MediaKind::Music},    {"/p/clip.MPG", MediaKind::Video},
        {"/p/clip.mpg", MediaKind::Video},    {"/p/clip.WMV", MediaKind::None},
        {"/p/clip.divx", MediaKind::Video},   {"/a.b/file", MediaKind::None},
        {"/p/noextension", MediaKind::None},  {"/p/archive.tar.gz", MediaKind::None},
        {"/p/trailing.", MediaKind::None},    {"", MediaKind::None},
        {"/p/two.jpg.mp3", MediaKind::Music},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mediaKindOf(QString::fromUtf8(c.file)), c.kind) << c.file;
    EXPECT_EQ(mediaExtension(QStringLiteral("/a.b/file")), QString());
    EXPECT_EQ(mediaExtension(QStringLiteral("/a/b.JPEG")), QStringLiteral(".JPEG"));
}

TEST(PictureFitting, ShrinkHalvesPicturesOver650By450)
{
    const struct {
        QSize picture;
        bool shrink;
        QSize outer;
        bool halved;
    } cases[] = {
        {{800, 600}, true, {400, 300}, true},  {{651, 450}, true, {326, 225}, true},
        {{653, 450}, true, {326, 225}, true},  {{650, 450}, true, {650, 450}, false},
        {{650, 451}, true, {325, 226}, true},  {{800, 600}, false, {800, 600}, false},
    };
    for (const auto& c : cases) {
        const PictureFit fit = fitPicture(c.picture, c.shrink);
        EXPECT_EQ(fit.outer, c.outer) << c.picture.width() << "x" << c.picture.height();
        EXPECT_EQ(fit.halved, c.halved);
    }
}

using PictureAction = LauncherWindows;

TEST_F(PictureAction, ShowsThePictureAtItsSizeInPictureMode)
{
    Form2->show();
    Form8->show();
    launcher()->launch(picture(QStringLiteral("small.bmp"), 320, 200, "BMP"));
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_FALSE(Form8->isVisible());
    EXPECT_EQ(Form3->caption(), QStringLiteral("Изображение"));
    EXPECT_EQ(QSize(Form3->outerWidth(), Form3->outerHeight()), QSize(320, 200));
    EXPECT_TRUE(Form3->Image1->isVisible());
    EXPECT_FALSE(Form3->Panel1->isVisible());
    EXPECT_EQ(boxes(), 0);
}

TEST_F(PictureAction, LargePicturesAreHalvedOnlyWithTheShrinkOption)
{
    const QString file = picture(QStringLiteral("big.jpg"), 800, 600, "JPEG");
    launcher()->launch(file);
    EXPECT_EQ(QSize(Form3->outerWidth(), Form3->outerHeight()), QSize(400, 300));
    EXPECT_EQ(Form3->caption(), QStringLiteral("Изображение (50% от истинных размеров)"));
    ASSERT_NE(Form3->Image1->picture(), nullptr);
    EXPECT_EQ(Form3->Image1->picture()->size(), QSize(800, 600));  // always the full size

    windows.options.shrinkPictures = false;
    launcher()->launch(file);
    EXPECT_EQ(QSize(Form3->outerWidth(), Form3->outerHeight()), QSize(800, 600));
    EXPECT_EQ(Form3->caption(), QStringLiteral("Изображение"));
}

TEST_F(PictureAction, HalvedJpegIsDecodedReducedAndAgainWhenTheWindowGrows)
{
    launcher()->launch(picture(QStringLiteral("huge.jpg"), 2400, 1600, "JPEG"));
    const PictureFile* shown = Form3->Image1->picture();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isReduced());
    EXPECT_GE(shown->image().width(), Form3->clientWidth());
    EXPECT_GE(shown->image().height(), Form3->clientHeight());
    Form3->N2Click();  // real size
    EXPECT_GE(Form3->Image1->picture()->image().width(), Form3->clientWidth());
    EXPECT_EQ(Form3->Image1->picture()->size(), QSize(2400, 1600));
}

TEST_F(PictureAction, GifAndIconDecode)
{
    const QByteArray gif = QByteArray::fromHex(
        "474946383961010001008000000000" "00ffffff21f90401000000002c00000000010001000002024401003b");
    launcher()->launch(bytes(QStringLiteral("dot.gif"), gif));
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_EQ(pictureErrors(), 0);
    launcher()->launch(picture(QStringLiteral("i.ico"), 32, 32, "ICO"));
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_EQ(pictureErrors(), 0);
}

TEST_F(PictureAction, BadPicturesGiveThePictureErrorAndHideTheWindow)
{
    QByteArray jpeg;
    {
        const QString small = picture(QStringLiteral("seed.jpg"), 64, 48, "JPEG");
        QFile file(small);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        jpeg = file.readAll();
    }
    // The frame header holds the height and then the width, big-endian.
    QByteArray huge = jpeg;
    const qsizetype sof = huge.indexOf(QByteArray::fromHex("ffc0"));
    ASSERT_GT(sof, 0);
    huge[sof + 5] = char(0x75);
    huge[sof + 6] = char(0x30);
    huge[sof + 7] = char(0x75);
    huge[sof + 8] = char(0x30);  // 30000 × 30000
    // A whole progressive JPEG whose first scan declares impossible
    // progression parameters: it opens, and breaks once its scans are read.
    QByteArray progressive;
    {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::red);
        QBuffer buffer(&progressive);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        ASSERT_TRUE(writer.write(image));
    }
    const qsizetype scan = progressive.indexOf(QByteArray::fromHex("ffda"));
    ASSERT_GT(scan, 0);
    progressive[scan + 5 + 2 * progressive[scan + 4] + 1] = 5;  // Se of a DC scan must be 0
    QDir(dir.path()).mkdir(QStringLiteral("folder.jpg"));
    // Opening a named pipe would wait for a writer for ever.
    ASSERT_EQ(::mkfifo(path(QStringLiteral("pipe.jpg")).toLocal8Bit().constData(), 0600), 0);

    const struct {
        const char* name;
        QString file;
    } cases[] = {
        {"missing", path(QStringLiteral("missing.jpg"))},
        {"zero bytes", bytes(QStringLiteral("empty.bmp"), {})},
        {"truncated", bytes(QStringLiteral("cut.jpg"), jpeg.left(40))},
        {"corrupt", bytes(QStringLiteral("noise.bmp"), QByteArray(500, '\x5a'))},
        {"music inside", bytes(QStringLiteral("song.jpg"), QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) + QByteArray(64, 0))},
        {"a folder", path(QStringLiteral("folder.jpg"))},
        {"a named pipe", path(QStringLiteral("pipe.jpg"))},
        {"30000 x 30000", bytes(QStringLiteral("giant.jpg"), huge)},
        {"scans broken", bytes(QStringLiteral("scans.jpg"), progressive)},
        {"metafile", bytes(QStringLiteral("drawing.emf"), QByteArray(200, '\x01'))},
    };
    for (const auto& c : cases) {
        Form3->show();
        const int before = pictureErrors();
        launcher()->launch(c.file);
        // Some break only once their decoding has begun.
        EXPECT_TRUE(waitFor([&] { return pictureErrors() == before + 1; })) << c.name;
        EXPECT_EQ(pictureErrors(), before + 1) << c.name;
        EXPECT_FALSE(Form3->isVisible()) << c.name;
    }
    // And the program goes on: the next good picture shows.
    launcher()->launch(picture(QStringLiteral("fine.bmp"), 100, 80, "BMP"));
    EXPECT_TRUE(Form3->isVisible());
}

TEST_F(PictureAction, EntriesWithoutAKindDoNothing)
{
    Form3->show();
    launcher()->launch(picture(QStringLiteral("mixed.Jpg"), 100, 80, "JPEG"));
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_EQ(Form3->caption(), QStringLiteral("Экран"));
    EXPECT_EQ(boxes(), 0);
}

TEST_F(PictureAction, RunningTheSelectedEntryOfAnEmptyPlaylistFails)
{
    try {
        launcher()->runSelected();
        ADD_FAILURE() << "no failure";
    } catch (const EListError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("List index out of bounds (-1)"));
    }
}

TEST_F(PictureAction, RunningSelectsTheFirstEntryWhenNoneIs)
{
    playlist()->setEntries({picture(QStringLiteral("one.bmp"), 90, 70, "BMP"), path(QStringLiteral("x.mp3"))});
    launcher()->runSelected();
    EXPECT_EQ(playlist()->selectedIndex(), 0);
    EXPECT_TRUE(Form3->isVisible());
}

TEST_F(LauncherWindows, MusicAndVideoGoThroughTheMediaWindowsWithAnyEngine)
{
    played.lengthMs = 7000;
    EXPECT_TRUE(launcher()->playMusic(QStringLiteral("/x/a.mp3")));
    ASSERT_FALSE(played.commands.isEmpty());
    EXPECT_EQ(played.commands.first(), QStringLiteral("open /x/a.mp3"));
    EXPECT_EQ(played.commands.last(), QStringLiteral("play"));
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_EQ(Form2->P1->max(), 7000);
    EXPECT_TRUE(Form2->Timer1->enabled());

    played.video = true;
    played.natural = QSize(333, 222);
    EXPECT_TRUE(launcher()->playVideo(QStringLiteral("/x/v.avi")));
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_FALSE(Form2->Timer1->enabled());
    EXPECT_TRUE(Form8->isVisible());
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_EQ(Form3->caption(), QStringLiteral("Экран"));
    EXPECT_TRUE(Form3->showsVideo());
    EXPECT_EQ(QSize(Form3->clientWidth(), Form3->clientHeight()), QSize(333, 222));
    EXPECT_EQ(QSize(windows.state.VideoNaturalWidth, windows.state.VideoNaturalHeight), QSize(333, 222));

    // A file the engine refuses: its message, and nothing left on the screen.
    played.openResult = MediaResult::NotMedia;
    EXPECT_FALSE(launcher()->playVideo(QStringLiteral("/x/bad.avi")));
    EXPECT_FALSE(Form8->isVisible());
    EXPECT_FALSE(Form3->isVisible());
    EXPECT_FALSE(Form3->showsVideo());
    EXPECT_FALSE(Form8->Timer1->enabled());
    ASSERT_EQ(boxes(), 1);
    EXPECT_EQ(watcher.seen().last().caption, QStringLiteral("Error"));
}
