#include "HandOverFrame.h"

#include <QtEndian>

namespace HandOverFrame {

QByteArray encode(const NamedFiles& files)
{
    QByteArray payload;
    for (const auto& [kind, names] : {std::pair{'F', &files.found}, std::pair{'M', &files.missing}})
        for (const QString& name : *names) {
            payload.append(kind);
            payload.append(name.toUtf8());
            payload.append('\0');
        }
    if (files.dropped > 0)
        payload.append('D').append(QByteArray::number(files.dropped)).append('\0');
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(payload.size()), frame.data());
    return frame + payload;
}

quint32 payloadLength(const char head[4]) { return qFromBigEndian<quint32>(head); }

std::optional<NamedFiles> decodePayload(QByteArrayView payload)
{
    if (payload.size() > kMaxPayload || (!payload.isEmpty() && !payload.endsWith('\0')))
        return std::nullopt;
    NamedFiles files;
    int names = 0;
    for (qsizetype start = 0; start < payload.size();) {
        const qsizetype end = payload.indexOf('\0', start);
        const QByteArrayView item = payload.sliced(start, end - start);
        start = end + 1;
        if (item.isEmpty() || item.size() - 1 > kMaxNameBytes)
            return std::nullopt;
        const QByteArrayView text = item.sliced(1);
        if (item[0] == 'D') {
            bool ok = false;
            files.dropped = text.toByteArray().toInt(&ok);
            if (!ok || files.dropped < 0)
                return std::nullopt;
            continue;
        }
        if (++names > kMaxNamedFiles || (item[0] != 'F' && item[0] != 'M'))
            return std::nullopt;
        (item[0] == 'F' ? files.found : files.missing).append(QString::fromUtf8(text));
    }
    return files;
}

}  // namespace HandOverFrame
