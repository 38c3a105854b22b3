// The desktop entry offers the program for every file kind the launcher
// plays, so "Open with" lists it, and passes the files on the command line.
#include "app/MediaLauncher.h"

#include <QFile>
#include <QMimeDatabase>

#include <gtest/gtest.h>

namespace {

QStringList desktopEntryValue(const QString& key)
{
    QFile file(QStringLiteral(KALEIDOR_SOURCE_DIR "/assets/kaleidor.desktop"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(key.toUtf8() + '='))
            return QString::fromUtf8(line.mid(key.size() + 1)).split(u';', Qt::SkipEmptyParts);
    return {};
}

}  // namespace

TEST(DesktopEntry, OffersEveryKindTheLauncherPlays)
{
    const QStringList offered = desktopEntryValue(QStringLiteral("MimeType"));
    const QMimeDatabase types;
    // ".rmi" and ".dat" have no type of their own in the desktop's type
    // database, so no entry can offer them.
    for (const char* extension : {".dib", ".jpg", ".jpeg", ".gif", ".bmp", ".ico", ".emf", ".wmf", ".wav", ".ogg",
                                  ".mid", ".ac3", ".mp3", ".avi", ".mpeg", ".mpg", ".asf", ".wmv", ".divx"}) {
        const QString name = QStringLiteral("file") + QLatin1String(extension);
        ASSERT_NE(mediaKindOf(name), MediaKind::None) << extension;
        const QMimeType type = types.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        QStringList names = type.aliases();
        names.append(type.name());
        bool listed = false;
        for (const QString& n : names)
            listed = listed || offered.contains(n);
        EXPECT_TRUE(listed) << extension << " is " << type.name().toStdString();
    }
}

TEST(DesktopEntry, PassesTheChosenFiles)
{
    EXPECT_EQ(desktopEntryValue(QStringLiteral("Exec")), QStringList{QStringLiteral("kaleidor %F")});
}
