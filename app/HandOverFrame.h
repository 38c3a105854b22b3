#pragma once
// The frame a later start hands its files over in: its length (4 bytes,
// big-endian), then each name as a kind byte ('F' found, 'M' missing), its
// UTF-8 text and a NUL; a count of names left out is 'D' with the number in
// decimal. An empty frame only asks for the main window.
#include "NamedFiles.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace HandOverFrame {

// The most a frame's body may hold: the names one start may carry.
inline constexpr qsizetype kMaxPayload = kMaxNamedBytes + 2 * qsizetype(kMaxNamedFiles) + 16;
// The running copy's answer once it has taken a frame's names.
inline constexpr char kTaken = '1';

QByteArray encode(const NamedFiles& files);
// The body's length from the frame's first 4 bytes.
quint32 payloadLength(const char head[4]);
// Nothing when the body is not a list of names within the limits.
std::optional<NamedFiles> decodePayload(QByteArrayView payload);

}  // namespace HandOverFrame
