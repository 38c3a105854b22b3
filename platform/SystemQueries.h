#pragma once
// The facts about the machine that the system information component reports,
// behind one narrow interface: the program hands in LinuxSystemQueries, tests
// hand in fixed values and scripted counter readings. Every call asks the
// system again; nothing is cached.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

struct MemoryFigures {
    std::int64_t totalPhysical = 0;  // bytes
    std::int64_t availPhysical = 0;
    std::int64_t totalVirtual = 0;   // commit limit
    std::int64_t availVirtual = 0;   // commit limit less what is committed
};

struct ScreenMode {
    int bitsPerPixel = 0;
    int width = 0;
    int height = 0;
};

// Folders of the desktop's conventions (XDG base and user directories).
enum class SystemFolder {
    DataHome,             // $XDG_DATA_HOME
    CacheHome,            // $XDG_CACHE_HOME
    Desktop,              // XDG user directory DESKTOP
    Documents,            // XDG user directory DOCUMENTS
    Pictures,             // XDG user directory PICTURES
    Templates,            // XDG user directory TEMPLATES
    FontsHome,            // $XDG_DATA_HOME/fonts
    ApplicationsHome,     // $XDG_DATA_HOME/applications
    AutostartHome,        // $XDG_CONFIG_HOME/autostart
    SystemData,           // first folder of $XDG_DATA_DIRS
    SystemApplications,   // applications under the first folder of $XDG_DATA_DIRS
    SystemAutostart,      // autostart under the first folder of $XDG_CONFIG_DIRS
    SystemSounds,         // sounds under the first folder of $XDG_DATA_DIRS
    Programs,             // /usr/bin
    Temp,                 // $TMPDIR or /tmp
};

class SystemQueries {
public:
    virtual ~SystemQueries() = default;

    virtual QString loginName() const = 0;  // effective user's login name
    virtual QString hostName() const = 0;
    virtual std::optional<MemoryFigures> memory() const = 0;
    virtual std::int64_t upTimeSeconds() const = 0;  // time since boot, suspend included; 0 when unreadable

    // The two counters the processor clock is measured with: a counter of a
    // fixed frequency (0 when there is none) and the processor's time-stamp
    // counter.
    virtual std::int64_t performanceFrequency() const = 0;
    virtual std::uint64_t performanceCounter() const = 0;
    virtual bool hasTimeStampCounter() const = 0;
    virtual std::uint64_t timeStampCounter() const = 0;

    virtual QString osPrettyName() const = 0;   // PRETTY_NAME of os-release
    virtual QString osName() const = 0;         // NAME of os-release
    virtual QString kernelRelease() const = 0;  // uname -r
    virtual QString machine() const = 0;        // uname -m
    virtual int processorCount() const = 0;     // processors online
    virtual QString cpuInfo(const QString& field) const = 0;  // first processor's field of /proc/cpuinfo

    virtual std::optional<std::uint64_t> rootFileSystemId() const = 0;
    virtual QStringList hostAddresses(const QString& host) const = 0;  // IPv4, dotted
    virtual QString environment(const char* name) const = 0;
    virtual QString folder(SystemFolder which) const = 0;  // an existing folder without trailing separator, else empty
    virtual QString defaultBrowserCommand() const = 0;     // command line of the default web browser, else empty
    virtual QString findExecutable(const QString& name) const = 0;
    virtual ScreenMode screenMode() const = 0;
};
