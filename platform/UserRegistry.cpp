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
#include <climits>
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
// A temporary file of a commit is written in one go and renamed at once; one
// not written to for this long was left by a commit that was killed.
constexpr time_t kStaleTemporarySeconds = 10 * 60;
// Digits are overwritten in place only within this much of the file; more
// is rewritten whole.
constexpr qsizetype kLargestPatchSpan = 64 * 1024;

std::unique_ptr<RegKey> emptyStore()
{
    return std::make_unique<RegKey>(QString::fromLatin1(RegistryText::rootName));
}

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

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// The file that holds the store: path itself, or, when path is a symbolic
// link, the file the links lead to (which need not exist yet). Nothing for a
// loop of links.
std::optional<QByteArray> storeTarget(const QString& path)
{
    QByteArray file = QFile::encodeName(path);
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(file.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return file;
        QByteArray link(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(file.constData(), link.data(), size_t(link.size()));
        if (n <= 0 || n >= link.size())
            return std::nullopt;
        link.truncate(n);
        file = link.startsWith('/') ? link : folderOf(file) + '/' + link;
    }
    return std::nullopt;
}

// Writes bytes to a temporary file beside target, syncs it and renames it
// over target: readers see either the old file or the new one, never a part.
bool replaceFile(const QByteArray& target, const QByteArray& bytes)
{
    static constexpr char suffix[] = ".tmp";
    QByteArray temp = target + '.' + UserRegistry::kTemporaryTag + "XXXXXX" + suffix;
    const int fd = ::mkostemps(temp.data(), int(sizeof suffix - 1), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }
    // The new file is in place whatever this says; it only hurries the
    // rename itself to the disk.
    const int dir = ::open(folderOf(target).constData(), O_RDONLY | O_CLOEXEC);
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

bool holdsElidedValues(const RegKey& key)
{
    return std::any_of(key.values().begin(), key.values().end(), [](const RegValue& v) { return v.elided; })
           || std::any_of(key.subKeys().begin(), key.subKeys().end(),
                          [](const auto& sub) { return holdsElidedValues(*sub); });
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

// One number whose digits a commit overwrites in place: its text in the
// file, "dword:" and eight digits, before and after.
struct Patch {
    QStringList keyPath;
    QString name;
    qsizetype offset = 0;
    QByteArray before, after;
};

// The edits that turn the file, read into root, into root with changes
// applied, when every change that changes anything writes a number over a
// number whose text stands in the file as the program writes it: only
// digits change then. Nothing when some change needs more.
std::optional<std::vector<Patch>> digitPatches(const RegKey& root, const std::vector<RegChange>& changes)
{
    std::vector<Patch> patches;
    for (const RegChange& change : changes) {
        const RegKey* key = &root;
        for (const QString& name : change.keyPath)
            if (key = key->subKey(name); !key)
                return std::nullopt;
        if (change.value) {
            const RegValue& now = *change.value;
            const RegValue* old = key->value(now.name);
            if (!old || old->elided || old->name != now.name)
                return std::nullopt;
            if (old->type == now.type && old->data == now.data)
                continue;
            const bool numbers = old->type == rtDWord && now.type == rtDWord && old->data.size() == 4
                                 && now.data.size() == 4 && old->textOffset >= 0;
            if (!numbers)
                return std::nullopt;
            Patch patch{change.keyPath, now.name, old->textOffset, RegistryText::valueText(*old),
                        RegistryText::valueText(now)};
            if (old->textLength != patch.before.size() || patch.after.size() != patch.before.size())
                return std::nullopt;
            patches.push_back(std::move(patch));
        } else if (change.makeKept) {
            const RegValue* kept = key->value(change.keptName);
            if (!kept || !kept->elided)
                return std::nullopt;
        }
    }
    return patches;
}

enum class Patched { No, Remembered, Unremembered };

// Overwrites the patches' digits in the file at path, when it is still the
// file of stamp and holds their old text: one write of at most
// kLargestPatchSpan bytes. It is not synced: whatever part of it reaches the
// disk leaves a whole file. The file's modification time is then set past
// every earlier one, so a copy of the program that remembered an earlier
// version never takes this one for it, however soon it comes; where the file
// system cannot keep that time, the file is written but not remembered.
Patched patchInPlace(const QString& path, const FileStamp& stamp, const std::vector<Patch>& patches,
                     FileStamp& written)
{
    qsizetype first = patches.front().offset;
    qsizetype end = first;
    for (const Patch& p : patches) {
        first = std::min(first, p.offset);
        end = std::max(end, p.offset + p.before.size());
    }
    if (end - first > kLargestPatchSpan)
        return Patched::No;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Patched::No;
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !(FileStamp::of(st) == stamp))
        return Patched::No;
    QByteArray span(end - first, Qt::Uninitialized);
    if (::pread(fd, span.data(), size_t(span.size()), first) != span.size())
        return Patched::No;
    for (const Patch& p : patches)
        if (QByteArrayView(span).sliced(p.offset - first, p.before.size()) != p.before)
            return Patched::No;
    for (const Patch& p : patches)
        span.replace(p.offset - first, p.after.size(), p.after);
    if (::pwrite(fd, span.constData(), size_t(span.size()), first) != span.size())
        return Patched::No;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    timespec later = stamp.modified;
    if (++later.tv_nsec == 1000000000) {
        later.tv_nsec = 0;
        ++later.tv_sec;
    }
    const bool nowIsLater = now.tv_sec > later.tv_sec || (now.tv_sec == later.tv_sec && now.tv_nsec > later.tv_nsec);
    const timespec mark = nowIsLater ? now : later;
    const timespec times[2] = {{0, UTIME_OMIT}, mark};
    if (::futimens(fd, times) != 0 || ::fstat(fd, &st) != 0 || st.st_mtim.tv_sec != mark.tv_sec
        || st.st_mtim.tv_nsec != mark.tv_nsec)
        return Patched::Unremembered;
    written = FileStamp::of(st);
    return Patched::Remembered;
}

// Writes root, changed by patches, into the file of stamp by overwriting the
// patches' digits; false when that cannot be done.
bool writeInPlace(const QString& path, RegKey& root, const FileStamp& stamp, const std::vector<Patch>& patches)
{
    if (patches.empty())
        return false;
    FileStamp written;
    switch (patchInPlace(path, stamp, patches, written)) {
    case Patched::No:
        return false;
    case Patched::Unremembered:
        Snapshots::instance().forget(path);
        return true;
    case Patched::Remembered:
        break;
    }
    // The values stand where they stood.
    for (const Patch& p : patches) {
        RegKey* key = &root;
        for (const QString& name : p.keyPath)
            key = key->subKey(name);
        RegValue placed = *key->value(p.name);
        placed.textOffset = p.offset;
        placed.textLength = p.after.size();
        key->setValue(std::move(placed));
    }
    Snapshots::instance().remember(path, written, root);
    return true;
}

// Temporary files are only ever made by the holder of the lock and renamed
// away at once: one of ours found while holding it, and no longer written
// to, was left by a commit that was killed. Nothing else beside the store is
// touched, whatever its name.
void removeStaleTemporaries(const QByteArray& target)
{
    const QFileInfo info(QFile::decodeName(target));
    const QString prefix = info.fileName() + QLatin1Char('.') + QLatin1String(UserRegistry::kTemporaryTag);
    static const QRegularExpression rest(QStringLiteral("^[A-Za-z0-9]{6}\\.tmp$"));
    const QDir dir = info.absoluteDir();
    const time_t now = ::time(nullptr);
    for (const QString& candidate : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!candidate.startsWith(prefix) || !rest.match(QStringView(candidate).mid(prefix.size())).hasMatch())
            continue;
        const QByteArray file = QFile::encodeName(dir.filePath(candidate));
        struct stat st {};
        if (::lstat(file.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()
            && now - st.st_mtime >= kStaleTemporarySeconds)
            ::unlink(file.constData());
    }
}

}  // namespace

// An exclusive advisory lock on the store's lock file, held for the life of
// the object. The data file itself cannot carry the lock: it is replaced.
class UserRegistry::Lock {
public:
    explicit Lock(const QString& path)
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
    ~Lock()
    {
        if (fd_ >= 0)
            ::close(fd_);  // closing releases the lock
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    bool locked() const { return locked_; }

private:
    int fd_ = -1;
    bool locked_ = false;
};

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

UserRegistry::ReadResult UserRegistry::read(RegKey& root, struct stat* stOut) const
{
    QByteArray text;
    struct stat st {};
    if (const ReadResult result = readText(text, st); result != ReadResult::Parsed)
        return result;
    if (!RegistryText::read(text, root))
        return ReadResult::Damaged;
    if (stOut)
        *stOut = st;
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

// A damaged file linked to as the store is moved aside in its own folder:
// the link then leads to the new store.
bool UserRegistry::moveAside(const QByteArray& target)
{
    const QByteArray stem =
        target + ".damaged-" + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toLatin1();
    QByteArray aside = stem;
    struct stat st {};
    for (int n = 2; ::lstat(aside.constData(), &st) == 0; ++n)
        aside = stem + '-' + QByteArray::number(n);
    if (::rename(target.constData(), aside.constData()) != 0)
        return false;
    Snapshots::instance().forget(path_);
    movedAside_ = QFile::decodeName(aside);
    return true;
}

std::shared_ptr<UserRegistry::Lock> UserRegistry::takeLock() const
{
    return lock_ ? lock_ : std::make_shared<Lock>(path_ + QStringLiteral(".lock"));
}

bool UserRegistry::lock()
{
    // The first start counts itself before anything made the folder.
    QDir().mkpath(QFileInfo(path_).absolutePath());
    unlock();
    lock_ = std::make_shared<Lock>(path_ + QStringLiteral(".lock"));
    return lock_->locked();
}

void UserRegistry::unlock()
{
    lock_.reset();
}

std::unique_ptr<RegKey> UserRegistry::load(Detail detail)
{
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
    const auto lock = takeLock();
    if (lock->locked() && read(*root) == ReadResult::Damaged) {
        root = emptyStore();
        if (const auto target = storeTarget(path_))
            moveAside(*target);
    }
    return root;
}

void UserRegistry::commit(const std::vector<RegChange>& changes, const QString& firstValueName)
{
    if (changes.empty())
        return;
    const auto fail = [&] {
        throw ERegistryException(Exception::format(QStringLiteral("Failed to set data for '%s'"), firstValueName));
    };
    if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
        fail();
    const auto lock = takeLock();
    if (!lock->locked())
        fail();
    const std::optional<QByteArray> target = storeTarget(path_);
    if (!target)
        fail();
    removeStaleTemporaries(*target);
    // The file as this process last saw it, when it is still that file: the
    // values it did not remember are copied from the file's text unparsed,
    // and a file that would not change is left as it is.
    std::optional<QByteArray> text;
    std::unique_ptr<RegKey> root;
    const auto stamp = stampOf(path_);
    if (stamp)
        root = Snapshots::instance().find(path_, *stamp);
    if (root) {
        const auto patches = digitPatches(*root, changes);
        bool changed = false;
        for (const RegChange& change : changes)
            changed = applyChange(*root, change) || changed;
        // Values that are all as the file holds them (a close that changed
        // nothing) leave it as it is, not even read again.
        if (!changed)
            return;
        // Numbers that changed (the start count, a window's place) cost
        // their digits, not a rewrite of a store of megabytes.
        if (patches && writeInPlace(path_, *root, *stamp, *patches))
            return;
        const bool whole = !holdsElidedValues(*root);
        if (whole)
            text = RegistryText::rewrite(*root, {});
        // The file's text is read to copy the values the tree left out, or
        // when the new text has the file's size and may be the same; a
        // playlist of megabytes written anew needs none of it.
        if (!whole || qint64(text->size()) == qint64(stamp->size)) {
            QByteArray source;
            struct stat st {};
            if (readText(source, st) == ReadResult::Parsed && FileStamp::of(st) == *stamp) {
                if (!whole)
                    text = RegistryText::rewrite(*root, source);
                // Writing back what is there already (a close that changed
                // nothing) would only cost a rewrite of the whole file.
                if (text && *text == source)
                    return;
            } else {
                text.reset();
            }
        }
    }
    if (!text) {
        root = emptyStore();
        struct stat st {};
        const ReadResult result = read(*root, &st);
        switch (result) {
        case ReadResult::Unreadable:
            fail();
            break;
        case ReadResult::Damaged:
            root = emptyStore();
            if (!moveAside(*target))
                fail();
            break;
        case ReadResult::Missing:
        case ReadResult::Parsed:
            break;
        }
        const auto patches = result == ReadResult::Parsed ? digitPatches(*root, changes) : std::nullopt;
        for (const RegChange& change : changes)
            applyChange(*root, change);
        if (patches && writeInPlace(path_, *root, FileStamp::of(st), *patches))
            return;
        text = RegistryText::rewrite(*root, {});
    }
    if (!replaceFile(*target, *text))
        fail();
    // Under the lock nobody else can have replaced it since.
    if (const auto written = stampOf(path_))
        Snapshots::instance().remember(path_, *written, *root);
}
