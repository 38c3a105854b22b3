#pragma once
// Answers questions about the machine and the operating system. Nothing is
// cached: every read asks the system again. Memory figures are bytes, the
// up time seconds and the processor clock MHz; callers convert them.
// Where Linux has nothing that stands in for a value, text is empty and a
// number -1. Settings of the system (display mode, names, folders) are only
// read, never written.
#include <QObject>
#include <QString>
#include <cstdint>

class SystemQueries;

enum TacOSVersion { osUnknown, os95, os95OSR2, os98, os98SE, osNT3, osNT4, os2K, osME, osXP };
enum TacCPUArchitecture { paINTEL, paMIPS, paALPHA, paPPC, paUNKNOWN };
enum TacCPUType { ptIntel386, ptIntel486, ptPentium, ptMIPS_R4000, ptALPHA_21064, ptUNKNOWN };
enum TacScreenColorMode { sm4bit, sm8bit, sm16bit, sm24bit, sm32bit };
enum TacScreenResolution { sr640x480, sr800x600, sr1024x768, sr1152x864, sr1280x960, sr1280x1024 };
enum TacInternetStatus { iOffline, iOnline };

class TacSystemInfo : public QObject {
    Q_OBJECT
public:
    // queries must outlive the component.
    explicit TacSystemInfo(const SystemQueries& queries, QObject* owner = nullptr);
    // Asks this machine.
    explicit TacSystemInfo(QObject* owner = nullptr);

    // The system report's six values.
    QString CurrentUserName() const;
    int CPUFrequency() const;  // measured anew on every read
    std::int64_t MemTotalPhisical() const;
    std::int64_t MemAvailPhisical() const;
    QString WinDirectXVersion() const;
    std::int64_t SystemUpTime() const;

    QString ComputerDescription() const;
    QString ComputerName() const;
    QString ComputerWorkgroup() const;
    QString DefaultBrowser() const;

    QString DirAppData() const;
    QString DirCache() const;
    QString DirCookies() const;
    QString DirDesktop() const;
    QString DirFavorites() const;
    QString DirFonts() const;
    QString DirHistory() const;
    QString DirMyPictures() const;
    QString DirNetHood() const;
    QString DirPersonal() const;
    QString DirPrintHood() const;
    QString DirPrograms() const;
    QString DirRecent() const;
    QString DirSendTo() const;
    QString DirStartMenu() const;
    QString DirStartup() const;
    QString DirTemplates() const;
    QString DirAppDataAll() const;
    QString DirFavoritesAll() const;
    QString DirProgramsAll() const;
    QString DirStartMenuAll() const;
    QString DirStartupAll() const;
    QString DirTemplatesAll() const;
    QString DirCommonFiles() const;
    QString DirMedia() const;
    QString DirProgramFiles() const;
    QString DirSystem() const;
    QString DirTemp() const;
    QString DirWindows() const;

    std::uint32_t DiskCSerialNumber() const;
    QString DiskCSerialNumberStr() const;
    TacInternetStatus InternetStatus() const;
    std::int64_t MemAvailVirtual() const;
    std::int64_t MemTotalVirtual() const;
    int MemLoad() const;  // percent of physical memory in use
    TacOSVersion OSVersion() const;
    QString OwnerName() const;
    QString OwnerCompany() const;
    QString CPUIdentifier() const;
    QString CPUVendor() const;
    TacCPUArchitecture CPUArchitecture() const;
    TacCPUType CPUType() const;
    int CPUsNumber() const;
    TacScreenColorMode ScreenColorMode() const;
    TacScreenResolution ScreenResolution() const;
    QString ScreenSaver() const;
    QString SystemPathes() const;
    bool WinNT() const;
    QString WinProductID() const;
    QString WinProductName() const;
    QString WinVersion() const;
    int WinVersionBuild() const;
    int WinVersionMajor() const;
    int WinVersionMinor() const;
    QString WinVersionNumber() const;
    QString WinVersionSubNumber() const;

    // The owner when it is a window, else nothing.
    QWidget* ownerForm() const;

    // Eight hexadecimal digits of serial without leading zeros, a "-" before the fifth.
    static QString serialNumberText(std::uint32_t serial);
    // The program of a command line: the quoted part, or the text before its parameters.
    static QString programPathOfCommand(const QString& command);

private:
    int versionPart(int index) const;

    const SystemQueries& queries_;
};
