#include "BenchFixtures.h"

#include <algorithm>

QByteArray photoPpm(int width, int height)
{
    QByteArray ppm = QByteArray("P6\n") + QByteArray::number(width) + ' ' + QByteArray::number(height) + "\n255\n";
    const qsizetype header = ppm.size();
    ppm.resize(header + qsizetype(width) * height * 3);
    auto* p = reinterpret_cast<unsigned char*>(ppm.data() + header);
    unsigned seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int((seed >> 16) & 31) - 16;
            *p++ = static_cast<unsigned char>(std::clamp(x * 255 / width + noise, 0, 255));
            *p++ = static_cast<unsigned char>(std::clamp(y * 255 / height + noise, 0, 255));
            *p++ = static_cast<unsigned char>(std::clamp(((x / 64 + y / 64) % 2) * 160 + 40 + noise, 0, 255));
        }
    return ppm;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
