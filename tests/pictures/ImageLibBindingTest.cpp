// The real picture libraries behind the binding: where they are looked for,
// what is said when they are missing, and a folder of real pictures through
// the grid and the viewer.
#include "TestSupport.h"
#include "pictures/ImageLibBinding.h"
#include "pictures/TImageLibThumbnails.h"
#include "pictures/TPMultiImage.h"
#include "pictures/ThumbnailMaker.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
const QString kBuilt = QStringLiteral(KALEIDOR_TEST_IMAGELIB_DIR);
const QString kCrde = QStringLiteral("libcrde2001.so");
const QString kIsp = QStringLiteral("libisp2000.so");

QString missing(const QString& name)
{
    return QStringLiteral("Can't load ") + name + QStringLiteral(". Make sure its located in the application's searchpath.");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Runs ImageMagick's convert with the arguments; the test fails when it fails.
void magick(const QStringList& args)
{
    QProcess convert;
    convert.start(QStringLiteral("convert"), args);
    ASSERT_TRUE(convert.waitForFinished(60000)) << args.join(' ').toStdString();
    ASSERT_EQ(convert.exitCode(), 0) << convert.readAllStandardError().toStdString();
}
}  // namespace

TEST(ImageLibSearch, ProgramFolderThenInstallFolderThenWithoutExtension)
{
    QTemporaryDir program, install;
    const LibrarySearch search{program.path(), install.path()};
    {
        ImageLibBinding none(search);
        try {
            none.loadReadingLibrary();
            FAIL() << "loaded from " << none.readingLibrary().loadedFrom().toStdString();
        } catch (const EImageLibUnavailable& e) {
            EXPECT_EQ(e.message(), missing(kCrde));
        }
        EXPECT_THROW(none.fileInfo(QStringLiteral("/nowhere.jpg")), EImageLibUnavailable);
    }
    QFile::copy(kBuilt + "/" + kCrde, install.path() + "/libcrde2001");
    {
        ImageLibBinding bare(search);
        bare.loadReadingLibrary();
        EXPECT_EQ(bare.readingLibrary().loadedFrom(), install.path() + "/libcrde2001");
    }
    QFile::copy(kBuilt + "/" + kCrde, install.path() + "/" + kCrde);
    {
        ImageLibBinding installed(search);
        installed.loadReadingLibrary();
        EXPECT_EQ(installed.readingLibrary().loadedFrom(), install.path() + "/" + kCrde);
    }
    QFile::copy(kBuilt + "/" + kCrde, program.path() + "/" + kCrde);
    ImageLibBinding first(search);
    first.loadReadingLibrary();
    EXPECT_EQ(first.readingLibrary().loadedFrom(), program.path() + "/" + kCrde);

    // The scaling library is missing from both: its calls raise its own message.
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    try {
        first.scale(DibBlock::allocate(4, 4, 24), 2, 2);
        FAIL() << "scaled without the library";
    } catch (const EImageLibUnavailable& e) {
        EXPECT_EQ(e.message(), missing(kIsp));
    }
}

