#include "UserRegistry.h"

#include "platform/Errors.h"
#include "platform/RegistryText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QThread>

#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <ctime>
#include <unistd.h>

namespace {

constexpr int lockWaitMs = 5000;
constexpr time_t kStillSeconds = 2;

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

// What tells one version of the file from another without reading it. An
// in-place edit changes the times; a replacement changes the inode.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static FileStamp of(const struct stat& st)
    {
        return FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }
    bool operator==(const FileStamp& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec
               && modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec
               && changed.tv_nsec == o.changed.tv_nsec;
    }
};

std::optional<FileStamp> stampOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileStamp::of(st);
}

void elideLargeValues(RegKey& key)
{
    for (const RegValue& v : key.values())
        if (v.data.size() > UserRegistry::kRememberedValueBytes) {
            RegValue elided = v;
            elided.data.clear();
            elided.elided = true;
            key.setValue(std::move(elided));
        }
    for (const auto& sub : key.subKeys())
        elideLargeValues(*sub);
}

// The last version of each store file this process read or wrote. Only the
// parsing is saved by it: the file's stamp is checked on every use.
class Snapshots {
public:
    static Snapshots& instance()
    {
        static Snapshots snapshots;
        return snapshots;
    }
    // A copy of the remembered tree when the file still has this stamp.
    std::unique_ptr<RegKey> find(const QString& path, const FileStamp& stamp)
    {
        const std::lock_guard guard(mutex_);
        const auto it = entries_.find(path);
        if (it == entries_.end() || !(it->second.stamp == stamp))
            return nullptr;
        return it->second.tree->clone();
    }
    void remember(const QString& path, const FileStamp& stamp, const RegKey& tree)
    {
        auto copy = tree.clone();
        elideLargeValues(*copy);
        const std::lock_guard guard(mutex_);
        entries_[path] = Entry{stamp, std::move(copy)};
    }
    void forget(const QString& path)
    {
        const std::lock_guard guard(mutex_);
        entries_.erase(path);
    }

private:
    struct Entry {
        FileStamp stamp;
        std::unique_ptr<const RegKey> tree;
    };
    std::mutex mutex_;
    std::map<QString, Entry> entries_;
};

}  // namespace

bool applyChange(RegKey& root, const RegChange& change)
{
    bool changed = false;
    RegKey* key = &root;
    for (const QString& name : change.keyPath) {
        changed = changed || !key->subKey(name);
        key = &key->ensureSubKey(name);
    }
    if (change.value) {
        const RegValue* old = key->value(change.value->name);
        if (!old || old->elided || old->name != change.value->name || old->type != change.value->type
            || old->data != change.value->data) {
            key->setValue(*change.value);
            changed = true;
        }
    } else if (change.makeKept) {
        const RegValue* remembered = key->value(change.keptName);
        if (!remembered || !remembered->elided) {
            key->setValue(change.makeKept());
            changed = true;
        }
    }
    return changed;
}

QString UserRegistry::defaultPath()
{
    // Relative values are to be ignored, as other programs do.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/kaleidor/user.reg");
}

UserRegistry::UserRegistry(QString path) : path_(std::move(path)) {}

UserRegistry::ReadResult UserRegistry::readText(QByteArray& text, struct stat& st) const
{
    // Without blocking: a named pipe put in the store's place must not hang
    // the program in open().
    const int fd = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Unreadable;
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    if (::fstat(fd, &st) != 0)
        return ReadResult::Unreadable;
    if (!S_ISREG(st.st_mode) || st.st_size > kMaxStoreBytes)
        return ReadResult::Damaged;
    text = QByteArray(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        if (got == text.size()) {
            // The file grew while it was read; take the rest up to the bound.
            if (text.size() > kMaxStoreBytes)
                return ReadResult::Damaged;
            text.resize(std::min<qint64>(kMaxStoreBytes + 1, text.size() + 65536));
        }
        const ssize_t n = ::read(fd, text.data() + got, size_t(text.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ReadResult::Unreadable;
        if (n == 0)
            break;
        got += n;
    }
    text.truncate(got);
    return ReadResult::Parsed;
}

UserRegistry::ReadResult UserRegistry::read(RegKey& root) const
{
    QByteArray text;
    struct stat st {};
    if (const ReadResult result = readText(text, st); result != ReadResult::Parsed)
        return result;
    if (!RegistryText::read(text, root))
        return ReadResult::Damaged;
    // A file changed within the last moments may change again within the
    // same tick of the file system's clock, unseen by its stamp; it is only
    // remembered once it has been still for a while. (A file this process
    // wrote itself is remembered at once, under the lock.)
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec - st.st_ctim.tv_sec >= kStillSeconds)
        Snapshots::instance().remember(path_, FileStamp::of(st), root);
    return ReadResult::Parsed;
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
    Snapshots::instance().forget(path_);
    movedAside_ = target;
    return true;
}

// Temporary files are only ever made by the holder of the lock: one found
// while holding it was left by a commit that was killed.
void UserRegistry::removeStaleTemporaries() const
{
    const QFileInfo info(path_);
    const QString name = info.fileName();
    static const QRegularExpression suffix(QStringLiteral("^\\.[A-Za-z0-9]{6}$"));
    const QDir dir = info.absoluteDir();
    const QStringList candidates =
        dir.entryList({name + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& candidate : candidates)
        if (suffix.match(QStringView(candidate).mid(name.size())).hasMatch())
            ::unlink(QFile::encodeName(dir.filePath(candidate)).constData());
}

std::unique_ptr<RegKey> UserRegistry::load(Detail detail)
{
    movedAside_.clear();
    if (detail == Detail::Remembered)
        if (const auto stamp = stampOf(path_))
            if (auto remembered = Snapshots::instance().find(path_, *stamp))
                return remembered;
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
    removeStaleTemporaries();
    // The file as this process last saw it, when it is still that file: the
    // values it did not remember are copied from the file's text unparsed,
    // and a file that would not change is left as it is.
    std::optional<QByteArray> text;
    std::unique_ptr<RegKey> root;
    const auto stamp = stampOf(path_);
    if (stamp)
        root = Snapshots::instance().find(path_, *stamp);
    if (root) {
        bool changed = false;
        for (const RegChange& change : changes)
            changed = applyChange(*root, change) || changed;
        // Values that are all as the file holds them (a close that changed
        // nothing) leave it as it is, not even read again.
        if (!changed)
            return;
        QByteArray source;
        struct stat st {};
        if (readText(source, st) == ReadResult::Parsed && FileStamp::of(st) == *stamp) {
            text = RegistryText::rewrite(*root, source);
            // Writing back what is there already (a close that changed
            // nothing) would only cost a rewrite of the whole file.
            if (text && *text == source)
                return;
        }
    }
    if (!text) {
        root = emptyStore();
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
            applyChange(*root, change);
        text = RegistryText::rewrite(*root, {});
    }
    if (!replaceFile(path_, *text))
        fail();
    // Under the lock nobody else can have replaced it since.
    if (const auto written = stampOf(path_))
        Snapshots::instance().remember(path_, *written, *root);
}
