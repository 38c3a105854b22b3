#pragma once
// Pieces the picture benchmarks share.
#include <QByteArray>

#include <string>
#include <vector>

struct rusage;

// Something like a photograph as a binary PPM: smooth gradients with fine
// noise, so an encoder has real detail to keep.
QByteArray photoPpm(int width, int height);

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
