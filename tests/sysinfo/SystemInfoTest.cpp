#include "FakeSystemQueries.h"

#include "platform/LinuxSystemQueries.h"
#include "sysinfo/ClockMeasurement.h"
#include "sysinfo/TacSystemInfo.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using ClockMeasurement::Pass;

// Passes handed out in order; the last one repeats.
std::function<std::optional<Pass>()> scripted(std::vector<std::optional<Pass>> passes)
{
    return [passes = std::move(passes), i = std::size_t{0}]() mutable {
        const auto& p = passes[std::min(i, passes.size() - 1)];
        ++i;
        return p;
    };
}
}  // namespace

TEST(ClockMeasurement, SnapsToRoundValuesTiesGoingUp)
{
    const struct {
        int measured, reported;
    } cases[] = {{2394, 2390}, {2395, 2400}, {1666, 1666}, {733, 733}, {1410, 1420}, {1998, 2000},
                 {2400, 2400}, {2397, 2400}, {0, 0},       {99, 100},   {1249, 1250}, {1272, 1266}};
    for (const auto& c : cases)
        EXPECT_EQ(ClockMeasurement::snap(c.measured), c.reported) << c.measured;
}

TEST(ClockMeasurement, ResultComesFromTheSumsOfAllPassesRoundedHalfToEven)
{
    const struct {
        std::uint32_t ticksPer1000us;
        int reported;
    } cases[] = {{2394400, 2390}, {2394600, 2400}, {2394500, 2390}, {2397000, 2400}};
    for (const auto& c : cases) {
        const auto result = ClockMeasurement::combine(scripted({Pass{1000, c.ticksPer1000us}}));
        EXPECT_EQ(result.mhz, c.reported) << c.ticksPer1000us;
        EXPECT_EQ(result.passes, 3);
    }
}

TEST(ClockMeasurement, StopsWhenTheLastThreeEstimatesAgree)
{
    // 2400, 2401, 2399 agree at once.
    auto result = ClockMeasurement::combine(scripted({Pass{100, 240000}, Pass{100, 240100}, Pass{100, 239900}}));
    EXPECT_EQ(result.passes, 3);
    EXPECT_EQ(result.mhz, 2400);

    // A stray first pass is outvoted once three later ones agree; it still counts in the sums.
    result = ClockMeasurement::combine(
        scripted({Pass{100, 300000}, Pass{100, 240000}, Pass{100, 240000}, Pass{100, 240000}}));
    EXPECT_EQ(result.passes, 4);
    EXPECT_EQ(result.mhz, 2550);  // (300000 + 3 * 240000) / 400

    // Estimates that never settle stop after the twentieth pass.
    std::vector<std::optional<Pass>> wobbling;
    for (int i = 0; i < 30; ++i)
        wobbling.push_back(Pass{100, i % 2 ? 240000u : 250000u});
    result = ClockMeasurement::combine(scripted(wobbling));
    EXPECT_EQ(result.passes, 20);
    EXPECT_EQ(result.mhz, 2450);

    EXPECT_TRUE(ClockMeasurement::settled(2400, 2401, 2399));
    EXPECT_FALSE(ClockMeasurement::settled(2400, 2402, 2399));
}

TEST(ClockMeasurement, PassesOfZeroDurationAreDiscardedNeverDividedBy)
{
    auto result = ClockMeasurement::combine(scripted({std::nullopt}));
    EXPECT_EQ(result.passes, 20);
    EXPECT_EQ(result.mhz, 0);

    result = ClockMeasurement::combine(
        scripted({std::nullopt, Pass{0, 5}, Pass{100, 240000}, Pass{100, 240000}, Pass{100, 240000}}));
    EXPECT_EQ(result.passes, 5);
    EXPECT_EQ(result.mhz, 2400);
}

TEST(ClockMeasurement, TimesThePassAgainstTheCounterAndReportsTheSimulatedClock)
{
    FakeSystemQueries q;
    q.mhz = 2394.4;
    q.countsPerRead = 7;
    const auto pass = ClockMeasurement::runPass(q, q.frequency);
    ASSERT_TRUE(pass);
    // 1000 counts of 3579545 Hz (plus the overshoot of the last read) last about 280 microseconds.
    EXPECT_GE(pass->micros, 279u);
    EXPECT_LE(pass->micros, 282u);
    EXPECT_NEAR(static_cast<double>(pass->ticks) / pass->micros, 2394.4, 10.0);

    // A counter that wraps its low 32 bits in the middle of a pass does no harm.
    q.setCounter(0xFFFFFF00u);
    const auto wrapped = ClockMeasurement::runPass(q, q.frequency);
    ASSERT_TRUE(wrapped);
    EXPECT_GE(wrapped->micros, 279u);

    q.mhz = 2400;
    q.countsPerRead = 1;
    EXPECT_EQ(ClockMeasurement::measure(q), 2400);

    // A counter too fast to give a duration, or no counter pair at all, gives 0.
    q.frequency = 4'000'000'000'000LL;
    EXPECT_EQ(ClockMeasurement::measure(q), 0);
    q.frequency = 0;
    EXPECT_EQ(ClockMeasurement::measure(q), 0);
    q.frequency = 3579545;
    q.tsc = false;
    EXPECT_EQ(ClockMeasurement::measure(q), 0);
}

