#include "TacSystemInfo.h"

#include "ClockMeasurement.h"
#include "platform/LinuxSystemQueries.h"
#include "windowing/Rounding.h"

#include <QDir>
#include <QRegularExpression>
#include <QWidget>

namespace {
bool hasExtension(const QString& path)
{
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.indexOf(QLatin1Char('.'), slash + 1) >= 0;
}
}  // namespace

TacSystemInfo::TacSystemInfo(const SystemQueries& queries, QObject* owner) : QObject(owner), queries_(queries)
{
    setObjectName(QStringLiteral("SI"));
}

TacSystemInfo::TacSystemInfo(QObject* owner) : TacSystemInfo(LinuxSystemQueries::instance(), owner) {}

QWidget* TacSystemInfo::ownerForm() const
{
    auto* widget = qobject_cast<QWidget*>(parent());
    return widget && widget->isWindow() ? widget : nullptr;
}

QString TacSystemInfo::CurrentUserName() const { return queries_.loginName(); }

int TacSystemInfo::CPUFrequency() const { return ClockMeasurement::measure(queries_); }

std::int64_t TacSystemInfo::MemTotalPhisical() const
{
    const auto m = queries_.memory();
    return m ? m->totalPhysical : 0;
}

std::int64_t TacSystemInfo::MemAvailPhisical() const
{
    const auto m = queries_.memory();
    return m ? m->availPhysical : 0;
}

std::int64_t TacSystemInfo::MemTotalVirtual() const
{
    const auto m = queries_.memory();
    return m ? m->totalVirtual : 0;
}

std::int64_t TacSystemInfo::MemAvailVirtual() const
{
    const auto m = queries_.memory();
    return m ? m->availVirtual : 0;
}

int TacSystemInfo::MemLoad() const
{
    const auto m = queries_.memory();
    if (!m || m->totalPhysical <= 0)
        return 0;
    const double used = static_cast<double>(m->totalPhysical - std::min(m->availPhysical, m->totalPhysical));
    return roundInt(used * 100.0 / static_cast<double>(m->totalPhysical));
}

// Linux has no DirectX; the report line ends after its separator.
QString TacSystemInfo::WinDirectXVersion() const { return {}; }

std::int64_t TacSystemInfo::SystemUpTime() const { return std::max<std::int64_t>(queries_.upTimeSeconds(), 0); }

QString TacSystemInfo::ComputerDescription() const { return {}; }
QString TacSystemInfo::ComputerName() const { return queries_.hostName(); }
QString TacSystemInfo::ComputerWorkgroup() const { return {}; }

QString TacSystemInfo::DefaultBrowser() const
{
    const QString program = programPathOfCommand(queries_.defaultBrowserCommand());
    if (program.isEmpty() || QDir::isAbsolutePath(program))
        return program;
    const QString found = queries_.findExecutable(program);
    return found.isEmpty() ? program : found;
}

