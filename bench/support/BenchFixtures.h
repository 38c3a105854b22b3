#pragma once
// Pieces the picture benchmarks share.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

struct rusage;

// Something like a photograph as a binary PPM: smooth gradients with fine
// noise, so an encoder has real detail to keep.
QByteArray photoPpm(int width, int height);

// Writes the missing ones of count photo-sized JPEGs (8 to 24 megapixels,
// every other one progressive) named photo000.jpg… into folder, with cjpeg.
void makePhotoFolder(const QString& folder, int count);

// Reads the files once, so that what follows finds them in memory.
void readIntoPageCache(const QString& folder, const QStringList& files);

// The peer of the thumbnail benchmarks: vipsthumbnail -s 100 in two
// processes, writing into outDir, the files split as evenly as their sizes
// allow (largest first, each to the lighter half): a split by turns would
// hand one process all the progressive photos of the generated folder.
std::vector<std::vector<std::string>> peerCommands(const QString& folder, const QStringList& files,
                                                   const QString& outDir);

double median(std::vector<double> values);

// What a finished child process took.
struct ChildRun {
    double wallMs = 0;
    double cpuMs = 0;       // user + system
    long peakRssKb = 0;
    std::string output;     // its standard output, trimmed, when kept in a file
};

// Runs a program to completion with its standard output sent to stdoutPath;
// ends the benchmark when the program cannot run or fails.
ChildRun runChild(std::vector<std::string> args, const std::string& stdoutPath = "/dev/null");

double cpuMs(const rusage& usage);