TEST(SystemInfo, ReportsWhatTheSystemSaysInSixtyFourBits)
{
    FakeSystemQueries q;
    q.memoryFigures = MemoryFigures{16LL << 30, 12LL << 30, 20LL << 30, 5LL << 30};
    q.upTime = 60LL * 86400;  // past the 49.7 days a 32-bit millisecond count holds
    TacSystemInfo si(q);
    EXPECT_EQ(si.MemTotalPhisical(), 17179869184LL);
    EXPECT_EQ(si.MemAvailPhisical(), 12884901888LL);
    EXPECT_EQ(si.MemTotalVirtual(), 21474836480LL);
    EXPECT_EQ(si.MemAvailVirtual(), 5368709120LL);
    EXPECT_EQ(si.MemLoad(), 25);
    EXPECT_EQ(si.SystemUpTime(), 5184000);
    EXPECT_EQ(si.CurrentUserName(), QStringLiteral("tester"));
    EXPECT_EQ(si.ComputerName(), QStringLiteral("box"));
    EXPECT_EQ(si.WinDirectXVersion(), QString());
    EXPECT_EQ(si.CPUFrequency(), 2400);

    // Every read asks again.
    q.memoryFigures->availPhysical = 8LL << 30;
    q.upTime = 59;
    EXPECT_EQ(si.MemAvailPhisical(), 8589934592LL);
    EXPECT_EQ(si.MemLoad(), 50);
    EXPECT_EQ(si.SystemUpTime(), 59);

    // Unreadable memory figures read as nothing rather than as garbage.
    q.memoryFigures.reset();
    EXPECT_EQ(si.MemTotalPhisical(), 0);
    EXPECT_EQ(si.MemLoad(), 0);
}

TEST(SystemInfo, VersionFromOsReleaseAndKernelRelease)
{
    FakeSystemQueries q;
    q.prettyName = QStringLiteral("Debian GNU/Linux 12 (bookworm)");
    q.name = QStringLiteral("Debian GNU/Linux");
    TacSystemInfo si(q);
    const struct {
        const char* release;
        int major, minor, build;
    } cases[] = {{"6.1.0-18-amd64", 6, 1, 0},
                 {"5.15.153.1-microsoft-standard-WSL2", 5, 15, 153},
                 {"4.19.70000", 4, 19, 70000 & 0xFFFF},
                 {"6.8-rc1", 6, 8, -1},
                 {"", -1, -1, -1},
                 {"weird", -1, -1, -1}};
    for (const auto& c : cases) {
        q.release = QString::fromLatin1(c.release);
        EXPECT_EQ(si.WinVersionNumber(), q.release);
        EXPECT_EQ(si.WinVersionMajor(), c.major) << c.release;
        EXPECT_EQ(si.WinVersionMinor(), c.minor) << c.release;
        EXPECT_EQ(si.WinVersionBuild(), c.build) << c.release;
    }
    EXPECT_EQ(si.WinVersion(), q.prettyName);
    EXPECT_EQ(si.WinProductName(), q.name);
    EXPECT_EQ(si.OSVersion(), osUnknown);
    EXPECT_FALSE(si.WinNT());
}

TEST(SystemInfo, SerialNumberTextDropsLeadingZerosAndSplitsAfterFourDigits)
{
    const struct {
        std::uint32_t serial;
        const char* text;
    } cases[] = {{0x1A2B3C4D, "1A2B-3C4D"}, {0x0012ABCD, "12AB-CD"}, {0x0000ABCD, "ABCD"},
                 {0, "0"},                  {0xFFFFFFFF, "FFFF-FFFF"}, {0x00012345, "1234-5"}};
    for (const auto& c : cases)
        EXPECT_EQ(TacSystemInfo::serialNumberText(c.serial), QString::fromLatin1(c.text));

    FakeSystemQueries q;
    q.fsid = 0xDEADBEEF00123456ULL;  // only the low 32 bits count
    TacSystemInfo si(q);
    EXPECT_EQ(si.DiskCSerialNumber(), 0x00123456u);
    EXPECT_EQ(si.DiskCSerialNumberStr(), QStringLiteral("1234-56"));
}

TEST(SystemInfo, OnlineWhenTheHostNameResolvesToAnythingButLoopback)
{
    FakeSystemQueries q;
    TacSystemInfo si(q);
    EXPECT_EQ(si.InternetStatus(), iOffline);  // does not resolve
    q.addresses[QStringLiteral("box")] = {QStringLiteral("127.0.0.1")};
    EXPECT_EQ(si.InternetStatus(), iOffline);
    q.addresses[QStringLiteral("box")] = {QStringLiteral("127.0.0.1"), QStringLiteral("192.168.1.5")};
    EXPECT_EQ(si.InternetStatus(), iOnline);
    q.addresses[QStringLiteral("box")] = {QStringLiteral("192.168.1.5"), QStringLiteral("127.0.0.1")};
    EXPECT_EQ(si.InternetStatus(), iOffline);  // the last address decides
}