QString TacSystemInfo::DirAppData() const { return queries_.folder(SystemFolder::DataHome); }
QString TacSystemInfo::DirCache() const { return queries_.folder(SystemFolder::CacheHome); }
QString TacSystemInfo::DirCookies() const { return {}; }
QString TacSystemInfo::DirDesktop() const { return queries_.folder(SystemFolder::Desktop); }
QString TacSystemInfo::DirFavorites() const { return {}; }
QString TacSystemInfo::DirFonts() const { return queries_.folder(SystemFolder::FontsHome); }
QString TacSystemInfo::DirHistory() const { return {}; }
QString TacSystemInfo::DirMyPictures() const { return queries_.folder(SystemFolder::Pictures); }
QString TacSystemInfo::DirNetHood() const { return {}; }
QString TacSystemInfo::DirPersonal() const { return queries_.folder(SystemFolder::Documents); }
QString TacSystemInfo::DirPrintHood() const { return {}; }
QString TacSystemInfo::DirPrograms() const { return queries_.folder(SystemFolder::ApplicationsHome); }
QString TacSystemInfo::DirRecent() const { return {}; }
QString TacSystemInfo::DirSendTo() const { return {}; }
QString TacSystemInfo::DirStartMenu() const { return {}; }
QString TacSystemInfo::DirStartup() const { return queries_.folder(SystemFolder::AutostartHome); }
QString TacSystemInfo::DirTemplates() const { return queries_.folder(SystemFolder::Templates); }
QString TacSystemInfo::DirAppDataAll() const { return queries_.folder(SystemFolder::SystemData); }
QString TacSystemInfo::DirFavoritesAll() const { return {}; }
QString TacSystemInfo::DirProgramsAll() const { return queries_.folder(SystemFolder::SystemApplications); }
QString TacSystemInfo::DirStartMenuAll() const { return {}; }
QString TacSystemInfo::DirStartupAll() const { return queries_.folder(SystemFolder::SystemAutostart); }
QString TacSystemInfo::DirTemplatesAll() const { return {}; }
QString TacSystemInfo::DirCommonFiles() const { return queries_.folder(SystemFolder::SystemData); }
QString TacSystemInfo::DirMedia() const { return queries_.folder(SystemFolder::SystemSounds); }
QString TacSystemInfo::DirProgramFiles() const { return queries_.folder(SystemFolder::Programs); }
QString TacSystemInfo::DirSystem() const { return {}; }
QString TacSystemInfo::DirTemp() const { return queries_.folder(SystemFolder::Temp); }
QString TacSystemInfo::DirWindows() const { return {}; }

std::uint32_t TacSystemInfo::DiskCSerialNumber() const
{
    const auto id = queries_.rootFileSystemId();
    return id ? static_cast<std::uint32_t>(*id) : 0;
}

QString TacSystemInfo::DiskCSerialNumberStr() const { return serialNumberText(DiskCSerialNumber()); }

QString TacSystemInfo::serialNumberText(std::uint32_t serial)
{
    QString digits = QStringLiteral("%1").arg(serial, 8, 16, QLatin1Char('0')).toUpper();
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    if (digits.size() >= 5)
        digits.insert(4, QLatin1Char('-'));
    return digits;
}

TacInternetStatus TacSystemInfo::InternetStatus() const
{
    const QStringList addresses = queries_.hostAddresses(queries_.hostName());
    const QString last = addresses.isEmpty() ? QString() : addresses.last();
    return !last.isEmpty() && last != QLatin1String("127.0.0.1") ? iOnline : iOffline;
}

TacOSVersion TacSystemInfo::OSVersion() const { return osUnknown; }
bool TacSystemInfo::WinNT() const { return false; }
QString TacSystemInfo::OwnerName() const { return {}; }
QString TacSystemInfo::OwnerCompany() const { return {}; }

QString TacSystemInfo::CPUIdentifier() const
{
    const QString family = queries_.cpuInfo(QStringLiteral("cpu family"));
    const QString model = queries_.cpuInfo(QStringLiteral("model"));
    const QString stepping = queries_.cpuInfo(QStringLiteral("stepping"));
    if (family.isEmpty() || model.isEmpty() || stepping.isEmpty())
        return queries_.cpuInfo(QStringLiteral("model name"));
    return QStringLiteral("%1 Family %2 Model %3 Stepping %4").arg(queries_.machine(), family, model, stepping);
}

QString TacSystemInfo::CPUVendor() const { return queries_.cpuInfo(QStringLiteral("vendor_id")); }

TacCPUArchitecture TacSystemInfo::CPUArchitecture() const
{
    const QString m = queries_.machine();
    static const QRegularExpression x86(QStringLiteral("^(i[3-6]86|x86_64|amd64)$"));
    if (x86.match(m).hasMatch())
        return paINTEL;
    if (m.startsWith(QLatin1String("mips")))
        return paMIPS;
    if (m.startsWith(QLatin1String("alpha")))
        return paALPHA;
    if (m.startsWith(QLatin1String("ppc")) || m.startsWith(QLatin1String("powerpc")))
        return paPPC;
    return paUNKNOWN;
}

