#pragma once
// Hands a web address or a "mailto:" address to the desktop, which opens the
// user's browser or mail composer. Nothing goes through a shell.
#include <QUrl>

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // False when the desktop has nothing to open the address with.
    virtual bool openUrl(const QUrl& url) = 0;
};

// The desktop's own way (xdg-open and its kin, through Qt).
class DesktopUrlOpener : public UrlOpener {
public:
    bool openUrl(const QUrl& url) override;
    static DesktopUrlOpener& instance();
};
