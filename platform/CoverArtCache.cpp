#include "CoverArtCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder of ours below parent, made when missing: a real folder (never a
// symbolic link, which O_NOFOLLOW refuses) that belongs to us. Its handle, or -1.
int ownFolder(int parent, const char* name)
{
    if (::mkdirat(parent, name, 0700) != 0 && errno != EEXIST)
        return -1;
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A suffix names a format and nothing else: no folder, no dot.
bool isSuffix(const QString& suffix)
{
    return !suffix.isEmpty() && suffix.size() <= 8
           && std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return c.isDigit() || (c >= u'a' && c <= u'z'); });
}

// Removes the covers, finished or half written, of programs that ended
// without removing theirs (killed at logout, crashed). A cover's name starts
// with the number of the process that wrote it.
void removeLeftovers(int folder)
{
    const int listed = ::dup(folder);
    DIR* dir = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!dir) {
        if (listed >= 0)
            ::close(listed);
        return;
    }
    static const QRegularExpression cover(
        QStringLiteral("^\\.?(\\d{1,9})-[0-9a-f]{40}\\.[a-z0-9]{1,8}(\\.[0-9a-f]+)?$"));
    while (const dirent* entry = ::readdir(dir)) {
        const QRegularExpressionMatch match = cover.match(QFile::decodeName(entry->d_name));
        if (!match.hasMatch())
            continue;
        const pid_t writer = pid_t(match.captured(1).toInt());
        if (writer != ::getpid() && ::kill(writer, 0) != 0 && errno == ESRCH)
            ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(dir);
}

}  // namespace

CoverArtCache::CoverArtCache(QString cacheRoot) : cacheRoot_(std::move(cacheRoot)) {}

CoverArtCache::~CoverArtCache()
{
    removeFile();
}

QString CoverArtCache::defaultRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
}

int CoverArtCache::openFolder() const
{
    // The cache folder itself is the user's to place, a link included.
    if (cacheRoot_.isEmpty() || !QDir().mkpath(cacheRoot_))
        return -1;
    const int root = ::open(QFile::encodeName(cacheRoot_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0)
        return -1;
    const int program = ownFolder(root, "kaleidor");
    ::close(root);
    if (program < 0)
        return -1;
    const int covers = ownFolder(program, "covers");
    ::close(program);
    return covers;
}

void CoverArtCache::removeFile()
{
    if (fileName_.isEmpty())
        return;
    if (const int folder = openFolder(); folder >= 0) {
        ::unlinkat(folder, QFile::encodeName(fileName_).constData(), 0);
        ::close(folder);
    }
    fileName_.clear();
    url_.clear();
}

QString CoverArtCache::urlFor(const QByteArray& cover, const QString& suffix)
{
    // The same cover is asked for on every refresh: shared data is the same
    // cover without comparing its bytes. One that could not be written is
    // not tried again.
    const bool same = (cover.constData() == cover_.constData() && cover.size() == cover_.size()) || cover == cover_;
    if (same && suffix == suffix_)
        return url_;
    removeFile();
    cover_ = cover;
    suffix_ = suffix;
    if (cover.isEmpty() || !isSuffix(suffix))
        return {};
    const int folder = openFolder();
    if (folder < 0)
        return {};
    const auto closeFolder = qScopeGuard([folder] { ::close(folder); });
    if (!leftoversRemoved_) {
        removeLeftovers(folder);
        leftoversRemoved_ = true;
    }
    // Named by its contents, so that a new cover has a new address and the
    // desktop does not show the old one from its own cache.
    const QString name = QStringLiteral("%1-%2.%3")
                             .arg(::getpid())
                             .arg(QString::fromLatin1(QCryptographicHash::hash(cover, QCryptographicHash::Sha1).toHex()),
                                  suffix);
    const QByteArray temp =
        QFile::encodeName(QStringLiteral(".%1.%2").arg(name).arg(QRandomGenerator::global()->generate64(), 0, 16));
    // A new file (O_EXCL: nothing there, a link included, is opened) that
    // then replaces the name, never what a link there points to.
    const int fd = ::openat(folder, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return {};
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
        ::close(fd);
    bool written = file.isOpen() && file.write(cover) == cover.size();
    file.close();
    written = written && file.error() == QFileDevice::NoError
              && ::renameat(folder, temp.constData(), folder, QFile::encodeName(name).constData()) == 0;
    if (!written) {
        ::unlinkat(folder, temp.constData(), 0);
        return {};
    }
    fileName_ = name;
    url_ = QUrl::fromLocalFile(cacheRoot_ + QStringLiteral("/kaleidor/covers/") + name).toString(QUrl::FullyEncoded);
    return url_;
}
