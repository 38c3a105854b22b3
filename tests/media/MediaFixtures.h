#pragma once
// Small media files made with GStreamer on first use and shared by the tests
// of one program. Each lasts two seconds.
#include <QString>

enum class Fixture { Wav, Ogg, Mp3, VbrMp3, Ac3, Midi, Rmi, MjpegAvi, Mpeg4Avi, Mpeg1, Wmv, VideoOnlyAvi };

// Path of the fixture, made when first asked for; empty when GStreamer could
// not make it.
QString fixture(Fixture kind);

// A fresh path in the shared folder for a file the test writes itself.
QString scratchPath(const QString& name);