TEST(SystemInfo, ProgramPathOfACommandLine)
{
    const struct {
        const char* command;
        const char* program;
    } cases[] = {
        {"/usr/lib/firefox-esr/firefox-esr %u", "/usr/lib/firefox-esr/firefox-esr"},
        {"  \"/opt/My Browser/browser\" --new-window %U ", "/opt/My Browser/browser"},
        {"browser.bin \"%1\"", "browser.bin"},  // the text before the quote less the blank in front of it
        {"chromium --incognito", "chromium"},
        {"iexplore.exe -nohome", "iexplore.exe"},
        {"viewer x.y -nohome", "viewer x.y"},
        {"prog -file.txt", "prog -file.txt"},  // the cut would lose the line's extension
        {"plain", "plain"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TacSystemInfo::programPathOfCommand(QString::fromUtf8(c.command)), QString::fromUtf8(c.program))
            << c.command;

    FakeSystemQueries q;
    TacSystemInfo si(q);
    EXPECT_EQ(si.DefaultBrowser(), QString());
    q.browserCommand = QStringLiteral("firefox-esr %u");
    EXPECT_EQ(si.DefaultBrowser(), QStringLiteral("/usr/bin/firefox-esr"));
}

TEST(SystemInfo, ProcessorAndScreenFromTheSystem)
{
    FakeSystemQueries q;
    TacSystemInfo si(q);
    const struct {
        const char* machine;
        TacCPUArchitecture architecture;
        TacCPUType type;
    } cases[] = {{"x86_64", paINTEL, ptPentium}, {"i686", paINTEL, ptPentium}, {"i386", paINTEL, ptIntel386},
                 {"i486", paINTEL, ptIntel486},  {"mips64", paMIPS, ptUNKNOWN}, {"alpha", paALPHA, ptUNKNOWN},
                 {"ppc64le", paPPC, ptUNKNOWN},  {"aarch64", paUNKNOWN, ptUNKNOWN}};
    for (const auto& c : cases) {
        q.arch = QString::fromLatin1(c.machine);
        EXPECT_EQ(si.CPUArchitecture(), c.architecture) << c.machine;
        EXPECT_EQ(si.CPUType(), c.type) << c.machine;
    }
    q.arch = QStringLiteral("x86_64");
    q.cpu = {{QStringLiteral("cpu family"), QStringLiteral("6")},
             {QStringLiteral("model"), QStringLiteral("85")},
             {QStringLiteral("stepping"), QStringLiteral("7")},
             {QStringLiteral("vendor_id"), QStringLiteral("GenuineIntel")}};
    EXPECT_EQ(si.CPUIdentifier(), QStringLiteral("x86_64 Family 6 Model 85 Stepping 7"));
    EXPECT_EQ(si.CPUVendor(), QStringLiteral("GenuineIntel"));
    EXPECT_EQ(si.CPUsNumber(), 4);

    const struct {
        ScreenMode mode;
        TacScreenColorMode colors;
        TacScreenResolution resolution;
    } screens[] = {{{24, 1280, 1024}, sm24bit, sr1280x1024}, {{32, 1024, 768}, sm32bit, sr1024x768},
                   {{16, 1920, 1080}, sm16bit, sr640x480},   {{30, 800, 600}, sm8bit, sr800x600}};
    for (const auto& s : screens) {
        q.screen = s.mode;
        EXPECT_EQ(si.ScreenColorMode(), s.colors);
        EXPECT_EQ(si.ScreenResolution(), s.resolution);
    }
}

TEST(SystemInfo, ThisMachineGivesPlausibleFigures)
{
    TacSystemInfo si;
    EXPECT_GT(si.MemTotalPhisical(), 0);
    EXPECT_GT(si.MemAvailPhisical(), 0);
    EXPECT_LE(si.MemAvailPhisical(), si.MemTotalPhisical());
    EXPECT_GT(si.SystemUpTime(), 0);
    EXPECT_FALSE(si.CurrentUserName().isEmpty());
    EXPECT_FALSE(si.ComputerName().isEmpty());
    EXPECT_FALSE(si.WinVersionNumber().isEmpty());
    EXPECT_GE(si.WinVersionMajor(), 2);
    EXPECT_GE(si.CPUsNumber(), 1);
    EXPECT_FALSE(si.DirTemp().endsWith(QLatin1Char('/')));
    const int mhz = si.CPUFrequency();
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_GT(mhz, 100);
    EXPECT_LT(mhz, 10000);
#else
    EXPECT_EQ(mhz, 0);
#endif
}
