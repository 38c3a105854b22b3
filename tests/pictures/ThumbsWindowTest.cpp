// The thumbnails viewer window built alone with a picture library in memory.
#include "FakeImageLibrary.h"
#include "TestSupport.h"
#include "pictures/TImageLibThumbnails.h"
#include "pictures/TPMultiImage.h"
#include "pictures/TThumbFromFileForm.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {
class ThumbsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = dir.path() + QLatin1Char('/');
        library->addFile(folder + "One.jpg", FakeImageLibrary::colour(40, 30));
        library->addFile(folder + "two.png", FakeImageLibrary::colour(30, 40, Qt::blue, QStringLiteral("PNG")));
        form = std::make_unique<TThumbFromFileForm>(library);
        form->ImageLibThumbnails1->folderDialog = [this](QWidget*, const QString& title, const QString&) {
            dialogTitle = title;
            return chosen;
        };
    }
    void choose(const QString& folderPath)
    {
        chosen = folderPath;
        form->BrowseDirectoryBtn->click();
        ASSERT_TRUE(waitFor([&] { return !grid()->isScanning(); }, 20000));
    }
    TImageLibThumbnails* grid() const { return form->ImageLibThumbnails1; }

    TempConfigHome home;
    QTemporaryDir dir;
    QString folder, chosen, dialogTitle;
    std::shared_ptr<FakeImageLibrary> library = std::make_shared<FakeImageLibrary>();
    std::unique_ptr<TThumbFromFileForm> form;
};
}  // namespace

TEST_F(ThumbsWindow, ChoosingAFolderFillsTheGridAndAClickPreviews)
{
    EXPECT_EQ(form->caption(), QStringLiteral("Thumbs Смотрельщик"));
    EXPECT_EQ(form->clientWidth(), 796);
    EXPECT_EQ(form->clientHeight(), 464);
    choose(dir.path());  // without the trailing separator
    EXPECT_EQ(dialogTitle, QStringLiteral("Choose image folder"));
    EXPECT_EQ(form->PictureFolder, folder);
    EXPECT_EQ(grid()->itemCount(), 2);

    form->ImageLibThumbnails1ThumbClick(0, 0, 0, folder + "One.jpg", 0);
    EXPECT_EQ(form->PMultiImage2->imageName(), folder + "One.jpg");
    EXPECT_FALSE(form->PMultiImage2->picture().isNull());
    EXPECT_EQ(form->RichEdit1->toPlainText(), (folder + "One.jpg").toLower());

    // A click on a cell without a thumbnail clears the preview and leaves one empty line.
    form->ImageLibThumbnails1ThumbClick(1, 1, 3, QString(), 0);
    EXPECT_TRUE(form->PMultiImage2->picture().isNull());
    EXPECT_TRUE(form->RichEdit1->toPlainText().isEmpty());

    // A cancelled dialog leaves an empty folder and an empty grid.
    choose(QString());
    EXPECT_TRUE(form->PictureFolder.isEmpty());
    EXPECT_EQ(grid()->itemCount(), 0);
}

TEST_F(ThumbsWindow, SpaceMarksAndAddsEveryTimeEnterPreviews)
{
    QSignalSpy added(form.get(), &TThumbFromFileForm::addToPlaylist);
    choose(folder);
    grid()->makeCurrent(1, 0);
    QTest::keyClick(grid(), Qt::Key_Space);
    EXPECT_TRUE(grid()->Checked(1));
    QTest::keyClick(grid(), Qt::Key_Space);
    EXPECT_FALSE(grid()->Checked(1));
    ASSERT_EQ(added.count(), 2);
    EXPECT_EQ(added.at(0).at(0).toString(), folder + "two.png");
    EXPECT_EQ(added.at(1).at(0).toString(), folder + "two.png");

    QTest::keyClick(grid(), Qt::Key_Return);
    EXPECT_EQ(form->PMultiImage2->imageName(), folder + "two.png");
    EXPECT_TRUE(form->RichEdit1->toPlainText().isEmpty());

    // Space on a cell without an item does nothing.
    grid()->makeCurrent(3, 0);
    ASSERT_EQ(grid()->currentSelected(), 3);
    QTest::keyClick(grid(), Qt::Key_Space);
    EXPECT_EQ(added.count(), 2);

    // Reloading drops the marks.
    grid()->setChecked(0, true);
    form->LoadallImagesBtn->click();
    ASSERT_TRUE(waitFor([&] { return !grid()->isScanning(); }, 20000));
    EXPECT_EQ(grid()->itemCount(), 2);
    EXPECT_FALSE(grid()->Checked(0));
}

TEST_F(ThumbsWindow, ReloadBeforeAnyFolderLeavesTheGridEmptyAndCloseHides)
{
    form->show();
    form->LoadallImagesBtn->click();
    EXPECT_EQ(grid()->itemCount(), 0);
    form->BitBtn1->click();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(ThumbsWindow, MissingReadingLibraryIsReportedAndTheWindowStays)
{
    library->readingAvailable = false;
    {
        // At creation the failure reaches the caller, who shows it once.
        EXPECT_THROW(form->FormCreate(), EImageLibUnavailable);
    }
    ModalWatcher boxes;
    chosen = folder;
    form->BrowseDirectoryBtn->click();
    ASSERT_EQ(boxes.seen().size(), 1);
    EXPECT_EQ(boxes.seen().first().text, FakeImageLibrary::missing("libcrde2001.so"));
    EXPECT_EQ(grid()->itemCount(), 0);
}
