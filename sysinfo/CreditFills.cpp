#include "CreditFills.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace CreditFills {

namespace {
const QStringList& sizedNames()
{
    static const QStringList names = {QStringLiteral("(BitmapCenter)"), QStringLiteral("(BitmapStretch)"),
                                      QStringLiteral("GradientHorz"),   QStringLiteral("GradientVert"),
                                      QStringLiteral("Harvard"),        QStringLiteral("Philadelphia")};
    return names;
}

const QStringList& fixedNames()
{
    static const QStringList names = {
        QStringLiteral("(ColorFill)"), QStringLiteral("(None)"),      QStringLiteral("(BitmapTile)"),
        QStringLiteral("Adobe"),       QStringLiteral("Alcatraz"),    QStringLiteral("ElPaso"),
        QStringLiteral("Hanoi"),       QStringLiteral("Holes"),       QStringLiteral("Hollywood"),
        QStringLiteral("Honolulu"),    QStringLiteral("London"),      QStringLiteral("Manhattan"),
        QStringLiteral("Minsk"),       QStringLiteral("Orleans"),     QStringLiteral("Oshawa"),
        QStringLiteral("Pittsburg"),   QStringLiteral("Sahara")};
    return names;
}

int channel(int start, long long step, int difference, int extent)
{
    const long long value = start + (step * difference) / extent;  // truncates toward zero
    return static_cast<int>(((value % 256) + 256) % 256);
}

void renderGradient(QImage& target, const Settings& settings, bool horizontal)
{
    const int extent = horizontal ? target.width() : target.height();
    const int across = horizontal ? target.height() : target.width();
    if (across <= 0)
        return;
    QPainter painter(&target);
    for (const Band& band : gradientBands(toQColor(settings.light), toQColor(settings.dark), extent)) {
        const QRect r = horizontal ? QRect(band.start, 0, band.width, across) : QRect(0, band.start, across, band.width);
        painter.fillRect(r, band.color);
    }
}
}  // namespace

bool isFillName(const QString& type) { return sizedNames().contains(type) || fixedNames().contains(type); }

bool dependsOnSize(const QString& type) { return sizedNames().contains(type); }

bool usesBitmap(const QString& type) { return type.startsWith(QLatin1String("(Bitmap")); }

std::vector<Band> gradientBands(const QColor& from, const QColor& to, int extent)
{
    std::vector<Band> bands;
    if (extent <= 0)
        return bands;
    const int dR = to.red() - from.red(), dG = to.green() - from.green(), dB = to.blue() - from.blue();
    const int n = std::max({std::abs(dR), std::abs(dG), std::abs(dB)}) + 1;
    const int w = extent / n + 1;
    for (int i = 0; i < n; ++i) {
        const long long step = static_cast<long long>(i) * w;
        if (step >= extent)
            break;
        bands.push_back({static_cast<int>(step), w,
                         QColor(channel(from.red(), step, dR, extent), channel(from.green(), step, dG, extent),
                                channel(from.blue(), step, dB, extent))});
    }
    return bands;
}

void render(QImage& target, const Settings& settings)
{
    const QString& type = settings.type;
    if (type == QLatin1String("(None)") || target.isNull())
        return;
    if (type == QLatin1String("GradientHorz") || type == QLatin1String("GradientVert")) {
        renderGradient(target, settings, type == QLatin1String("GradientHorz"));
        return;
    }
    QPainter painter(&target);
    painter.fillRect(target.rect(), toQColor(settings.normal));
    if (!usesBitmap(type) || settings.bitmap.isNull())
        return;
    const QImage& bitmap = settings.bitmap;
    if (type == QLatin1String("(BitmapStretch)"))
        painter.drawImage(target.rect(), bitmap);
    else if (type == QLatin1String("(BitmapCenter)"))
        painter.drawImage((target.width() - bitmap.width()) / 2, (target.height() - bitmap.height()) / 2, bitmap);
    else
        for (int y = 0; y < target.height(); y += bitmap.height())
            for (int x = 0; x < target.width(); x += bitmap.width())
                painter.drawImage(x, y, bitmap);
}

}  // namespace CreditFills