TacCPUType TacSystemInfo::CPUType() const
{
    const QString m = queries_.machine();
    if (m == QLatin1String("i386"))
        return ptIntel386;
    if (m == QLatin1String("i486"))
        return ptIntel486;
    // Every later x86 processor, 64-bit ones included, counts as a Pentium.
    if (m == QLatin1String("i586") || m == QLatin1String("i686") || m == QLatin1String("x86_64") ||
        m == QLatin1String("amd64"))
        return ptPentium;
    return ptUNKNOWN;
}

int TacSystemInfo::CPUsNumber() const { return queries_.processorCount(); }

TacScreenColorMode TacSystemInfo::ScreenColorMode() const
{
    switch (queries_.screenMode().bitsPerPixel) {
    case 4: return sm4bit;
    case 16: return sm16bit;
    case 24: return sm24bit;
    case 32: return sm32bit;
    default: return sm8bit;
    }
}

TacScreenResolution TacSystemInfo::ScreenResolution() const
{
    const ScreenMode mode = queries_.screenMode();
    static constexpr struct {
        int w, h;
        TacScreenResolution value;
    } sizes[] = {{640, 480, sr640x480},   {800, 600, sr800x600},   {1024, 768, sr1024x768},
                 {1152, 864, sr1152x864}, {1280, 960, sr1280x960}, {1280, 1024, sr1280x1024}};
    for (const auto& s : sizes)
        if (s.w == mode.width && s.h == mode.height)
            return s.value;
    return sr640x480;
}

QString TacSystemInfo::ScreenSaver() const { return {}; }
QString TacSystemInfo::SystemPathes() const { return queries_.environment("PATH"); }
QString TacSystemInfo::WinProductID() const { return {}; }
QString TacSystemInfo::WinProductName() const { return queries_.osName(); }
QString TacSystemInfo::WinVersion() const { return queries_.osPrettyName(); }
QString TacSystemInfo::WinVersionNumber() const { return queries_.kernelRelease(); }
QString TacSystemInfo::WinVersionSubNumber() const { return {}; }

// The kernel release reads "major.minor.patch-extra"; each part is the
// number it starts with.
int TacSystemInfo::versionPart(int index) const
{
    const QStringList parts = queries_.kernelRelease().split(QLatin1Char('.'));
    if (index >= parts.size())
        return -1;
    static const QRegularExpression leadingDigits(QStringLiteral("^\\d{1,9}"));
    const QRegularExpressionMatch m = leadingDigits.match(parts[index]);
    return m.hasMatch() ? m.captured().toInt() : -1;
}

int TacSystemInfo::WinVersionMajor() const { return versionPart(0); }
int TacSystemInfo::WinVersionMinor() const { return versionPart(1); }

int TacSystemInfo::WinVersionBuild() const
{
    const int build = versionPart(2);
    return build < 0 ? -1 : (build & 0xFFFF);
}

QString TacSystemInfo::programPathOfCommand(const QString& command)
{
    const QString text = command.trimmed();
    const qsizetype open = text.indexOf(QLatin1Char('"'));
    const qsizetype close = open >= 0 ? text.indexOf(QLatin1Char('"'), open + 1) : -1;
    if (close > open && open >= 0) {
        if (open == 0)
            return text.mid(1, close - 1).trimmed();
        return text.left(open - 1).trimmed();
    }
    for (const char* marker : {" -", " /", " \\", ",", " %"}) {
        const qsizetype at = text.indexOf(QLatin1String(marker));
        if (at < 0)
            continue;
        const QString before = text.left(at);
        if (hasExtension(before) || !hasExtension(text))
            return before.trimmed();
    }
    return text;
}
