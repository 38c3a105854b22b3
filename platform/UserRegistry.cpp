#include "UserRegistry.h"

#include "platform/Errors.h"
#include "platform/RegistryText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int lockWaitMs = 5000;

std::unique_ptr<RegKey> emptyStore()
{
    return std::make_unique<RegKey>(QString::fromLatin1(RegistryText::rootName));
}

// An exclusive advisory lock on the store's lock file, held for the life of
// the object. The data file itself cannot carry the lock: it is replaced.
class StoreLock {
public:
    explicit StoreLock(const QString& path)
    {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0)
            return;
        // Another copy holds it only for the moment of its own commit.
        for (int waited = 0; waited < lockWaitMs; waited += 10) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                locked_ = true;
                return;
            }
            if (errno != EWOULDBLOCK && errno != EINTR)
                return;
            QThread::msleep(10);
        }
    }
    ~StoreLock()
    {
        if (fd_ >= 0)
            ::close(fd_);  // closing releases the lock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool locked() const { return locked_; }

private:
    int fd_ = -1;
    bool locked_ = false;
};

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

// Writes bytes to a temporary file beside path, syncs it and renames it over
// path: readers see either the old file or the new one, never a part.
bool replaceFile(const QString& path, const QByteArray& bytes)
{
    QByteArray temp = QFile::encodeName(path) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.constData(), QFile::encodeName(path).constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }
    // The new file is in place whatever this says; it only hurries the
    // rename itself to the disk.
    const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void apply(RegKey& root, const RegChange& change)
{
    RegKey* key = &root;
    for (const QString& name : change.keyPath)
        key = &key->ensureSubKey(name);
    if (change.value)
        key->setValue(*change.value);
}

}  // namespace

QString UserRegistry::defaultPath()
{
    // Relative values are to be ignored, as other programs do.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/kaleidor/user.reg");
}

UserRegistry::UserRegistry(QString path) : path_(std::move(path)) {}

UserRegistry::ReadResult UserRegistry::read(RegKey& root) const
{
    QFile file(path_);
    if (!file.exists())
        return ReadResult::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return ReadResult::Unreadable;
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return ReadResult::Unreadable;
    return RegistryText::read(text, root) ? ReadResult::Parsed : ReadResult::Damaged;
}

bool UserRegistry::moveAside()
{
    const QString stem = path_ + QStringLiteral(".damaged-")
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = stem;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = stem + QLatin1Char('-') + QString::number(n);
    if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(target).constData()) != 0)
        return false;
    movedAside_ = target;
    return true;
}

std::unique_ptr<RegKey> UserRegistry::load()
{
    movedAside_.clear();
    auto root = emptyStore();
    if (read(*root) != ReadResult::Damaged)
        return root;
    root = emptyStore();
    // Without the lock another copy might be replacing the file right now;
    // and a folder that refuses the lock refuses the rename too: the damaged
    // file then stays where it is and the commit refuses to replace it.
    StoreLock lock(path_ + QStringLiteral(".lock"));
    if (lock.locked() && read(*root) == ReadResult::Damaged) {
        root = emptyStore();
        moveAside();
    }
    return root;
}

void UserRegistry::commit(const std::vector<RegChange>& changes, const QString& firstValueName)
{
    if (changes.empty())
        return;
    movedAside_.clear();
    const auto fail = [&] {
        throw ERegistryException(Exception::format(QStringLiteral("Failed to set data for '%s'"), firstValueName));
    };
    if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
        fail();
    StoreLock lock(path_ + QStringLiteral(".lock"));
    if (!lock.locked())
        fail();
    auto root = emptyStore();
    switch (read(*root)) {
    case ReadResult::Unreadable:
        fail();
        break;
    case ReadResult::Damaged:
        root = emptyStore();
        if (!moveAside())
            fail();
        break;
    case ReadResult::Missing:
    case ReadResult::Parsed:
        break;
    }
    for (const RegChange& change : changes)
        apply(*root, change);
    if (!replaceFile(path_, RegistryText::write(*root)))
        fail();
}
