#include "ThumbnailCache.h"

#include "pictures/RegularFile.h"
#include "pictures/ThumbnailPng.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace {

constexpr int kNormalSide = ThumbnailCache::kNormalSide;
constexpr int kLargeSide = 2 * kNormalSide;
// Thumbnails of a failed read are kept per program and version.
const QString kFailFolder = QStringLiteral("fail/kaleidor-1.0");
// Qt maps a PNG "quality" of 80 to zlib level 1.
constexpr int kFastPng = 80;

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

// A folder opened without following a link at its last component; a
// missing one is made private to the user when create is set. Nothing that
// exists already has its mode changed.
Fd openFolder(int at, const QByteArray& name, bool create)
{
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    Fd folder(::openat(at, name.constData(), kFlags));
    if (!folder.valid() && errno == ENOENT && create) {
        if (::mkdirat(at, name.constData(), 0700) != 0 && errno != EEXIST)
            return Fd();
        folder = Fd(::openat(at, name.constData(), kFlags));
    }
    return folder;
}

// The cache's folder sub ("normal", "fail/…") below root, reached through
// no symbolic link from root down.
Fd openCacheFolder(const QString& root, const QString& sub, bool create)
{
    if (create && !QFileInfo(root).dir().exists() && !QDir().mkpath(QFileInfo(root).absolutePath()))
        return Fd();
    Fd folder = openFolder(AT_FDCWD, QFile::encodeName(root), create);
    for (const QString& part : sub.split(u'/')) {
        if (!folder.valid())
            break;
        folder = openFolder(folder.get(), QFile::encodeName(part), create);
    }
    return folder;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

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

QImage ThumbnailCache::validThumbnail(const QString& folder, const QString& path, int maxSide) const
{
    const Fd dir = openCacheFolder(root_, folder, false);
    if (!dir.valid())
        return {};
    const auto bytes = readRegularFile(dir.get(), QFile::encodeName(keyOf(path)), ThumbnailPng::kLargestFile, false);
    if (!bytes)
        return {};
    // Everything is checked before a pixel is decoded.
    const auto header = ThumbnailPng::readHeader(*bytes);
    if (!header || header->size.width() > maxSide || header->size.height() > maxSide || header->uri != uriOf(path)
        || header->mtime != mtimeOf(path))
        return {};
    return ThumbnailPng::decodePixels(*bytes);
}

QImage ThumbnailCache::find(const QString& path, int minSide) const
{
    for (const auto& [folder, side] : {std::pair{QStringLiteral("normal"), kNormalSide}, {QStringLiteral("large"), kLargeSide}}) {
        if (side < minSide)
            continue;
        const QImage image = validThumbnail(folder, path, side);
        if (!image.isNull() && std::max(image.width(), image.height()) >= minSide)
            return image;
    }
    return {};
}

bool ThumbnailCache::store(const QString& path, const QImage& picture, QSize original) const
{
    if (picture.isNull())
        return false;
    QImage thumbnail = picture.width() > kNormalSide || picture.height() > kNormalSide
                           ? picture.scaled(kNormalSide, kNormalSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                           : picture;
    thumbnail.setText(QStringLiteral("Thumb::Image::Width"), QString::number(original.width()));
    thumbnail.setText(QStringLiteral("Thumb::Image::Height"), QString::number(original.height()));
    return write(QStringLiteral("normal"), path, thumbnail);
}

bool ThumbnailCache::storeFailure(const QString& path) const
{
    QImage empty(1, 1, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    return write(kFailFolder, path, empty);
}

bool ThumbnailCache::hasFailed(const QString& path) const { return !validThumbnail(kFailFolder, path, 1).isNull(); }

bool ThumbnailCache::write(const QString& folder, const QString& path, QImage image) const
{
    const QString mtime = mtimeOf(path);
    if (mtime.isEmpty())
        return false;
    const Fd dir = openCacheFolder(root_, folder, true);
    if (!dir.valid())
        return false;
    image.setText(QStringLiteral("Thumb::URI"), uriOf(path));
    image.setText(QStringLiteral("Thumb::MTime"), mtime);
    image.setText(QStringLiteral("Thumb::Size"), QString::number(QFileInfo(path).size()));
    image.setText(QStringLiteral("Software"), QStringLiteral("Калейдор"));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    // zlib's fastest level: a thumbnail is small, and a scan writes many.
    if (!image.save(&buffer, "png", kFastPng))
        return false;
    // Written beside its place and renamed over it: a reader never sees half
    // a file. No waiting for the disk (a scan writes hundreds): a thumbnail
    // cut short by a crash is no valid thumbnail and is simply made again.
    const QByteArray target = QFile::encodeName(keyOf(path));
    const QByteArray temporary =
        target + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    const Fd file(::openat(dir.get(), temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.valid())
        return false;
    if (!writeAll(file.get(), png) || ::renameat(dir.get(), temporary.constData(), dir.get(), target.constData()) != 0) {
        ::unlinkat(dir.get(), temporary.constData(), 0);
        return false;
    }
    return true;
}
