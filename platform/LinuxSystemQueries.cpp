#include "LinuxSystemQueries.h"

#include "SystemTextFiles.h"

#include <QDir>
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
// no location of its own for (and Qt answers home for an unset one).
QString userDirectory(const QByteArray& name)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return SystemTextFiles::userDirectory(SystemTextFiles::read(config + QStringLiteral("/user-dirs.dirs")), name,
                                          QDir::homePath());
}

QString osReleaseValue(const QByteArray& key)
{
    QByteArray text = SystemTextFiles::read(QStringLiteral("/etc/os-release"));
    if (text.isEmpty())
        text = SystemTextFiles::read(QStringLiteral("/usr/lib/os-release"));
    return SystemTextFiles::osReleaseField(text, key);
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
    return SystemTextFiles::parseMeminfo(SystemTextFiles::read(QStringLiteral("/proc/meminfo")));
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

QString LinuxSystemQueries::osPrettyName() const { return osReleaseValue("PRETTY_NAME"); }

QString LinuxSystemQueries::osName() const { return osReleaseValue("NAME"); }

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
    return SystemTextFiles::colonField(SystemTextFiles::read(QStringLiteral("/proc/cpuinfo")), field);
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
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry);
    return path.isEmpty() ? QString() : SystemTextFiles::desktopEntryExec(SystemTextFiles::read(path));
}

QString LinuxSystemQueries::findExecutable(const QString& name) const { return QStandardPaths::findExecutable(name); }

ScreenMode LinuxSystemQueries::screenMode() const
{
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    if (!screen)
        return {};
    return {screen->depth(), screen->geometry().width(), screen->geometry().height()};
}
