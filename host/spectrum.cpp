#include "host/spectrum.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

std::vector<double> hannWindow(std::size_t size) {
    std::vector<double> window(size);
    for (std::size_t i = 0; i < size; ++i) {
        window[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(size));
    }
    return window;
}

// Power of each bin 0 to n/2 of one windowed frame that starts at `start`
// (samples outside the signal count as silence), scaled so that a
// full-scale sine on a bin reads 1.
std::vector<double> framePower(const std::vector<float>& samples, std::ptrdiff_t start,
                               const std::vector<double>& window) {
    const std::size_t n = window.size();
    std::vector<std::complex<double>> frame(n);
    for (std::size_t j = 0; j < n; ++j) {
        const std::ptrdiff_t at = start + static_cast<std::ptrdiff_t>(j);
        const double sample = at >= 0 && at < static_cast<std::ptrdiff_t>(samples.size())
                                  ? static_cast<double>(samples[static_cast<std::size_t>(at)])
                                  : 0.0;
        frame[j] = sample * window[j];
    }
    fourierTransform(frame);
    // A sine of amplitude A under a Hann window of n samples peaks at A n / 4.
    const double scale = 4.0 / static_cast<double>(n);
    std::vector<double> power(n / 2 + 1);
    for (std::size_t k = 0; k < power.size(); ++k) {
        power[k] = std::norm(frame[k] * scale);
    }
    return power;
}

double decibels(double power) { return 10.0 * std::log10(power + 1e-30); }

}  // namespace

void fourierTransform(std::vector<std::complex<double>>& data) {
    const std::size_t n = data.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(data[i], data[j]);
        }
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(length);
        const std::complex<double> unit(std::cos(angle), std::sin(angle));
        for (std::size_t block = 0; block < n; block += length) {
            std::complex<double> twiddle(1.0, 0.0);
            for (std::size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> even = data[block + k];
                const std::complex<double> odd = data[block + k + length / 2] * twiddle;
                data[block + k] = even + odd;
                data[block + k + length / 2] = even - odd;
                twiddle *= unit;
            }
        }
    }
}

std::vector<SpectralPeak> mainFrequencies(const std::vector<float>& samples, int sampleRate, int count, double minHz,
                                          double maxHz) {
    constexpr std::size_t kSize = 8192;
    constexpr std::size_t kHop = 2048;
    const std::vector<double> window = hannWindow(kSize);
    std::vector<double> power(kSize / 2 + 1, 0.0);
    std::size_t frames = 0;
    for (std::size_t start = 0; start == 0 || start + kSize <= samples.size(); start += kHop) {
        const std::vector<double> frame = framePower(samples, static_cast<std::ptrdiff_t>(start), window);
        for (std::size_t k = 0; k < power.size(); ++k) {
            power[k] += frame[k];
        }
        ++frames;
    }
    for (double& p : power) {
        p /= static_cast<double>(frames);
    }

    const double binHz = static_cast<double>(sampleRate) / static_cast<double>(kSize);
    const std::size_t lowest = std::max<std::size_t>(2, static_cast<std::size_t>(std::ceil(20.0 / binHz)));
    std::vector<SpectralPeak> candidates;
    for (std::size_t k = lowest; k + 2 < power.size(); ++k) {
        bool isPeak = power[k] > 0.0;
        for (std::size_t d = 1; d <= 2 && isPeak; ++d) {
            isPeak = power[k] >= power[k - d] && power[k] > power[k + d];
        }
        const double hz = static_cast<double>(k) * binHz;
        if (!isPeak || hz < minHz || hz > maxHz) {
            continue;
        }
        // A parabola through the three levels around the peak places it between bins.
        const double left = decibels(power[k - 1]);
        const double centre = decibels(power[k]);
        const double right = decibels(power[k + 1]);
        const double curvature = left - 2.0 * centre + right;
        const double offset = curvature < 0.0 ? 0.5 * (left - right) / curvature : 0.0;
        candidates.push_back({(static_cast<double>(k) + offset) * binHz,
                              centre - 0.25 * (left - right) * offset});
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const SpectralPeak& a, const SpectralPeak& b) { return a.level > b.level; });
    std::vector<SpectralPeak> chosen;
    if (candidates.empty() || candidates.front().level < -200.0) {
        return chosen;  // silence
    }
    for (const SpectralPeak& peak : candidates) {
        if (static_cast<int>(chosen.size()) >= count || peak.level < candidates.front().level - 50.0) {
            break;
        }
        const bool distinct = std::none_of(chosen.begin(), chosen.end(), [&](const SpectralPeak& other) {
            return std::abs(other.hz - peak.hz) < 3.0 * binHz;
        });
        if (distinct) {
            chosen.push_back(peak);
        }
    }
    std::sort(chosen.begin(), chosen.end(), [](const SpectralPeak& a, const SpectralPeak& b) { return a.hz < b.hz; });
    return chosen;
}

double SpectrogramGrid::rowOf(double hz) const {
    return static_cast<double>(rows) * (1.0 - std::log(hz / minHz) / std::log(maxHz / minHz));
}

SpectrogramGrid computeSpectrogram(const std::vector<float>& samples, int sampleRate, int columns, int rows,
                                   double minHz, double maxHz) {
    constexpr std::size_t kSize = 4096;
    const std::vector<double> window = hannWindow(kSize);
    SpectrogramGrid grid;
    grid.columns = columns;
    grid.rows = rows;
    grid.minHz = minHz;
    grid.maxHz = maxHz;
    grid.levels.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), -300.0f);

    const double binHz = static_cast<double>(sampleRate) / static_cast<double>(kSize);
    const double span = std::log(maxHz / minHz);
    const double frames = static_cast<double>(samples.size());
    for (int column = 0; column < columns; ++column) {
        const double centre = (static_cast<double>(column) + 0.5) / columns * frames;
        const auto start = static_cast<std::ptrdiff_t>(std::llround(centre)) - static_cast<std::ptrdiff_t>(kSize / 2);
        const std::vector<double> power = framePower(samples, start, window);
        for (int row = 0; row < rows; ++row) {
            // The row covers the frequencies between its two edges.
            const double highHz = minHz * std::exp(span * (1.0 - static_cast<double>(row) / rows));
            const double lowHz = minHz * std::exp(span * (1.0 - static_cast<double>(row + 1) / rows));
            const double centreHz = std::sqrt(lowHz * highHz);
            const auto firstBin = static_cast<std::size_t>(std::ceil(lowHz / binHz));
            const auto lastBin = std::min(static_cast<std::size_t>(std::floor(highHz / binHz)), power.size() - 1);
            double level = 0.0;
            if (firstBin <= lastBin) {
                level = *std::max_element(power.begin() + static_cast<std::ptrdiff_t>(firstBin),
                                          power.begin() + static_cast<std::ptrdiff_t>(lastBin) + 1);
            } else {
                // Narrower than a bin: interpolate between the two neighbouring bins.
                const double position = centreHz / binHz;
                const auto below = std::min(static_cast<std::size_t>(position), power.size() - 2);
                const double fraction = std::clamp(position - static_cast<double>(below), 0.0, 1.0);
                level = power[below] * (1.0 - fraction) + power[below + 1] * fraction;
            }
            grid.levels[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                        static_cast<std::size_t>(column)] = static_cast<float>(decibels(level));
        }
    }
    return grid;
}