// An installed tree (program in bin/, the libraries in the library folder
// beside it) finds its libraries wherever it was installed, also after it is
// moved; a library beside the program, as in a build folder, comes first.
TEST(ImageLibSearch, AnInstalledTreeFindsItsLibrariesUnderAnyPrefixAndAfterAMove)
{
    QTemporaryDir root;
    const QString tree = root.path() + "/prefix";
    const QString bin = tree + "/bin";
    const QString libraries = LibrarySearch{bin, QString()}.installedTreeDir();
    ASSERT_TRUE(libraries.startsWith(tree + "/")) << libraries.toStdString();
    ASSERT_TRUE(libraries.endsWith("/kaleidor")) << libraries.toStdString();
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QDir().mkpath(libraries));
    for (const QString& name : {kCrde, kIsp})
        ASSERT_TRUE(QFile::copy(kBuilt + "/" + name, libraries + "/" + name));
    // A configured install folder elsewhere that lacks them does not matter.
    const LibrarySearch installed{bin, root.path() + "/configured"};
    {
        ImageLibBinding binding(installed);
        binding.loadReadingLibrary();
        EXPECT_EQ(binding.readingLibrary().loadedFrom(), libraries + "/" + kCrde);
        EXPECT_TRUE(binding.scale(DibBlock::allocate(4, 4, 24), 2, 2));
        EXPECT_EQ(binding.scalingLibrary().loadedFrom(), libraries + "/" + kIsp);
    }

    const QString moved = root.path() + "/elsewhere";
    ASSERT_TRUE(QDir().rename(tree, moved));
    {
        ImageLibBinding binding(LibrarySearch{moved + "/bin", QString()});
        binding.loadReadingLibrary();
        EXPECT_EQ(binding.readingLibrary().loadedFrom(), moved + libraries.mid(tree.size()) + "/" + kCrde);
    }

    ASSERT_TRUE(QFile::copy(kBuilt + "/" + kCrde, moved + "/bin/" + kCrde));
    ImageLibBinding beside(LibrarySearch{moved + "/bin", QString()});
    beside.loadReadingLibrary();
    EXPECT_EQ(beside.readingLibrary().loadedFrom(), moved + "/bin/" + kCrde);
}

TEST(ImageLibSearch, ShortFilesFailBeforeTheCallAndAFailedJpegUnloads)
{
    QTemporaryDir dir;
    ImageLibBinding library({kBuilt, QString()});
    const QString shortFile = dir.path() + "/short.jpg";
    writeFile(shortFile, QByteArray(29, 'x'));
    const FileInfo info = library.fileInfo(shortFile);
    EXPECT_FALSE(info.succeeded());
    EXPECT_EQ(info.errorText, ImageLibBinding::kUnknownError);
    EXPECT_FALSE(library.readFile(ImageReader::Png, shortFile, {}).succeeded());

    const QString junk = dir.path() + "/junk.jpg";
    writeFile(junk, QByteArray(200, 'j'));
    const FileInfo junkInfo = library.fileInfo(junk);
    EXPECT_LE(junkInfo.code, 0);
    EXPECT_FALSE(junkInfo.errorText.isEmpty());
    EXPECT_FALSE(library.readingLibrary().loadedFrom().isEmpty());
    const ReadResult read = library.readFile(ImageReader::Jpeg, junk, {});
    EXPECT_FALSE(read.succeeded());
    EXPECT_TRUE(library.readingLibrary().loadedFrom().isEmpty());
    // The next call loads it again.
    library.fileInfo(junk);
    EXPECT_FALSE(library.readingLibrary().loadedFrom().isEmpty());
}

