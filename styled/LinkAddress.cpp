#include "LinkAddress.h"

namespace {
QString encoded(const QString& value, const QByteArray& keep = {})
{
    return QString::fromLatin1(value.toUtf8().toPercentEncoding(keep));
}
}  // namespace

QString mailtoAddress(const MailLink& link)
{
    const QString recipient =
        link.name.isEmpty() ? link.address : link.name + QStringLiteral(" <") + link.address + QLatin1Char('>');
    return QStringLiteral("mailto:") + encoded(recipient, "@") + QStringLiteral("?Subject=") + encoded(link.subject) +
           QStringLiteral("&Body=") + encoded(link.body) + QStringLiteral("&CC=") + encoded(link.copy) +
           QStringLiteral("&BCC=") + encoded(link.blindCopy);
}

QString webAddress(const QString& address)
{
    return address.contains(QLatin1String("://")) ? address : QStringLiteral("http://") + address;
}

QUrl linkUrl(const QString& address) { return QUrl::fromEncoded(address.toUtf8(), QUrl::StrictMode); }
