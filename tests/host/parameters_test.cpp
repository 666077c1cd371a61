// --set: parameter names and indices reach the right parameter, and units
// become the normalised values the plug-in stores as meant.
#include <gtest/gtest.h>

#include <ostream>

#include <cctype>

#include "tests/host/host_test_support.h"

using namespace hosttest;

namespace {

struct SettingCase {
    std::vector<std::string> settings;
    const char* parameter;
    const char* shown;  // display text, label and normalised value as render prints them
};

void PrintTo(const SettingCase& c, std::ostream* os) {
    for (const std::string& setting : c.settings) {
        *os << "--set \"" << setting << "\" ";
    }
}

class SetParameter : public ::testing::TestWithParam<SettingCase> {
protected:
    static void SetUpTestSuite() {
        folder = new ScratchFolder;
        writeSound(folder->file("in.wav"), mono(sine(440.0, 44100, 0.05), 44100));
    }
    static void TearDownTestSuite() {
        delete folder;
        folder = nullptr;
    }
    static ScratchFolder* folder;
};
ScratchFolder* SetParameter::folder = nullptr;

TEST_P(SetParameter, ReachesTheRightParameterWithTheRightValue) {
    const SettingCase c = GetParam();
    std::vector<std::string> arguments = {"render", folder->file("in.wav"), folder->file("out.wav")};
    for (const std::string& setting : c.settings) {
        arguments.push_back("--set");
        arguments.push_back(setting);
    }
    const RunResult run = runHost(arguments);
    ASSERT_EQ(run.status, 0) << "The settings should be accepted: " << run.err;
    EXPECT_EQ(settingLine(run.out, c.parameter), c.shown)
        << "After --set " << c.settings.back() << " the plug-in should display " << c.parameter << " as " << c.shown;
}

INSTANTIATE_TEST_SUITE_P(
    NamesAndUnits, SetParameter,
    ::testing::Values(
        // Names without case or spaces, and indices.
        SettingCase{{"shift 2=+5st"}, "Shift 2", "5 Semitone (0.708333)"},
        SettingCase{{"SHIFT2=-12st"}, "Shift 2", "-12 Semitone (0)"},
        SettingCase{{"1=0.75"}, "Shift 2", "6 Semitone (0.75)"},
        SettingCase{{"Shift 4=12st"}, "Shift 4", "12 Semitone (1)"},
        SettingCase{{"disc=0"}, "DISC", "0 Discrete (0)"},
        SettingCase{{"12=0"}, "DISC", "0 Discrete (0)"},
        // Volumes are linear gains: -6 dB is a gain of about 0.5.
        SettingCase{{"Vol 3=-6dB"}, "Vol 3", "0.50 Volume (0.501187)"},
        SettingCase{{"vol 1=-infdB"}, "Vol 1", "0.00 Volume (0)"},
        SettingCase{{"Vol 4=0dB"}, "Vol 4", "1.00 Volume (1)"},
        // Band limits in Hz, relative to their neighbours' current values.
        SettingCase{{"Tap 1=1000Hz"}, "Tap 1", "1000 Hz Band Sta (0.222222)"},
        SettingCase{{"tap 4=12kHz"}, "Tap 4", "12000 Hz Band Sta (0.111111)"},
        SettingCase{{"Tap 3=6000Hz", "Tap 2=2000Hz"}, "Tap 3", "6000 Hz Band Sta (0.222222)"},
        // The plain quotient would store 4499 Hz here.
        SettingCase{{"Tap 2=4000Hz", "Tap 2=4500Hz"}, "Tap 2", "4500 Hz Band Sta (0.336735)"},
        // Limits moved up past their neighbours' old places, in either order.
        SettingCase{{"Tap 1=6000Hz", "Tap 2=8000Hz"}, "Tap 1", "6000 Hz Band Sta (0.75)"},
        SettingCase{{"Tap 3=15000Hz", "Tap 2=12000Hz", "Tap 1=9000Hz"}, "Tap 2", "12000 Hz Band Sta (0.5)"},
        SettingCase{{"Tap 4=1000Hz", "Tap 3=900Hz", "Tap 2=800Hz", "Tap 1=700Hz"}, "Tap 4", "1000 Hz Band Sta (0.0052356)"},
        // The switch goes first, so a fractional shift is kept wherever it is written.
        SettingCase{{"DISC=0", "Shift 1=+2.5st"}, "Shift 1", "2 Semitone (0.604167)"},
        SettingCase{{"Shift 1=+2.5st", "DISC=0"}, "Shift 1", "2 Semitone (0.604167)"},
        SettingCase{{"DISC=0", "Shift 3=-0.5st"}, "Shift 3", "0 Semitone (0.479167)"}),
    [](const ::testing::TestParamInfo<SettingCase>& test) {
        std::string name;
        for (const std::string& setting : test.param.settings) {
            for (char c : setting) {
                name += std::isalnum(static_cast<unsigned char>(c)) ? c : c == '+' ? 'p' : c == '-' ? 'm' : c == '.' ? 'd' : '_';
            }
            name += "_";
        }
        return name + std::to_string(test.index);
    });

// Every whole value a user can ask for must be reachable: a conversion that
// lands one step off is reported as an error by render, so one run sweeps a
// whole range.
TEST(SetParameterSweep, EveryWholeValueIsReachable) {
    ScratchFolder folder;
    writeSound(folder.file("in.wav"), mono(sine(440.0, 44100, 0.01), 44100));
    struct Sweep {
        std::vector<std::string> fixed;
        const char* parameter;
        int from;
        int to;
        const char* unit;
    };
    const Sweep sweeps[] = {
        {{}, "Tap 2", 1200, 11000, "Hz"},           // between the default neighbours
        {{"Tap 4=19999Hz"}, "Tap 3", 4500, 19999, "Hz"},
        {{}, "Tap 1", 0, 4500, "Hz"},
        {{}, "Shift 1", -12, 12, "st"},             // whole semitones, switch on
        {{"DISC=0"}, "Shift 2", -12, 12, "st"},     // the same values stored as fractions
    };
    for (const Sweep& sweep : sweeps) {
        std::vector<std::string> arguments = {"render", folder.file("in.wav"), folder.file("out.wav")};
        for (const std::string& fixed : sweep.fixed) {
            arguments.insert(arguments.end(), {"--set", fixed});
        }
        for (int value = sweep.from; value <= sweep.to; ++value) {
            arguments.insert(arguments.end(), {"--set", std::string(sweep.parameter) + "=" + std::to_string(value) + sweep.unit});
        }
        const RunResult run = runHost(arguments);
        EXPECT_EQ(run.status, 0) << "Every value of " << sweep.parameter << " from " << sweep.from << " to " << sweep.to
                                 << " " << sweep.unit << " should be stored exactly: " << run.err;
    }
}

}  // namespace
