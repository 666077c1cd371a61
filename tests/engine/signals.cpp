#include "tests/engine/signals.h"

#include <cmath>
#include <complex>
#include <mutex>
#include <numbers>
#include <random>
#include <stdexcept>

#include <fftw3.h>

#include "effect/shared_transforms.h"

namespace signals {

std::vector<float> sine(double frequency, double amplitude, size_t length, double rate, double phase) {
    std::vector<float> x(length);
    for (size_t i = 0; i < length; ++i)
        x[i] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / rate + phase));
    return x;
}

std::vector<float> noise(size_t length, double amplitude, uint32_t seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    std::vector<float> x(length);
    for (float& v : x)
        v = static_cast<float>(uniform(generator));
    return x;
}

std::vector<float> sweep(double f0, double f1, double amplitude, size_t length, double rate) {
    std::vector<float> x(length);
    const double duration = static_cast<double>(length) / rate;
    const double growth = std::log(f1 / f0) / duration;
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double phase = 2.0 * std::numbers::pi * f0 * (std::exp(growth * t) - 1.0) / growth;
        x[i] = static_cast<float>(amplitude * std::sin(phase));
    }
    return x;
}

double rms(const std::vector<float>& x, size_t start, size_t length) {
    double sum = 0.0;
    for (size_t i = start; i < start + length; ++i)
        sum += static_cast<double>(x[i]) * x[i];
    return std::sqrt(sum / static_cast<double>(length));
}

Tone analyseTone(const std::vector<float>& x, size_t start, size_t length, double rate) {
    size_t n = 1;
    while (n * 2 <= length && n < 65536)
        n *= 2;
    if (start + n > x.size())
        throw std::invalid_argument("segment outside the signal");
    std::vector<float> in(n);
    double windowSquares = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double t = 2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n);
        const double w = 0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2 * t) - 0.01168 * std::cos(3 * t);
        windowSquares += w * w;
        in[i] = static_cast<float>(w * x[start + i]);
    }
    std::vector<std::complex<float>> out(n / 2 + 1);
    {
        // Planning and destroying plans are serialised with the engine's planning.
        std::lock_guard<std::mutex> lock(pitch::SharedTransforms::plannerMutex());
        fftwf_plan plan = fftwf_plan_dft_r2c_1d(static_cast<int>(n), in.data(),
                                                reinterpret_cast<fftwf_complex*>(out.data()), FFTW_ESTIMATE);
        fftwf_execute(plan);
        fftwf_destroy_plan(plan);
    }
    std::vector<double> power(out.size());
    size_t peak = 1;
    for (size_t k = 0; k < out.size(); ++k) {
        power[k] = std::norm(std::complex<double>(out[k]));
        if (k > 0 && power[k] > power[peak])
            peak = k;
    }
    double offset = 0.0;
    if (peak > 0 && peak + 1 < power.size()) {
        const double a = std::log(power[peak - 1] + 1e-300);
        const double b = std::log(power[peak] + 1e-300);
        const double c = std::log(power[peak + 1] + 1e-300);
        offset = 0.5 * (a - c) / (a - 2 * b + c);
    }
    // The window's main lobe is 4 bins wide on each side; allow 8 for the
    // slight wander of a resynthesised tone.
    double signal = 0.0;
    double rest = 0.0;
    for (size_t k = 1; k < power.size(); ++k) {
        if (k + 8 >= peak && k <= peak + 8)
            signal += power[k];
        else
            rest += power[k];
    }
    Tone tone;
    tone.frequency = (static_cast<double>(peak) + offset) * rate / static_cast<double>(n);
    // One-sided energy of a windowed sine of amplitude A is n A^2 sum(w^2) / 4.
    tone.amplitude = std::sqrt(4.0 * signal / (static_cast<double>(n) * windowSquares));
    tone.snrDb = 10.0 * std::log10(signal / (rest + 1e-300));
    return tone;
}

}  // namespace signals

namespace signals {

namespace {

// Least-squares fit of a cos + b sin + c at one frequency; answers the
// residual power and the power of the fitted sinusoid.
void fitAt(const std::vector<float>& x, size_t start, size_t length, double w, double& residual, double& fitted) {
    double s[3][3] = {};
    double r[3] = {};
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i);
        const double basis[3] = {std::cos(w * t), std::sin(w * t), 1.0};
        for (int p = 0; p < 3; ++p) {
            r[p] += basis[p] * x[start + i];
            for (int q = 0; q < 3; ++q)
                s[p][q] += basis[p] * basis[q];
        }
    }
    // Solve the 3x3 normal equations by Cramer's rule.
    auto det = [](const double m[3][3]) {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    const double d = det(s);
    double c[3];
    for (int p = 0; p < 3; ++p) {
        double m[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                m[i][j] = j == p ? r[i] : s[i][j];
        c[p] = det(m) / d;
    }
    residual = 0.0;
    fitted = 0.0;
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i);
        const double tone = c[0] * std::cos(w * t) + c[1] * std::sin(w * t);
        const double e = x[start + i] - tone - c[2];
        residual += e * e;
        fitted += tone * tone;
    }
}

}  // namespace

double sineFitSnrDb(const std::vector<float>& x, size_t start, size_t length, double rate) {
    const double guess = analyseTone(x, start, length, rate).frequency;
    // Golden-section search of the frequency within +-1 Hz of the spectral peak.
    double lo = guess - 1.0;
    double hi = guess + 1.0;
    const double g = (std::sqrt(5.0) - 1.0) / 2.0;
    auto residualAt = [&](double f) {
        double residual, fitted;
        fitAt(x, start, length, 2.0 * std::numbers::pi * f / rate, residual, fitted);
        return residual;
    };
    double a = hi - g * (hi - lo), b = lo + g * (hi - lo);
    double fa = residualAt(a), fb = residualAt(b);
    for (int i = 0; i < 40; ++i) {
        if (fa < fb) {
            hi = b;
            b = a;
            fb = fa;
            a = hi - g * (hi - lo);
            fa = residualAt(a);
        } else {
            lo = a;
            a = b;
            fa = fb;
            b = lo + g * (hi - lo);
            fb = residualAt(b);
        }
    }
    double residual, fitted;
    fitAt(x, start, length, 2.0 * std::numbers::pi * (0.5 * (lo + hi)) / rate, residual, fitted);
    return 10.0 * std::log10(fitted / residual);
}

}  // namespace signals
