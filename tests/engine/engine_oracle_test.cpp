// The optimised engine, in every instruction-set version this processor runs, produces bit for bit the output of the plain reference implementation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "effect/pitch_engine.h"
#include "tests/engine/reference_engine.h"
#include "tests/engine/signals.h"

namespace {

struct Scenario {
    std::string name;
    std::vector<float> input;
    reference::Taps taps;
    float sampleRate;
    uint32_t blockSeed;  // 0: one block per 512 samples; otherwise random block lengths 1 to 5000
};

float factorFor(double semitones) { return static_cast<float>(std::pow(2.0, semitones / 12.0)); }

reference::Taps taps(std::initializer_list<double> shifts, std::initializer_list<float> volumes,
                     std::initializer_list<int32_t> limits) {
    reference::Taps t;
    int n = 0;
    for (double s : shifts)
        t.factors[n++] = factorFor(s);
    n = 0;
    for (float v : volumes)
        t.volumes[n++] = v;
    n = 0;
    for (int32_t b : limits)
        t.bandLimits[n++] = b;
    return t;
}

std::vector<float> withBadSamples(std::vector<float> x) {
    const float inf = std::numeric_limits<float>::infinity();
    x[5000] = std::numeric_limits<float>::quiet_NaN();
    x[5001] = inf;
    x[9000] = -inf;
    for (size_t i = 20000; i < 20100; ++i)
        x[i] = 1e20f;  // a spectrum that overflows
    x[30000] = 3e38f;
    return x;
}

std::vector<float> concatenated(std::vector<float> a, const std::vector<float>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<Scenario> scenarios() {
    const size_t seconds3 = 3 * 44100;
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<Scenario> list;
    list.push_back({"noise through unshifted taps", signals::noise(seconds3, 0.5, 1), reference::Taps{}, 44100.0f, 7});
    list.push_back({"sweep through four whole-semitone shifts",
                    signals::sweep(40.0, 21000.0, 0.7, seconds3),
                    taps({7, -5, 12, -12}, {1.0f, 0.5f, 0.8f, 1.2f}, {1200, 4500, 11000, 20000}), 44100.0f, 11});
    list.push_back({"noise through fractional shifts at 48 kHz with moved limits",
                    signals::noise(seconds3, 0.3, 2),
                    taps({0.37, -3.3, 5.5, -11.76}, {0.9f, 1.0f, 0.25f, 2.0f}, {300, 2000, 2000, 15000}), 48000.0f,
                    13});
    list.push_back({"tones with samples that are not finite or overflow the spectrum",
                    withBadSamples(signals::sine(1000.0, 0.5, seconds3)),
                    taps({0, 3, -7, 12}, {1.0f, 1.0f, 1.0f, 1.0f}, {1200, 4500, 11000, 20000}), 44100.0f, 17});
    list.push_back({"silence, then a tone, then silence",
                    concatenated(concatenated(std::vector<float>(20000, 0.0f), signals::sine(440.0, 0.8, 30000)),
                                 std::vector<float>(40000, 0.0f)),
                    taps({-12, 0, 0, 12}, {1.0f, 0.0f, 1.0f, 1.0f}, {1200, 4500, 11000, 20000}), 44100.0f, 0});
    list.push_back({"signals so quiet that squared magnitudes become denormal",
                    signals::noise(seconds3 / 2, 3e-18, 3), reference::Taps{}, 44100.0f, 19});
    list.push_back({"factors far outside the usual range", signals::noise(seconds3, 0.5, 4),
                    taps({200, -2000, 100, -100}, {1.0f, 1.0f, 1.0f, 1.0f}, {1200, 4500, 11000, 20000}), 44100.0f, 23});
    Scenario infinite{"infinite and zero factors", signals::noise(seconds3, 0.5, 5), reference::Taps{}, 44100.0f, 29};
    infinite.taps.factors[0] = inf;
    infinite.taps.factors[1] = 0.0f;
    list.push_back(infinite);
    list.push_back({"band limits out of order and negative", signals::sweep(20.0, 20000.0, 0.5, seconds3),
                    taps({0, 12, -12, 5}, {1.0f, 1.0f, 1.0f, 1.0f}, {5000, 1000, -300, 3000}), 44100.0f, 31});
    return list;
}

void store(const reference::Taps& t, TapSettings& s) {
    for (int n = 0; n < 4; ++n) {
        s.volumes[n].store(t.volumes[n]);
        s.bandLimits[n].store(t.bandLimits[n]);
    }
}

const char* nameOf(pitch::InstructionSet set) {
    switch (set) {
        case pitch::InstructionSet::baseline:
            return "baseline";
        case pitch::InstructionSet::avx2:
            return "avx2";
        case pitch::InstructionSet::avx512:
            return "avx512";
    }
    return "?";
}

class EngineOracle : public ::testing::TestWithParam<pitch::InstructionSet> {};

INSTANTIATE_TEST_SUITE_P(InstructionSets, EngineOracle,
                         ::testing::Values(pitch::InstructionSet::baseline, pitch::InstructionSet::avx2,
                                           pitch::InstructionSet::avx512),
                         [](const auto& param) { return std::string(nameOf(param.param)); });

TEST_P(EngineOracle, OptimisedEngineMatchesReferenceBitForBit) {
    if (!pitch::supports(GetParam()))
        GTEST_SKIP() << "This processor cannot run the " << nameOf(GetParam()) << " stages.";
    for (const Scenario& scenario : scenarios()) {
        SCOPED_TRACE(scenario.name);
        auto engine = std::make_unique<PitchEngine>(GetParam());
        ASSERT_TRUE(engine->ready()) << "The FFT plans could not be made.";
        reference::Engine oracle;
        engine->setSampleRate(scenario.sampleRate);
        oracle.setSampleRate(scenario.sampleRate);
        TapSettings settings;
        store(scenario.taps, settings);

        const size_t length = scenario.input.size();
        std::vector<float> fast(length), plain(length);
        std::mt19937 blocks(scenario.blockSeed);
        std::uniform_int_distribution<int32_t> blockLength(1, 5000);
        for (size_t start = 0; start < length;) {
            const auto n = static_cast<int32_t>(
                std::min<size_t>(scenario.blockSeed == 0 ? 512 : static_cast<size_t>(blockLength(blocks)),
                                 length - start));
            engine->spectralPitchShift(scenario.input.data() + start, fast.data() + start, n, scenario.taps.factors,
                                       settings);
            oracle.process(scenario.input.data() + start, plain.data() + start, n, scenario.taps);
            start += static_cast<size_t>(n);
        }
        size_t mismatches = 0;
        size_t first = length;
        for (size_t i = 0; i < length; ++i) {
            if (std::memcmp(&fast[i], &plain[i], sizeof(float)) != 0) {
                ++mismatches;
                first = std::min(first, i);
            }
        }
        EXPECT_EQ(mismatches, 0u) << "The engine's output differs from the reference in " << mismatches
                                  << " samples, first at sample " << first << " (" << fast[first] << " against "
                                  << plain[first] << ").";
        size_t nonzero = 0;
        for (float v : plain)
            nonzero += v != 0.0f;
        EXPECT_GT(nonzero, 0u) << "The scenario should produce sound, or the comparison shows nothing.";
    }
}

}  // namespace
