#include "Errors.h"

#include <limits>

QString Exception::format(QString pattern, const QString& text)
{
    const int at = pattern.indexOf(QLatin1String("%s"));
    if (at >= 0)
        pattern.replace(at, 2, text);
    return pattern;
}

QString Exception::format(QString pattern, long long number)
{
    const int at = pattern.indexOf(QLatin1String("%d"));
    if (at >= 0)
        pattern.replace(at, 2, QString::number(number));
    return pattern;
}

int strToInt(const QString& text)
{
    // Decimal with an optional sign and nothing else: no spaces, no hex.
    bool ok = !text.isEmpty();
    long long value = 0;
    int i = 0;
    bool negative = false;
    if (ok && (text[0] == u'+' || text[0] == u'-')) {
        negative = text[0] == u'-';
        i = 1;
        ok = text.size() > 1;
    }
    for (; ok && i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < u'0' || c > u'9') {
            ok = false;
            break;
        }
        value = value * 10 + (c.unicode() - u'0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            ok = false;
    }
    if (ok) {
        value = negative ? -value : value;
        if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
            ok = false;
    }
    if (!ok)
        throw EConvertError(Exception::format(QStringLiteral("'%s' is not a valid integer value"), text));
    return static_cast<int>(value);
}
