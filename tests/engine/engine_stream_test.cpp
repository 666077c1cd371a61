// The engine as an audio stream: delay and level, block-length and in-place independence, reset, bad samples, long-run quality and allocation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "effect/pitch_engine.h"
#include "tests/engine/alloc_counter.h"
#include "tests/engine/reference_engine.h"
#include "tests/engine/signals.h"

namespace {

struct TapSetup {
    float factors[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    TapSettings settings;
    TapSetup() {
        const int32_t limits[4] = {1200, 4500, 11000, 20000};
        for (int n = 0; n < 4; ++n) {
            settings.volumes[n].store(1.0f);
            settings.bandLimits[n].store(limits[n]);
        }
    }
    void shifts(std::initializer_list<double> semitones) {
        int n = 0;
        for (double s : semitones)
            factors[n++] = static_cast<float>(std::pow(2.0, s / 12.0));
    }
};

// Runs `input` through `engine` in blocks of `block` samples (0: random
// lengths from 1 to 5000), into a separate buffer or in place.
std::vector<float> run(PitchEngine& engine, const TapSetup& setup, const std::vector<float>& input, int32_t block,
                       bool inPlace = false, uint32_t seed = 1) {
    std::vector<float> output = inPlace ? input : std::vector<float>(input.size(), -7.0f);
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int32_t> lengths(1, 5000);
    for (size_t start = 0; start < input.size();) {
        const auto n = static_cast<int32_t>(
            std::min<size_t>(static_cast<size_t>(block > 0 ? block : lengths(generator)), input.size() - start));
        const float* in = inPlace ? output.data() + start : input.data() + start;
        engine.spectralPitchShift(in, output.data() + start, n, setup.factors, setup.settings);
        start += static_cast<size_t>(n);
    }
    return output;
}

bool identical(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(EngineStream, OutputIsTheInputDelayedBy2048AtOneAndAHalfTimesItsLevel) {
    TapSetup setup;
    const double amplitude = 0.5;
    const std::vector<float> input = signals::sine(1000.0, amplitude, 3 * 44100);
    auto engine = std::make_unique<PitchEngine>();
    const std::vector<float> output = run(*engine, setup, input, 512);

    for (size_t i = 0; i < 512; ++i)
        ASSERT_EQ(output[i], 0.0f) << "Output sample " << i << " must be exactly 0: nothing has been analysed yet.";

    // Once four frames cover every sample, the output follows the input 2048
    // samples late, within the phase error of the approximate arc tangent.
    double error = 0.0;
    double power = 0.0;
    for (size_t i = 8192; i < output.size(); ++i) {
        const double expected = 1.5 * input[i - 2048];
        error += (output[i] - expected) * (output[i] - expected);
        power += expected * expected;
    }
    EXPECT_LT(std::sqrt(error / power), 0.1) << "The steady output is not the input delayed by 2048 samples and scaled by 1.5.";
    const signals::Tone tone = signals::analyseTone(output, 8192, 65536);
    EXPECT_NEAR(tone.frequency, 1000.0, 0.5) << "An unshifted 1000 Hz tone must stay at 1000 Hz.";
    EXPECT_NEAR(tone.amplitude / amplitude, 1.5, 0.05) << "The steady level must be 1.5 times the input's.";

    // A sine repeats every 44.1 samples; noise pins the delay down exactly.
    const std::vector<float> noise = signals::noise(44100, 0.5, 8);
    engine->reset();
    const std::vector<float> noisy = run(*engine, setup, noise, 512);
    size_t best = 0;
    double bestCorrelation = -1.0;
    for (size_t lag = 1500; lag < 2600; ++lag) {
        double sum = 0.0;
        for (size_t i = 4096; i < noise.size() - 2600; ++i)
            sum += static_cast<double>(noisy[i + lag]) * noise[i];
        if (sum > bestCorrelation) {
            bestCorrelation = sum;
            best = lag;
        }
    }
    EXPECT_EQ(best, 2048u) << "Noise must come out 2048 samples late.";
}

TEST(EngineStream, BlockLengthAndInPlaceProcessingDoNotChangeTheOutput) {
    TapSetup setup;
    setup.shifts({5, -7, 12, -2.5});
    const std::vector<float> input = signals::sweep(50.0, 18000.0, 0.6, 2 * 44100);
    auto engine = std::make_unique<PitchEngine>();
    const std::vector<float> expected = run(*engine, setup, input, 512);
    struct Case {
        const char* name;
        int32_t block;
        bool inPlace;
    };
    const Case cases[] = {
        {"blocks of 1 sample", 1, false},   {"blocks of 4096 samples", 4096, false}, {"blocks of 7 samples", 7, false},
        {"random block lengths", 0, false}, {"blocks of 1, in place", 1, true},      {"blocks of 512, in place", 512, true},
        {"random lengths, in place", 0, true},
    };
    for (const Case& c : cases) {
        auto fresh = std::make_unique<PitchEngine>();
        EXPECT_TRUE(identical(run(*fresh, setup, input, c.block, c.inPlace), expected))
            << "Processing in " << c.name << " must give exactly the output of blocks of 512.";
    }
}

TEST(EngineStream, EmptyBlocksAndMissingBuffersTouchNothing) {
    TapSetup setup;
    auto engine = std::make_unique<PitchEngine>();
    std::vector<float> input = signals::sine(300.0, 0.5, 4096);
    std::vector<float> output(4096, 5.0f);
    engine->spectralPitchShift(input.data(), output.data(), 0, setup.factors, setup.settings);
    engine->spectralPitchShift(input.data(), output.data(), -3, setup.factors, setup.settings);
    engine->spectralPitchShift(nullptr, output.data(), 512, setup.factors, setup.settings);
    engine->spectralPitchShift(input.data(), nullptr, 512, setup.factors, setup.settings);
    for (float v : output)
        ASSERT_EQ(v, 5.0f) << "A block of no samples or without a buffer must not write the output.";
    // Nor may it have moved the stream: the engine still behaves as new.
    auto fresh = std::make_unique<PitchEngine>();
    EXPECT_TRUE(identical(run(*engine, setup, input, 512), run(*fresh, setup, input, 512)))
        << "Blocks of no samples or without a buffer must leave the stream where it was.";
}

TEST(EngineStream, ResetForgetsTheStream) {
    TapSetup setup;
    setup.shifts({3, 3, 3, 3});
    auto engine = std::make_unique<PitchEngine>();
    run(*engine, setup, signals::sine(700.0, 0.9, 10000), 333);
    engine->reset();
    const std::vector<float> silence(20000, 0.0f);
    for (float v : run(*engine, setup, silence, 512))
        ASSERT_EQ(v, 0.0f) << "After a reset, silence in must give exact silence out.";

    engine->reset();
    auto fresh = std::make_unique<PitchEngine>();
    const std::vector<float> tone = signals::sine(440.0, 0.5, 20000);
    EXPECT_TRUE(identical(run(*engine, setup, tone, 100), run(*fresh, setup, tone, 100)))
        << "After a reset the engine must behave exactly like a new one.";
}

TEST(EngineStream, SamplesThatAreNotFiniteOrFarTooLoudNeverSpoilTheOutput) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        void (*spoil)(std::vector<float>&, float, float);
        bool levelComesBack;  // a loud burst upsets the phases of the bins it passed, as any transient does
    };
    const Case cases[] = {
        {"samples that are not finite",
         [](std::vector<float>& x, float notANumber, float infinity) {
             for (size_t i = 30000; i < 30010; ++i)
                 x[i] = (i % 3 == 0) ? notANumber : (i % 3 == 1 ? infinity : -infinity);
             x[40000] = notANumber;
         },
         true},
        {"finite samples loud enough to overflow the spectrum",
         [](std::vector<float>& x, float, float) {
             for (size_t i = 30000; i < 30050; ++i)
                 x[i] = i % 2 == 0 ? 1e20f : -3e38f;
         },
         false},
    };
    TapSetup setup;
    const std::vector<float> clean = signals::sine(1000.0, 0.5, 2 * 44100);
    auto reference = std::make_unique<PitchEngine>();
    const std::vector<float> expected = run(*reference, setup, clean, 256);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> spoiled = clean;
        c.spoil(spoiled, nan, inf);
        auto engine = std::make_unique<PitchEngine>();
        const std::vector<float> output = run(*engine, setup, spoiled, 256);
        for (size_t i = 0; i < output.size(); ++i)
            ASSERT_TRUE(std::isfinite(output[i])) << "Output sample " << i << " is not finite.";
        // Once the bad samples have left the frames the tone is back.
        EXPECT_NEAR(signals::analyseTone(output, 50000, 32768).frequency, 1000.0, 1.0)
            << "The tone must come back at its frequency once the bad samples have passed.";
        if (c.levelComesBack) {
            EXPECT_NEAR(signals::rms(output, 50000, 30000) / signals::rms(expected, 50000, 30000), 1.0, 0.02)
                << "The tone must come back at its level once the bad samples have passed.";
        }
    }
}

