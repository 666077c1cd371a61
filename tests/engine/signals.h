// Test signals and the measurements that listen to the engine's output:
// tones, noise, and the frequency, level and signal-to-noise ratio of a tone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace signals {

constexpr double kRate = 44100.0;

std::vector<float> sine(double frequency, double amplitude, size_t length, double rate = kRate,
                        double phase = 0.0);
std::vector<float> noise(size_t length, double amplitude, uint32_t seed);
// A sweep from f0 to f1 Hz (exponential), for signals that visit every band.
std::vector<float> sweep(double f0, double f1, double amplitude, size_t length, double rate = kRate);

struct Tone {
    double frequency;  // Hz, from the interpolated spectral peak
    double amplitude;  // peak amplitude of the strongest partial
    double snrDb;      // power near the peak against all the rest
};

// Strongest partial of x[start, start + 65536 or less): a Blackman-Harris
// windowed spectrum, the peak interpolated on the log magnitudes.
Tone analyseTone(const std::vector<float>& x, size_t start, size_t length, double rate = kRate);

// Signal to noise and distortion of a tone: the best-fitting single sinusoid
// (frequency searched near the spectral peak) against everything else.
double sineFitSnrDb(const std::vector<float>& x, size_t start, size_t length, double rate = kRate);

double rms(const std::vector<float>& x, size_t start, size_t length);

}  // namespace signals
