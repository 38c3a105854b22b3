#include "LinuxSystemQueries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <limits>
#include <memory>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define KALEIDOR_HAS_TSC 1
#else
#define KALEIDOR_HAS_TSC 0
#endif

namespace {
// Text files of the system are small; a larger one is not what we expect
// and is read only up to this size.
constexpr qint64 kMaxTextFile = 1 << 20;

QByteArray readTextFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(kMaxTextFile);
}

// "Key: value" lines, as /proc/meminfo and /proc/cpuinfo write them; the
// first occurrence counts.
QString fieldOf(const QByteArray& text, const QString& key)
{
    for (const QByteArray& line : text.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0 && QString::fromUtf8(line.left(colon)).trimmed() == key)
            return QString::fromUtf8(line.mid(colon + 1)).trimmed();
    }
    return {};
}

std::optional<std::int64_t> kilobytes(const QByteArray& meminfo, const QString& key)
{
    QString value = fieldOf(meminfo, key);
    if (value.endsWith(QLatin1String(" kB")))
        value.chop(3);
    bool ok = false;
    const qlonglong kb = value.toLongLong(&ok);
    if (!ok || kb < 0 || kb > std::numeric_limits<std::int64_t>::max() / 1024)
        return std::nullopt;
    return static_cast<std::int64_t>(kb) * 1024;
}

// os-release: KEY=value, the value optionally quoted with shell escapes.
QString osReleaseValue(const QString& key)
{
    QByteArray text = readTextFile(QStringLiteral("/etc/os-release"));
    if (text.isEmpty())
        text = readTextFile(QStringLiteral("/usr/lib/os-release"));
    const QByteArray prefix = key.toUtf8() + '=';
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (!line.startsWith(prefix))
            continue;
        QByteArray value = line.mid(prefix.size());
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            value = value.mid(1, value.size() - 2);
            QByteArray plain;
            for (qsizetype i = 0; i < value.size(); ++i) {
                if (value[i] == '\\' && i + 1 < value.size())
                    ++i;
                plain += value[i];
            }
            value = plain;
        }
        return QString::fromUtf8(value);
    }
    return {};
}

QString existingFolder(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return {};
    return QDir::cleanPath(path);
}

QString firstOf(const QString& list, const QString& fallback)
{
    const QString first = list.section(QLatin1Char(':'), 0, 0);
    return first.isEmpty() ? fallback : first;
}

// A user directory of $XDG_CONFIG_HOME/user-dirs.dirs, for the names Qt has
// no location of its own for.
QString userDirectory(const QByteArray& name)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QByteArray text = readTextFile(config + QStringLiteral("/user-dirs.dirs"));
    const QByteArray prefix = "XDG_" + name + "_DIR=";
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (!line.startsWith(prefix))
            continue;
        QString value = QString::fromUtf8(line.mid(prefix.size()));
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        if (value.startsWith(QLatin1String("$HOME")))
            value = QDir::homePath() + value.mid(5);
        // The desktop's convention: a user directory equal to home is switched off.
        if (QDir::cleanPath(value) == QDir::cleanPath(QDir::homePath()))
            return {};
        return value;
    }
    return {};
}

QString desktopEntryExec(const QString& desktopFile)
{
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopFile);
    if (path.isEmpty())
        return {};
    bool inEntry = false;
    for (const QByteArray& raw : readTextFile(path).split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('['))
            inEntry = line == "[Desktop Entry]";
        else if (inEntry && line.startsWith("Exec="))
            return QString::fromUtf8(line.mid(5)).trimmed();
    }
    return {};
}
}  // namespace

const LinuxSystemQueries& LinuxSystemQueries::instance()
{
    static const LinuxSystemQueries queries;
    return queries;
}

QString LinuxSystemQueries::loginName() const
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    if (size <= 0 || size > (1 << 20))
        size = 16384;
    std::vector<char> buffer(static_cast<std::size_t>(size));
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name &&
        *found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    return environment("USER");
}

QString LinuxSystemQueries::hostName() const
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return QString::fromLocal8Bit(name);
}

std::optional<MemoryFigures> LinuxSystemQueries::memory() const
{
    const QByteArray meminfo = readTextFile(QStringLiteral("/proc/meminfo"));
    const auto total = kilobytes(meminfo, QStringLiteral("MemTotal"));
    const auto available = kilobytes(meminfo, QStringLiteral("MemAvailable"));
    if (!total || !available)
        return std::nullopt;
    MemoryFigures figures;
    figures.totalPhysical = *total;
    figures.availPhysical = *available;
    const auto limit = kilobytes(meminfo, QStringLiteral("CommitLimit"));
    const auto committed = kilobytes(meminfo, QStringLiteral("Committed_AS"));
    if (limit) {
        figures.totalVirtual = *limit;
        figures.availVirtual = committed && *committed < *limit ? *limit - *committed : 0;
    }
    return figures;
}

std::int64_t LinuxSystemQueries::upTimeSeconds() const
{
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return 0;
    return now.tv_sec;
}

std::int64_t LinuxSystemQueries::performanceFrequency() const { return kCounterFrequency; }

std::uint64_t LinuxSystemQueries::performanceCounter() const
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_RAW, &now);
    const auto seconds = static_cast<std::uint64_t>(now.tv_sec);
    const auto nanos = static_cast<std::uint64_t>(now.tv_nsec);
    return seconds * kCounterFrequency + nanos * kCounterFrequency / 1000000000u;
}

