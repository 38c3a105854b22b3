// The desktop entry offers the program for every file kind the launcher
// plays and every playlist kind it reads, so "Open with" lists it, and
// passes the files on the command line.
#include "app/MediaLauncher.h"

#include <QFile>
#include <QMimeDatabase>
#include <QXmlStreamReader>

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

bool offers(const QStringList& offered, const QMimeType& type)
{
    QStringList names = type.aliases();
    names.append(type.name());
    for (const QString& n : names)
        if (offered.contains(n))
            return true;
    return false;
}

// The type the program's own type package gives files matching pattern.
QString ownTypeFor(const QString& pattern)
{
    QFile file(QStringLiteral(KALEIDOR_SOURCE_DIR "/assets/kaleidor-mime.xml"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString type;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"mime-type")
            type = xml.attributes().value(QLatin1String("type")).toString();
        else if (xml.name() == u"glob" && xml.attributes().value(QLatin1String("pattern")) == pattern)
            return type;
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return {};
}

}  // namespace

TEST(DesktopEntry, OffersEveryPlaylistKindItReads)
{
    const QStringList offered = desktopEntryValue(QStringLiteral("MimeType"));
    const QMimeDatabase types;
    // A name may match several types (".m3u" is both a music and a stream
    // playlist); whichever the desktop picks must be offered.
    for (const char* extension : {".m3u", ".m3u8", ".pls"}) {
        const QList<QMimeType> matching = types.mimeTypesForFileName(QStringLiteral("list") + QLatin1String(extension));
        ASSERT_FALSE(matching.isEmpty()) << extension;
        for (const QMimeType& type : matching)
            EXPECT_TRUE(offers(offered, type)) << extension << " is " << type.name().toStdString();
    }
    // The program's own playlists have a type of its own, installed with it.
    const QString own = ownTypeFor(QStringLiteral("*.qx"));
    ASSERT_FALSE(own.isEmpty());
    EXPECT_TRUE(offered.contains(own)) << own.toStdString();
}

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
        EXPECT_TRUE(offers(offered, type)) << extension << " is " << type.name().toStdString();
    }
}

TEST(DesktopEntry, PassesTheChosenFiles)
{
    EXPECT_EQ(desktopEntryValue(QStringLiteral("Exec")), QStringList{QStringLiteral("kaleidor %F")});
}