TEST(ImageLibPictures, AFolderOfEveryFormatFillsTheGridAndPreviews)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    magick({"-size", "64x48", "plasma:red-blue", d + "photo.jpg"});
    magick({"-size", "48x64", "gradient:white-green", d + "tall.png"});
    magick({"-size", "30x30", "pattern:checkerboard", "-colors", "4", d + "four.gif"});
    magick({"-size", "40x30", "pattern:gray50", "-monochrome", "-type", "bilevel", d + "line.bmp"});
    magick({"-size", "32x32", "xc:red", "xc:green", "xc:blue", d + "pages.tif"});
    magick({"-size", "40x30", "gradient:yellow-navy", d + "flat.tga"});
    magick({"-size", "40x30", "gradient:orange-purple", d + "paint.pcx"});
    magick({"-size", "192x128", "gradient:cyan-brown", d + "disc.pcd"});
    // Bad files: nothing shows for them and nothing goes wrong.
    writeFile(d + "empty.jpg", {});
    writeFile(d + "text.gif", QByteArray(300, 't'));
    QFile::copy(d + "photo.jpg", d + "cut.jpg");
    QFile cut(d + "cut.jpg");
    cut.resize(cut.size() / 3);
    QByteArray huge("BM");
    huge += QByteArray(12, '\0');
    huge += QByteArray::fromHex("28000000ff7f0000ff7f00000100180000000000");
    huge += QByteArray(40, '\0');
    writeFile(d + "huge.bmp", huge);
    ASSERT_TRUE(QDir(d).mkdir("folder.png"));

    auto library = std::make_shared<ImageLibBinding>(LibrarySearch{kBuilt, QString()});
    TImageLibThumbnails grid(library);
    grid.setThumbnailHeight(100);
    grid.resize(458, 462);
    grid.LoadFromFolder(d);
    ASSERT_TRUE(waitFor([&] { return !grid.isScanning(); }, 60000));
    QStringList items;
    for (int i = 0; i < grid.itemCount(); ++i)
        items << QFileInfo(grid.itemFilename(i)).fileName() + QLatin1Char('#') + QString::number(grid.itemPage(i));
    EXPECT_EQ(items, QStringList({"photo.jpg#0", "tall.png#0", "pages.tif#0", "pages.tif#1", "pages.tif#2",
                                  "four.gif#0", "flat.tga#0", "disc.pcd#0", "paint.pcx#0", "line.bmp#0"}));
    EXPECT_EQ(grid.count(), 10);
    // The tall picture is 75 wide, 12 pixels in from the left of its white thumbnail.
    const QImage tall = grid.itemThumbnail(1);
    EXPECT_EQ(tall.pixel(11, 50), qRgb(255, 255, 255));
    EXPECT_NE(tall.pixel(13, 50), qRgb(255, 255, 255));

    TPMultiImage viewer(library);
    viewer.resize(336, 313);
    viewer.setStretchRatio(true);
    viewer.setTiffPage(1);
    viewer.setImageName(d + "pages.tif");
    ASSERT_FALSE(viewer.picture().isNull());
    EXPECT_EQ(viewer.picture().image.pixel(5, 5), qRgb(0, 128, 0));
    viewer.setImageName(d + "line.bmp");
    ASSERT_FALSE(viewer.picture().isNull());
    EXPECT_TRUE(viewer.picture().monochrome());
    viewer.setImageName(d + "cut.jpg");
    viewer.setImageName(d + "photo.jpg");
    EXPECT_EQ(viewer.picture().image.size(), QSize(64, 48));
}

TEST(ImageLibPictures, BlackAndWhitePicturesOfEveryFormatAreScaledToGrey)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    // A one-pixel checkerboard: scaled to grey it turns grey, stretched it stays black and white.
    const QStringList board = {"-size", "300x200", "pattern:gray50", "-type", "bilevel"};
    const struct {
        const char* file;
        QStringList options;
        bool grey;
    } cases[] = {
        {"line.bmp", {}, true},
        {"fax.tif", {"-compress", "Group4"}, true},
        {"plain.tif", {"-depth", "1", "-compress", "None"}, true},
        {"grey.png", {"-define", "png:color-type=0", "-define", "png:bit-depth=1"}, true},
        {"table.png", {"-define", "png:color-type=3", "-define", "png:bit-depth=1"}, true},
        {"table4.png", {"-define", "png:color-type=3", "-define", "png:bit-depth=4"}, false},
    };
    ImageLibBinding library({kBuilt, QString()});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = d + QString::fromLatin1(c.file);
        magick(board + c.options + QStringList{path});
        const ThumbFile file = readThumbnails(library, path, ThumbnailRecipe{});
        ASSERT_EQ(file.pages.size(), 1u);
        // The picture fills the 100-pixel width (67 high); sample well inside it.
        const QRgb middle = file.pages[0].thumbnail.pixel(50, 34);
        const bool grey = qGray(middle) > 40 && qGray(middle) < 215;
        EXPECT_EQ(grey, c.grey) << qGray(middle);
    }
}
