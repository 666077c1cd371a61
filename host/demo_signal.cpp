#include "host/demo_signal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// A fixed-seed generator, so every run writes the same demo files.
class Noise {
public:
    double next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) * (1.0 / 9007199254740992.0) * 2.0 - 1.0;
    }

private:
    uint64_t state = 0x2545F4914F6CDD1DULL;
};

double fade(double t, double length, double in, double out) {
    return std::clamp(std::min(t / in, (length - t) / out), 0.0, 1.0);
}

}  // namespace

std::vector<float> makeDemoSignal(int sampleRate, double seconds) {
    const auto frames = static_cast<std::size_t>(std::lround(seconds * sampleRate));
    std::vector<double> mix(frames, 0.0);
    const double rate = sampleRate;
    const double nyquistGuard = std::min(9000.0, 0.45 * rate);

    // The chord: A minor seventh in the bass and tenor, sawtooth-like tones
    // whose harmonics reach well into the second and third band.
    const double chord[] = {110.0, 164.81, 196.0, 261.63};
    for (double root : chord) {
        for (int n = 1; n * root < nyquistGuard; ++n) {
            const double amplitude = 0.06 / std::pow(n, 1.1);
            const double step = kTwoPi * n * root / rate;
            const double phase = 0.37 * n;  // spread the harmonics' phases
            for (std::size_t i = 0; i < frames; ++i) {
                const double t = static_cast<double>(i) / rate;
                mix[i] += amplitude * fade(t, seconds, 0.05, 0.3) * std::sin(step * static_cast<double>(i) + phase);
            }
        }
    }

    // The melody: eight notes in the first band, each with a few harmonics.
    const double melody[] = {659.26, 783.99, 880.0, 1046.50, 987.77, 880.0, 783.99, 659.26};
    const double noteLength = seconds / static_cast<double>(std::size(melody));
    for (std::size_t note = 0; note < std::size(melody); ++note) {
        const auto first = static_cast<std::size_t>(std::lround(static_cast<double>(note) * noteLength * rate));
        const auto last = std::min(frames, static_cast<std::size_t>(std::lround((static_cast<double>(note) + 1.0) * noteLength * rate)));
        for (int n = 1; n <= 6 && n * melody[note] < nyquistGuard; ++n) {
            const double amplitude = 0.16 / std::pow(n, 1.4);
            const double step = kTwoPi * n * melody[note] / rate;
            for (std::size_t i = first; i < last; ++i) {
                const double t = static_cast<double>(i - first) / rate;
                const double envelope = std::min(t / 0.02, 1.0) * std::exp(-2.2 * t) * fade(t, noteLength, 0.02, 0.03);
                mix[i] += amplitude * envelope * std::sin(step * static_cast<double>(i - first));
            }
        }
    }

    // Noise: a soft white floor over the whole spectrum.
    Noise noise;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        mix[i] += 0.006 * fade(t, seconds, 0.05, 0.3) * noise.next();
    }

    double peak = 0.0;
    for (double sample : mix) {
        peak = std::max(peak, std::abs(sample));
    }
    // Leave room for the effect's own gain and for taps that land together.
    const double gain = peak > 0.0 ? 0.4 / peak : 0.0;
    std::vector<float> signal(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        signal[i] = static_cast<float>(mix[i] * gain);
    }
    return signal;
}
