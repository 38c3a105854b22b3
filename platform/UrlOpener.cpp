#include "UrlOpener.h"

#include <QDesktopServices>

bool DesktopUrlOpener::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

DesktopUrlOpener& DesktopUrlOpener::instance()
{
    static DesktopUrlOpener opener;  // holds no state
    return opener;
}
