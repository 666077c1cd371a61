// Spectral measurements of a signal: its main frequencies and the grid of
// levels that a spectrogram picture shows.
#pragma once

#include <complex>
#include <vector>

// In-place forward transform, X[k] = Σ x[j] e^(-2πi jk/n); n a power of two.
void fourierTransform(std::vector<std::complex<double>>& data);

struct SpectralPeak {
    double hz = 0.0;
    double level = 0.0;  // dB relative to a full-scale sine
};

// The strongest distinct peaks of the signal's long-term spectrum between
// minHz and maxHz (and above 20 Hz), within 50 dB of the strongest there, at
// most `count`, in rising order of frequency. Frequencies are interpolated
// between bins.
std::vector<SpectralPeak> mainFrequencies(const std::vector<float>& samples, int sampleRate, int count,
                                          double minHz = 20.0, double maxHz = 1e9);

// Levels over time and a logarithmic frequency axis: row 0 is maxHz, the last
// row minHz; each cell is the strongest level (dB relative to a full-scale
// sine) within its frequency span at the column's moment.
struct SpectrogramGrid {
    int columns = 0;
    int rows = 0;
    double minHz = 0.0;
    double maxHz = 0.0;
    std::vector<float> levels;  // rows × columns, row by row

    float at(int column, int row) const { return levels[static_cast<std::size_t>(row) * columns + column]; }
    // Row position (0 at the top, rows at the bottom) of a frequency.
    double rowOf(double hz) const;
};

SpectrogramGrid computeSpectrogram(const std::vector<float>& samples, int sampleRate, int columns, int rows,
                                   double minHz, double maxHz);