// Signal to noise and distortion over windows of 8192 samples, averaged
// from `first` to `last` seconds in half-second steps.
double meanSnrDb(const std::vector<float>& x, double first, double last) {
    double sum = 0.0;
    int windows = 0;
    for (double t = first; t <= last; t += 0.5, ++windows)
        sum += signals::sineFitSnrDb(x, static_cast<size_t>(t * 44100), 8192);
    return sum / windows;
}

TEST(EngineStream, ASteadyToneKeepsItsSignalToNoiseForAMinute) {
    const std::vector<float> input = signals::sine(5000.0, 0.5, 60 * 44100 + 8192);
    TapSetup setup;
    auto engine = std::make_unique<PitchEngine>();
    const std::vector<float> output = run(*engine, setup, input, 512);
    const double start = meanSnrDb(output, 1.0, 3.0);
    const double end = meanSnrDb(output, 57.0, 59.0);
    EXPECT_GT(start, 20.0) << "The measurement must see a clean tone at the start.";
    EXPECT_GT(end, start - 3.0) << "The tone lost " << start - end << " dB of signal-to-noise within a minute.";

    // Against the same algorithm with phase sums that grow unbounded.
    reference::Engine unbounded(false);
    std::vector<float> drifting(input.size());
    for (size_t i = 0; i < input.size(); i += 512)
        unbounded.process(input.data() + i, drifting.data() + i,
                          static_cast<int32_t>(std::min<size_t>(512, input.size() - i)), reference::Taps{});
    const double unboundedEnd = meanSnrDb(drifting, 57.0, 59.0);
    EXPECT_GT(end, unboundedEnd + 1.5) << "After a minute the engine must keep the quality that unbounded phase sums lose ("
                                       << end << " dB against " << unboundedEnd << " dB).";
}

TEST(EngineStream, ProcessingAllocatesNothing) {
    TapSetup setup;
    const std::vector<float> input = signals::noise(44100, 0.5, 4);
    std::vector<float> output(input.size());
    auto engine = std::make_unique<PitchEngine>();
    const alloccount::Scope counting;
    size_t start = 0;
    for (int32_t block : {1, 64, 511, 512, 4096, 10000}) {
        setup.factors[0] = static_cast<float>(block) / 1000.0f;  // new factors: the source table is rebuilt
        engine->spectralPitchShift(input.data() + start, output.data() + start, block, setup.factors, setup.settings);
        start += static_cast<size_t>(block);
    }
    engine->setSampleRate(48000.0f);
    engine->spectralPitchShift(input.data(), output.data(), 4096, setup.factors, setup.settings);
    engine->reset();
    EXPECT_EQ(counting.allocations(), 0u) << "The engine allocated " << counting.bytes() << " bytes while processing.";
}

}  // namespace