bool LinuxSystemQueries::hasTimeStampCounter() const
{
#if KALEIDOR_HAS_TSC
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & (1u << 4)) != 0;
#else
    return false;
#endif
}

std::uint64_t LinuxSystemQueries::timeStampCounter() const
{
#if KALEIDOR_HAS_TSC
    return __rdtsc();
#else
    return 0;
#endif
}

QString LinuxSystemQueries::osPrettyName() const { return osReleaseValue(QStringLiteral("PRETTY_NAME")); }

QString LinuxSystemQueries::osName() const { return osReleaseValue(QStringLiteral("NAME")); }

QString LinuxSystemQueries::kernelRelease() const
{
    utsname names{};
    return uname(&names) == 0 ? QString::fromLocal8Bit(names.release) : QString();
}

QString LinuxSystemQueries::machine() const
{
    utsname names{};
    return uname(&names) == 0 ? QString::fromLocal8Bit(names.machine) : QString();
}

int LinuxSystemQueries::processorCount() const
{
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 && count < std::numeric_limits<int>::max() ? static_cast<int>(count) : 1;
}

QString LinuxSystemQueries::cpuInfo(const QString& field) const
{
    const QByteArray text = readTextFile(QStringLiteral("/proc/cpuinfo"));
    // Only the first processor's block.
    const qsizetype end = text.indexOf("\n\n");
    return fieldOf(end < 0 ? text : text.left(end), field);
}

std::optional<std::uint64_t> LinuxSystemQueries::rootFileSystemId() const
{
    struct statvfs info{};
    if (statvfs("/", &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.f_fsid);
}

QStringList LinuxSystemQueries::hostAddresses(const QString& host) const
{
    if (host.isEmpty())
        return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.toLocal8Bit().constData(), nullptr, &hints, &found) != 0)
        return {};
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> list(found, &freeaddrinfo);
    QStringList addresses;
    for (const addrinfo* a = list.get(); a; a = a->ai_next) {
        if (a->ai_family != AF_INET || !a->ai_addr)
            continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text))
            addresses << QString::fromLatin1(text);
    }
    return addresses;
}

QString LinuxSystemQueries::environment(const char* name) const { return qEnvironmentVariable(name); }

QString LinuxSystemQueries::folder(SystemFolder which) const
{
    using SP = QStandardPaths;
    const QString dataDirs = firstOf(qEnvironmentVariable("XDG_DATA_DIRS"), QStringLiteral("/usr/local/share"));
    const QString configDirs = firstOf(qEnvironmentVariable("XDG_CONFIG_DIRS"), QStringLiteral("/etc/xdg"));
    switch (which) {
    case SystemFolder::DataHome: return existingFolder(SP::writableLocation(SP::GenericDataLocation));
    case SystemFolder::CacheHome: return existingFolder(SP::writableLocation(SP::GenericCacheLocation));
    // Qt answers the home folder when a user directory is not set; that is no desktop.
    case SystemFolder::Desktop: return existingFolder(userDirectory("DESKTOP"));
    case SystemFolder::Documents: return existingFolder(userDirectory("DOCUMENTS"));
    case SystemFolder::Pictures: return existingFolder(userDirectory("PICTURES"));
    case SystemFolder::Templates: return existingFolder(userDirectory("TEMPLATES"));
    case SystemFolder::FontsHome:
        return existingFolder(SP::writableLocation(SP::GenericDataLocation) + QStringLiteral("/fonts"));
    case SystemFolder::ApplicationsHome: return existingFolder(SP::writableLocation(SP::ApplicationsLocation));
    case SystemFolder::AutostartHome:
        return existingFolder(SP::writableLocation(SP::GenericConfigLocation) + QStringLiteral("/autostart"));
    case SystemFolder::SystemData: return existingFolder(dataDirs);
    case SystemFolder::SystemApplications: return existingFolder(dataDirs + QStringLiteral("/applications"));
    case SystemFolder::SystemAutostart: return existingFolder(configDirs + QStringLiteral("/autostart"));
    case SystemFolder::SystemSounds: return existingFolder(dataDirs + QStringLiteral("/sounds"));
    case SystemFolder::Programs: return existingFolder(QStringLiteral("/usr/bin"));
    case SystemFolder::Temp: return existingFolder(QDir::tempPath());
    }
    return {};
}

QString LinuxSystemQueries::defaultBrowserCommand() const
{
    QProcess query;
    query.start(QStringLiteral("xdg-settings"), {QStringLiteral("get"), QStringLiteral("default-web-browser")});
    // A desktop that does not answer within a second has no answer worth waiting for.
    if (!query.waitForFinished(1000)) {
        query.kill();
        query.waitForFinished(1000);
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    const QString entry = QString::fromUtf8(query.readAllStandardOutput().left(4096)).trimmed();
    if (!entry.endsWith(QLatin1String(".desktop")) || entry.contains(QLatin1Char('/')))
        return {};
    return desktopEntryExec(entry);
}

QString LinuxSystemQueries::findExecutable(const QString& name) const { return QStandardPaths::findExecutable(name); }

ScreenMode LinuxSystemQueries::screenMode() const
{
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    if (!screen)
        return {};
    return {screen->depth(), screen->geometry().width(), screen->geometry().height()};
}
