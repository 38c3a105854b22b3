#pragma once
// The system queries answered by this Linux machine.
#include "SystemQueries.h"

class LinuxSystemQueries final : public SystemQueries {
public:
    // The program's one instance; it holds no state.
    static const LinuxSystemQueries& instance();

    QString loginName() const override;
    QString hostName() const override;
    std::optional<MemoryFigures> memory() const override;
    std::int64_t upTimeSeconds() const override;
    std::int64_t performanceFrequency() const override;
    std::uint64_t performanceCounter() const override;
    bool hasTimeStampCounter() const override;
    std::uint64_t timeStampCounter() const override;
    QString osPrettyName() const override;
    QString osName() const override;
    QString kernelRelease() const override;
    QString machine() const override;
    int processorCount() const override;
    QString cpuInfo(const QString& field) const override;
    std::optional<std::uint64_t> rootFileSystemId() const override;
    QStringList hostAddresses(const QString& host) const override;
    QString environment(const char* name) const override;
    QString folder(SystemFolder which) const override;
    QString defaultBrowserCommand() const override;
    QString findExecutable(const QString& name) const override;
    ScreenMode screenMode() const override;

    // The emulated performance counter's frequency, in counts per second.
    static constexpr std::int64_t kCounterFrequency = 3579545;
};
