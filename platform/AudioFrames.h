#pragma once
// The exact length of a bare MPEG audio (MP1/MP2/MP3) or AC-3 stream, read
// from its frame headers instead of estimated from its bitrate: the VBR
// header (Xing, Info or VBRI) when the first frame carries one, otherwise
// every frame header counted. Reading the headers of a whole file takes a
// few milliseconds and never decodes audio.
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

// Empty when the data is not such a stream: it must start (after an ID3v2
// tag) with a frame whose successor is a frame of the same kind.
std::optional<std::int64_t> audioFramesLengthMs(QByteArrayView data);

// The same for a regular file; empty when it cannot be read.
std::optional<std::int64_t> audioFileLengthMs(const QString& fileName);
