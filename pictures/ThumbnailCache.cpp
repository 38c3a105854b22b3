#include "ThumbnailCache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryFile>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kNormalSide = ThumbnailCache::kNormalSide;
constexpr int kLargeSide = 2 * kNormalSide;
// Thumbnails of a failed read are kept per program and version.
const QString kFailFolder = QStringLiteral("fail/kaleidor-1.0");
// Qt maps a PNG "quality" of 80 to zlib level 1.
constexpr int kFastPng = 80;

QString mtimeOf(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? QString::number(info.lastModified().toSecsSinceEpoch()) : QString();
}

}  // namespace

ThumbnailCache::ThumbnailCache(QString root) : root_(std::move(root)) {}

QString ThumbnailCache::defaultRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/thumbnails");
}

QString ThumbnailCache::uriOf(const QString& path)
{
    return QString::fromLatin1(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded());
}

QString ThumbnailCache::keyOf(const QString& path)
{
    return QString::fromLatin1(QCryptographicHash::hash(uriOf(path).toUtf8(), QCryptographicHash::Md5).toHex())
           + QStringLiteral(".png");
}

bool ThumbnailCache::matches(const QImage& image, const QString& path)
{
    return !image.isNull() && image.text(QStringLiteral("Thumb::URI")) == uriOf(path)
           && image.text(QStringLiteral("Thumb::MTime")) == mtimeOf(path);
}

QImage ThumbnailCache::find(const QString& path, int minSide) const
{
    const QString key = keyOf(path);
    for (const auto& [folder, side] : {std::pair{QStringLiteral("normal"), kNormalSide}, {QStringLiteral("large"), kLargeSide}}) {
        if (side < minSide)
            continue;
        QImageReader reader(root_ + u'/' + folder + u'/' + key, "png");
        // Thumbnails are small: a file declaring more is not one.
        const QSize size = reader.size();
        if (!reader.canRead() || size.width() > side || size.height() > side)
            continue;
        const QImage image = reader.read();
        if (matches(image, path) && std::max(image.width(), image.height()) >= minSide)
            return image;
    }
    return {};
}

bool ThumbnailCache::store(const QString& path, const QImage& picture) const
{
    if (picture.isNull())
        return false;
    QImage thumbnail = picture.width() > kNormalSide || picture.height() > kNormalSide
                           ? picture.scaled(kNormalSide, kNormalSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                           : picture;
    thumbnail.setText(QStringLiteral("Thumb::Image::Width"), QString::number(picture.width()));
    thumbnail.setText(QStringLiteral("Thumb::Image::Height"), QString::number(picture.height()));
    return write(QStringLiteral("normal"), path, thumbnail);
}

bool ThumbnailCache::storeFailure(const QString& path) const
{
    QImage empty(1, 1, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    return write(kFailFolder, path, empty);
}

bool ThumbnailCache::hasFailed(const QString& path) const
{
    QImageReader reader(root_ + u'/' + kFailFolder + u'/' + keyOf(path), "png");
    return reader.canRead() && matches(reader.read(), path);
}

bool ThumbnailCache::write(const QString& folder, const QString& path, QImage image) const
{
    const QString mtime = mtimeOf(path);
    if (mtime.isEmpty())
        return false;
    const QString dir = root_ + u'/' + folder;
    // The cache is private to the user.
    if (!QDir().mkpath(dir))
        return false;
    QFile::setPermissions(root_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    image.setText(QStringLiteral("Thumb::URI"), uriOf(path));
    image.setText(QStringLiteral("Thumb::MTime"), mtime);
    image.setText(QStringLiteral("Thumb::Size"), QString::number(QFileInfo(path).size()));
    image.setText(QStringLiteral("Software"), QStringLiteral("Калейдор"));
    // Written beside its place and renamed over it: a reader never sees half
    // a file. No waiting for the disk (a scan writes hundreds): a thumbnail
    // cut short by a crash is no valid thumbnail and is simply made again.
    const QString target = dir + u'/' + keyOf(path);
    QTemporaryFile file(target + QStringLiteral(".XXXXXX"));
    if (!file.open())
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // zlib's fastest level: a thumbnail is small, and a scan writes many.
    if (!image.save(&file, "png", kFastPng) || !file.flush())
        return false;
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
        return false;
    file.setAutoRemove(false);
    return true;
}
