// render: what comes out of the plug-in — its frequencies, its alignment with
// the input, which channel it came from, and the file's format and rate.
#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "tests/host/host_test_support.h"

using namespace hosttest;

namespace {

constexpr int kRate = 44100;

// Where a steady tone's frame has filled, well past the plug-in's lag.
constexpr std::size_t kSteady = 8192;
// Frequencies are checked to 2%: a semitone is 6%.

struct ShiftCase {
    const char* setting;
    double inHz;
    double outHz;
};

void PrintTo(const ShiftCase& c, std::ostream* os) { *os << c.inHz << " Hz with " << c.setting; }

class RenderShift : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(RenderShift, MovesTheMainFrequency) {
    const ShiftCase c = GetParam();
    ScratchFolder folder;
    writeSound(folder.file("in.wav"), mono(sine(c.inHz, kRate, 1.0), kRate));
    const RunResult run = runHost({"render", folder.file("in.wav"), folder.file("out.wav"), "--set", c.setting});
    ASSERT_EQ(run.status, 0) << "Rendering should succeed; it said: " << run.err;
    const Sound out = readSound(folder.file("out.wav"));
    const double hz = mainFrequency(out.interleaved, out.sampleRate, kSteady);
    EXPECT_NEAR(hz, c.outHz, c.outHz * 0.02)
        << "A " << c.inHz << " Hz sine through " << c.setting << " should come out at " << c.outHz << " Hz.";
}

std::string shiftName(const ::testing::TestParamInfo<ShiftCase>& info) {
    std::string name = std::to_string(static_cast<int>(info.param.inHz)) + "Hz_";
    for (const char* c = info.param.setting; *c != '\0'; ++c) {
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : *c == '+' ? 'p' : *c == '-' ? 'm' : '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Shifts, RenderShift,
                         ::testing::Values(ShiftCase{"Shift 1=+12st", 1000.0, 2000.0},
                                           ShiftCase{"Shift 1=-12st", 1000.0, 500.0},
                                           ShiftCase{"0=1", 1000.0, 2000.0},
                                           ShiftCase{"shift1=0", 1000.0, 500.0},
                                           // 3000 Hz lies in tap 2's band: tap 1's shift leaves it alone.
                                           ShiftCase{"Shift 1=+12st", 3000.0, 3000.0},
                                           ShiftCase{"Shift 2=-12st", 3000.0, 1500.0}),
                         shiftName);

TEST(Render, CompensateAlignsAnUnshiftedSineWithItsInput) {
    ScratchFolder folder;
    const std::vector<float> input = sine(1000.0, kRate, 1.5);
    writeSound(folder.file("in.wav"), mono(input, kRate, SF_FORMAT_WAV | SF_FORMAT_FLOAT));

    const RunResult aligned = runHost({"render", folder.file("in.wav"), folder.file("aligned.wav"), "--compensate"});
    ASSERT_EQ(aligned.status, 0) << aligned.err;
    const RunResult lagging = runHost({"render", folder.file("in.wav"), folder.file("lagging.wav")});
    ASSERT_EQ(lagging.status, 0) << lagging.err;
    const Sound compensated = readSound(folder.file("aligned.wav"));
    const Sound plain = readSound(folder.file("lagging.wav"));

    EXPECT_EQ(compensated.frames(), input.size()) << "A compensated render should be as long as its input.";
    EXPECT_EQ(plain.frames(), input.size()) << "A plain render should be as long as its input.";
    // A sine's period is 44.1 samples: searching within half a period finds
    // the lag sample-exactly without mistaking one period for another.
    EXPECT_EQ(bestLag(input, compensated.interleaved, -22, 22), 0)
        << "With --compensate the output should line up with the input to the sample.";
    EXPECT_EQ(bestLag(input, plain.interleaved, 2048 - 22, 2048 + 22), 2048)
        << "Without --compensate the output should lag by the 2048 samples the plug-in reports.";
    EXPECT_NE(aligned.out.find("latency: 2048 samples compensated"), std::string::npos) << aligned.out;
    EXPECT_NE(lagging.out.find("not compensated (the plug-in reports 2048 samples)"), std::string::npos)
        << "A plain render should say how far its output lags: " << lagging.out;
    // The end of a compensated render is the input's end, not silence fed
    // in afterwards: the last tenth of a second still carries the tone.
    double tail = 0.0;
    for (std::size_t i = input.size() - 4410; i < input.size() - 2048; ++i) {
        tail = std::max(tail, static_cast<double>(std::abs(compensated.interleaved[i])));
    }
    EXPECT_GT(tail, 0.3) << "The compensated output should carry the tone up to the end of the input.";
}

struct ChannelCase {
    std::vector<std::string> options;
    double outHz;
    const char* report;
};

void PrintTo(const ChannelCase& c, std::ostream* os) { *os << c.report; }

class RenderChannel : public ::testing::TestWithParam<ChannelCase> {};

TEST_P(RenderChannel, ProcessesTheChosenChannelOfAStereoFile) {
    const ChannelCase c = GetParam();
    ScratchFolder folder;
    // Left 1000 Hz (tap 1, shifted an octave up), right 3000 Hz (tap 2, unshifted).
    writeSound(folder.file("in.wav"), stereo(sine(1000.0, kRate, 1.0), sine(3000.0, kRate, 1.0), kRate));
    std::vector<std::string> arguments = {"render", folder.file("in.wav"), folder.file("out.wav"), "--set", "Shift 1=+12st"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const RunResult run = runHost(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    const Sound out = readSound(folder.file("out.wav"));
    EXPECT_EQ(out.channels, 1) << "The plug-in has one output, so the rendered file should be mono.";
    EXPECT_NEAR(mainFrequency(out.interleaved, out.sampleRate, kSteady), c.outHz, c.outHz * 0.02)
        << "The output should come from the channel that was chosen.";
    EXPECT_NE(run.out.find(c.report), std::string::npos) << "render should say which channel it used: " << run.out;
}

INSTANTIATE_TEST_SUITE_P(Channels, RenderChannel,
                         ::testing::Values(ChannelCase{{}, 2000.0, "channel: 1 of 2"},
                                           ChannelCase{{"--channel", "2"}, 3000.0, "channel: 2 of 2"}),
                         [](const ::testing::TestParamInfo<ChannelCase>& test) {
                             return test.param.options.empty() ? std::string("Default") : "Channel" + test.param.options.back();
                         });

struct FormatCase {
    int format;
    int sampleRate;
    const char* name;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name << " at " << c.sampleRate << " Hz"; }

class RenderFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(RenderFormat, WritesTheInputsFormatAndRate) {
    const FormatCase c = GetParam();
    ScratchFolder folder;
    const std::string in = folder.file(std::string("in.") + c.name);
    writeSound(in, mono(sine(440.0, c.sampleRate, 0.5), c.sampleRate, c.format));
    const RunResult run = runHost({"render", in, folder.file("out.any")});
    ASSERT_EQ(run.status, 0) << run.err;
    const Sound out = readSound(folder.file("out.any"));
    EXPECT_EQ(out.format, c.format) << "The output should have the input's container and sample format.";
    EXPECT_EQ(out.sampleRate, c.sampleRate) << "The output should have the input's sample rate.";
    EXPECT_EQ(out.frames(), static_cast<std::size_t>(c.sampleRate / 2)) << "The output should be as long as the input.";
}

INSTANTIATE_TEST_SUITE_P(Formats, RenderFormat,
                         ::testing::Values(FormatCase{SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, "wav"},
                                           FormatCase{SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, "flac"},
                                           FormatCase{SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 96000, "aiff"}),
                         [](const ::testing::TestParamInfo<FormatCase>& test) { return std::string(test.param.name); });

// The band limits act on true frequencies only when the plug-in is told the
// file's rate. 1250 Hz lies in tap 2's band (above 1200 Hz); told 44100 Hz for
// a 48000 Hz file, the plug-in sees it at 1148 Hz, in tap 1's band. Tap 1 is
// silenced, so the tone passes only when the plug-in knows the true rate.
TEST(Render, TellsThePluginTheFilesSampleRateUnlessRateIsGiven) {
    ScratchFolder folder;
    writeSound(folder.file("in.wav"), mono(sine(1250.0, 48000, 1.0), 48000));
    const RunResult own = runHost({"render", folder.file("in.wav"), folder.file("own.wav"), "--set", "Vol 1=0"});
    const RunResult told =
        runHost({"render", folder.file("in.wav"), folder.file("told.wav"), "--set", "Vol 1=0", "--rate", "44100"});
    ASSERT_EQ(own.status, 0) << own.err;
    ASSERT_EQ(told.status, 0) << told.err;
    auto peak = [](const Sound& sound) {
        float level = 0.0f;
        for (std::size_t i = kSteady; i < sound.interleaved.size(); ++i) {
            level = std::max(level, std::abs(sound.interleaved[i]));
        }
        return level;
    };
    const Sound ownOut = readSound(folder.file("own.wav"));
    const Sound toldOut = readSound(folder.file("told.wav"));
    EXPECT_GT(peak(ownOut), 0.3f) << "At the file's own rate 1250 Hz belongs to tap 2 and should pass.";
    EXPECT_LT(peak(toldOut), 0.01f) << "Told 44100 Hz, the plug-in should hear the tone in tap 1, which is silenced.";
    EXPECT_EQ(toldOut.sampleRate, 48000) << "--rate should not change the file's rate.";
    EXPECT_NE(told.out.find("sample rate told to the plug-in: 44100 Hz"), std::string::npos) << told.out;
}

// Blocks of any length make the same sound, the last short block and the
// silence fed for compensation included.
TEST(Render, BlockLengthDoesNotChangeTheResult) {
    ScratchFolder folder;
    std::vector<float> input = sine(700.0, kRate, 0.4);
    const std::vector<float> second = sine(2300.0, kRate, 0.4, 0.2);
    for (std::size_t i = 0; i < input.size(); ++i) {
        input[i] += second[i];
    }
    input.resize(input.size() - 333);  // no block length divides it
    writeSound(folder.file("in.wav"), mono(input, kRate, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    std::vector<std::vector<float>> outputs;
    for (const char* block : {"512", "1", "37", "4096"}) {
        const std::string out = folder.file(std::string("out") + block + ".wav");
        const RunResult run = runHost({"render", folder.file("in.wav"), out, "--block", block, "--compensate",
                                       "--set", "Shift 2=+3st"});
        ASSERT_EQ(run.status, 0) << run.err;
        outputs.push_back(readSound(out).interleaved);
    }
    // Each process measures its own FFT plans, and another plan rounds
    // differently in the last bits; where a bin's phase sits on a wrap
    // boundary the engine can turn that into a faint lasting difference
    // (about -57 dB). A lost, doubled or shifted sample is near -17 dB.
    for (std::size_t i = 1; i < outputs.size(); ++i) {
        ASSERT_EQ(outputs[i].size(), outputs[0].size()) << "Every block length should give the input's length.";
        double error = 0.0;
        double signal = 0.0;
        for (std::size_t j = 0; j < outputs[0].size(); ++j) {
            const double difference = static_cast<double>(outputs[i][j]) - outputs[0][j];
            error += difference * difference;
            signal += static_cast<double>(outputs[0][j]) * outputs[0][j];
        }
        EXPECT_LT(error, signal * 1e-4) << "Rendering in blocks of another length should give the same sound "
                                           "(the difference should stay below -40 dB).";
    }
}

// Progress is for a person at a terminal; scripts reading standard error see
// only errors.
TEST(Render, ShowsProgressOnlyOnATerminalForLongFiles) {
    ScratchFolder folder;
    writeSound(folder.file("long.wav"), mono(sine(440.0, 8000, 61.0, 0.1), 8000));
    writeSound(folder.file("short.wav"), mono(sine(440.0, 8000, 2.0, 0.1), 8000));

    const RunResult piped = runHost({"render", folder.file("long.wav"), folder.file("a.wav")});
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.err, "") << "Nothing should be written to standard error when it is not a terminal.";

    const RunResult watched = runHostOnTerminal({"render", folder.file("long.wav"), folder.file("b.wav")});
    ASSERT_EQ(watched.status, 0) << watched.err;
    EXPECT_NE(watched.err.find("100%"), std::string::npos)
        << "A long file rendered with standard error on a terminal should show its progress: " << watched.err;

    const RunResult brief = runHostOnTerminal({"render", folder.file("short.wav"), folder.file("c.wav")});
    ASSERT_EQ(brief.status, 0) << brief.err;
    EXPECT_EQ(brief.err.find('%'), std::string::npos) << "A short file should render without a progress line.";
}

}  // namespace
