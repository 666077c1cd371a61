// Block processing through the plug-in's exported entry: latency, bad channel arrays, suspend and resume, the host's sample rate, separate instances, the floating-point state and allocation.
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/engine/alloc_counter.h"
#include "tests/engine/signals.h"
#include "tests/support/plugin_host.h"

using testhost::Instance;
using testhost::RecordingHost;

namespace {

// Normalised value that sets a whole-semitone shift (the discrete switch is
// on by default).
float shiftValue(int semitones) { return (static_cast<float>(semitones) + 12.5f) / 24.0f; }

std::vector<float> run(Instance& plugin, const std::vector<float>& input, int32_t block) {
    std::vector<float> output(input.size());
    for (size_t start = 0; start < input.size(); start += static_cast<size_t>(block)) {
        const auto n = static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(block), input.size() - start));
        plugin.process(input.data() + start, output.data() + start, n);
    }
    return output;
}

bool identical(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

class PluginProcess : public ::testing::Test {
protected:
    RecordingHost host;
    Instance plugin{host};
};

TEST_F(PluginProcess, ReportsItsLatencyFromConstruction) {
    EXPECT_EQ(plugin.record()->initialDelay, 2048) << "Hosts must be told of the 2048-sample delay.";
}

TEST_F(PluginProcess, MissingChannelsProcessAndWriteNothing) {
    std::vector<float> input = signals::sine(500.0, 0.5, 600);
    std::vector<float> output(600, 9.0f);
    float* in[1] = {input.data()};
    float* out[1] = {output.data()};
    float* none[1] = {nullptr};
    AEffect* record = plugin.record();
    struct Case {
        const char* name;
        float** inputs;
        float** outputs;
        int32_t frames;
    };
    const Case cases[] = {
        {"no input array", nullptr, out, 600},   {"no output array", in, nullptr, 600},
        {"no input channel", none, out, 600},    {"no output channel", in, none, 600},
        {"no samples", in, out, 0},              {"a negative count", in, out, -5},
    };
    for (const Case& c : cases) {
        record->processReplacing(record, c.inputs, c.outputs, c.frames);
        for (float v : output)
            ASSERT_EQ(v, 9.0f) << "With " << c.name << " the output must stay untouched.";
    }
    // None of them advanced the stream: the first 512 samples are still silent.
    record->processReplacing(record, in, out, 600);
    for (size_t i = 0; i < 512; ++i)
        ASSERT_EQ(output[i], 0.0f) << "Rejected calls must not have moved the stream (sample " << i << ").";
}

TEST_F(PluginProcess, SilenceAfterSuspendAndResumeIsExactlySilent) {
    plugin.dispatch(effMainsChanged, 0, 1);
    run(plugin, signals::sine(1000.0, 0.8, 30000), 512);
    plugin.dispatch(effMainsChanged, 0, 0);
    plugin.dispatch(effMainsChanged, 0, 1);
    const std::vector<float> output = run(plugin, std::vector<float>(20000, 0.0f), 512);
    for (size_t i = 0; i < output.size(); ++i)
        ASSERT_EQ(output[i], 0.0f) << "Sample " << i << " after the resume still carries audio from before it.";
}

TEST_F(PluginProcess, BandLimitsActAtTrueFrequenciesAtTheHostsRate) {
    // Tap 1 (up to 1200 Hz) is muted, tap 2 (above) passes at volume 1: the
    // output level tells which tap took the tone.
    struct Case {
        float rate;
        double tone;
        bool throughTap2;
    };
    const Case cases[] = {{48000.0f, 1250.0, true},  {48000.0f, 1150.0, false}, {96000.0f, 1250.0, true},
                          {96000.0f, 1180.0, false}, {44100.0f, 1250.0, true}};
    for (const Case& c : cases) {
        Instance instance(host);
        instance.dispatch(effSetSampleRate, 0, 0, nullptr, c.rate);
        instance.dispatch(effMainsChanged, 0, 1);
        instance.setParameter(4, 0.0f);
        const auto length = static_cast<size_t>(c.rate);
        const std::vector<float> output = run(instance, signals::sine(c.tone, 0.5, length, c.rate), 512);
        const double gain = signals::rms(output, 8192, length - 8192) / (0.5 / std::sqrt(2.0));
        if (c.throughTap2)
            EXPECT_NEAR(gain, 1.5, 0.1) << "A " << c.tone << " Hz tone at " << c.rate
                                        << " Hz must pass through tap 2, above the 1200 Hz limit.";
        else
            EXPECT_LT(gain, 0.2) << "A " << c.tone << " Hz tone at " << c.rate
                                 << " Hz must go to tap 1, below the 1200 Hz limit, which is muted.";
    }
}

TEST_F(PluginProcess, TwoInstancesInTurnGiveWhatEachGivesAlone) {
    const std::vector<float> a = signals::sine(330.0, 0.5, 40000);
    const std::vector<float> b = signals::noise(40000, 0.3, 21);
    auto configure = [](Instance& instance, int shift) {
        instance.dispatch(effMainsChanged, 0, 1);
        for (int tap = 0; tap < 4; ++tap)
            instance.setParameter(tap, shiftValue(shift + tap));
    };
    std::vector<float> aloneA, aloneB;
    {
        Instance first(host);
        configure(first, 5);
        aloneA = run(first, a, 256);
        Instance second(host);
        configure(second, -9);
        aloneB = run(second, b, 256);
    }
    Instance first(host);
    Instance second(host);
    configure(first, 5);
    configure(second, -9);
    std::vector<float> outA(a.size()), outB(b.size());
    for (size_t start = 0; start < a.size(); start += 256) {
        const auto n = static_cast<int32_t>(std::min<size_t>(256, a.size() - start));
        first.process(a.data() + start, outA.data() + start, n);
        second.process(b.data() + start, outB.data() + start, n);
    }
    EXPECT_TRUE(identical(outA, aloneA)) << "One instance's audio leaked into another's.";
    EXPECT_TRUE(identical(outB, aloneB)) << "One instance's audio leaked into another's.";
}

TEST_F(PluginProcess, LeavesTheCallersFloatingPointStateAsItWas) {
    // A host that runs with round-toward-zero and every floating-point
    // exception unmasked gets the same audio, is not interrupted by the
    // overflow of a far too loud passage, and gets its state back.
    std::vector<float> input = signals::sweep(100.0, 8000.0, 0.5, 20000);
    for (size_t i = 12000; i < 12100; ++i)
        input[i] = 1e30f;
    plugin.setParameter(0, shiftValue(4));
    const std::vector<float> expected = run(plugin, input, 512);

    Instance other(host);
    other.setParameter(0, shiftValue(4));
    std::vector<float> output(input.size());
    const unsigned saved = _mm_getcsr();
    const unsigned hostile = (saved & ~0x1f80u) | 0x6000u;  // toward zero, exceptions unmasked
    for (size_t start = 0; start < input.size(); start += 512) {
        _mm_setcsr(hostile);
        other.process(input.data() + start, output.data() + start,
                      static_cast<int32_t>(std::min<size_t>(512, input.size() - start)));
        const unsigned after = _mm_getcsr();
        _mm_setcsr(saved);
        ASSERT_EQ(after, hostile) << "processReplacing must restore the caller's floating-point control state.";
    }
    EXPECT_TRUE(identical(output, expected)) << "The caller's floating-point mode must not change the audio.";
}

TEST_F(PluginProcess, ProcessReplacingAllocatesNothing) {
    plugin.dispatch(effMainsChanged, 0, 1);
    const std::vector<float> input = signals::noise(30000, 0.5, 2);
    std::vector<float> output(input.size());
    size_t start = 0;
    const alloccount::Scope counting;
    for (int32_t block : {1, 64, 512, 4096, 8000}) {
        plugin.setParameter(block % 4, shiftValue(block % 13 - 6));  // new factors within the block's call
        plugin.process(input.data() + start, output.data() + start, block);
        start += static_cast<size_t>(block);
    }
    EXPECT_EQ(counting.allocations(), 0u) << "processReplacing allocated " << counting.bytes() << " bytes.";
}

}  // namespace
