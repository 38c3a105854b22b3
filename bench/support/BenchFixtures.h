#pragma once
// Pieces the picture benchmarks share.
#include <QByteArray>

#include <vector>

// Something like a photograph as a binary PPM: smooth gradients with fine
// noise, so an encoder has real detail to keep.
QByteArray photoPpm(int width, int height);

double median(std::vector<double> values);
