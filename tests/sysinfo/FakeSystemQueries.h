#pragma once
// System queries with values the test sets, and a counter pair that a
// simulated clock drives: each read of the counter moves it on by a fixed
// number of counts; the time-stamp counter follows at a fixed MHz.
#include "platform/SystemQueries.h"

#include <map>

class FakeSystemQueries : public SystemQueries {
public:
    QString login = QStringLiteral("tester");
    QString host = QStringLiteral("box");
    std::optional<MemoryFigures> memoryFigures = MemoryFigures{};
    std::int64_t upTime = 0;
    std::int64_t frequency = 3579545;
    std::uint64_t countsPerRead = 1;
    double mhz = 2400.0;
    bool tsc = true;
    QString prettyName, name, release, arch = QStringLiteral("x86_64");
    std::map<QString, QString> cpu;
    std::optional<std::uint64_t> fsid;
    std::map<QString, QStringList> addresses;
    std::map<SystemFolder, QString> folders;
    QString browserCommand;
    ScreenMode screen;

    QString loginName() const override { return login; }
    QString hostName() const override { return host; }
    std::optional<MemoryFigures> memory() const override { return memoryFigures; }
    std::int64_t upTimeSeconds() const override { return upTime; }
    std::int64_t performanceFrequency() const override { return frequency; }
    std::uint64_t performanceCounter() const override { return counter_ += countsPerRead; }
    bool hasTimeStampCounter() const override { return tsc; }
    std::uint64_t timeStampCounter() const override
    {
        return static_cast<std::uint64_t>(static_cast<double>(counter_) * mhz * 1e6 / static_cast<double>(frequency));
    }
    QString osPrettyName() const override { return prettyName; }
    QString osName() const override { return name; }
    QString kernelRelease() const override { return release; }
    QString machine() const override { return arch; }
    int processorCount() const override { return 4; }
    QString cpuInfo(const QString& field) const override
    {
        const auto it = cpu.find(field);
        return it == cpu.end() ? QString() : it->second;
    }
    std::optional<std::uint64_t> rootFileSystemId() const override { return fsid; }
    QStringList hostAddresses(const QString& h) const override
    {
        const auto it = addresses.find(h);
        return it == addresses.end() ? QStringList() : it->second;
    }
    QString environment(const char* variable) const override
    {
        return QByteArray(variable) == "PATH" ? QStringLiteral("/usr/bin:/bin") : QString();
    }
    QString folder(SystemFolder which) const override
    {
        const auto it = folders.find(which);
        return it == folders.end() ? QString() : it->second;
    }
    QString defaultBrowserCommand() const override { return browserCommand; }
    QString findExecutable(const QString& program) const override
    {
        return program == QLatin1String("firefox-esr") ? QStringLiteral("/usr/bin/firefox-esr") : QString();
    }
    ScreenMode screenMode() const override { return screen; }

    std::uint64_t counterValue() const { return counter_; }
    void setCounter(std::uint64_t value) { counter_ = value; }

private:
    mutable std::uint64_t counter_ = 0;
};
