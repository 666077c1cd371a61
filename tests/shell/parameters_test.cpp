// The thirteen parameters as a host sees them: names, labels, displays and the normalised mappings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "tests/support/plugin_host.h"

using testhost::Instance;
using testhost::RecordingHost;

namespace {

class Parameters : public ::testing::Test {
protected:
    RecordingHost host;
    Instance plugin{host};

    std::string display(int32_t index) { return plugin.text(effGetParamDisplay, index); }
};

float f(double value) { return static_cast<float>(value); }

}  // namespace

TEST_F(Parameters, NamesAndLabelsAreCutToEightCharacters) {
    const char* names[] = {"Shift 1", "Shift 2", "Shift 3", "Shift 4", "Vol 1", "Vol 2", "Vol 3",
                           "Vol 4",   "Tap 1",   "Tap 2",   "Tap 3",   "Tap 4", "DISC"};
    const char* labels[] = {"Semitone", "Semitone", "Semitone", "Semitone", "Volume", "Volume", "Volume",
                            "Volume",   "Band Sta", "Band Sta", "Band Sta", "Band Sta", "Discrete"};
    for (int32_t i = 0; i < 13; ++i) {
        char name[16], label[16];
        std::memset(name, 'x', sizeof name);
        std::memset(label, 'x', sizeof label);
        plugin.dispatch(effGetParamName, i, 0, name);
        plugin.dispatch(effGetParamLabel, i, 0, label);
        EXPECT_STREQ(name, names[i]) << "Parameter " << i << " has the wrong name.";
        EXPECT_STREQ(label, labels[i]) << "Parameter " << i << " has the wrong label.";
        EXPECT_EQ(label[8], '\0') << "A zero is written after the eighth character.";
        EXPECT_EQ(label[9], 'x') << "Nothing is written after the ninth character.";
    }
    EXPECT_EQ(plugin.text(effGetParamLabel, -1), "Semitone") << "A negative index takes the shifts' label.";
    char untouched[16] = "keep";
    plugin.dispatch(effGetParamLabel, 13, 0, untouched);
    plugin.dispatch(effGetParamName, 13, 0, untouched);
    plugin.dispatch(effGetParamName, -1, 0, untouched);
    plugin.dispatch(effGetParamDisplay, 13, 0, untouched);
    EXPECT_STREQ(untouched, "keep") << "Indices outside 0 to 12 leave the text untouched.";
}

TEST_F(Parameters, DefaultsAfterConstruction) {
    const float expected[13] = {0.5f, 0.5f, 0.5f, 0.5f, 1, 1, 1, 1, f(1200.0 / 4500.0), f(3300.0 / 9800.0),
                                f(6500.0 / 15500.0), 1, 1};
    for (int32_t i = 0; i < 13; ++i) {
        EXPECT_EQ(plugin.getParameter(i), expected[i]) << "Parameter " << i << " reports the wrong default.";
    }
    const char* displays[13] = {"0", "0", "0", "0", "1.00", "1.00", "1.00", "1.00",
                                "1200 Hz", "4500 Hz", "11000 Hz", "20000 Hz", "1"};
    for (int32_t i = 0; i < 13; ++i) {
        EXPECT_EQ(display(i), displays[i]) << "Parameter " << i << " displays the wrong default.";
    }
    for (int32_t outside : {-1, 13, 1000, std::numeric_limits<int32_t>::min()}) {
        EXPECT_EQ(plugin.getParameter(outside), 0.0f);
    }
}

TEST_F(Parameters, ShiftsWithTheDiscreteSwitch) {
    struct Case {
        float discrete;
        float value;
        float reported;
        const char* shown;
    };
    const Case cases[] = {
        {1.0f, 0.49f, f(11.0 / 24.0), "-1"},
        {1.0f, 0.5f, 0.5f, "0"},
        {1.0f, 1.0f, 1.0f, "12"},
        {1.0f, 0.0f, 0.0f, "-12"},
        {0.0f, 0.51f, f(f(0.51 * 24 - 12) / 24.0 + 0.5), "0"},
        {0.0f, 0.99f, f(f(0.99 * 24 - 12) / 24.0 + 0.5), "11"},
    };
    for (const Case& c : cases) {
        plugin.setParameter(12, c.discrete);
        plugin.setParameter(2, c.value);
        EXPECT_EQ(plugin.getParameter(2), c.reported) << "Shift from " << c.value << " with the switch at "
                                                       << c.discrete << " reports wrongly.";
        EXPECT_EQ(display(2), c.shown) << "Shift from " << c.value << " displays wrongly.";
    }
}

TEST_F(Parameters, DiscreteSwitchActsOnlyWhenAShiftIsSet) {
    plugin.setParameter(12, 0.0f);
    plugin.setParameter(0, 0.51f);
    const float fractional = plugin.getParameter(0);
    plugin.setParameter(12, 1.0f);
    EXPECT_EQ(plugin.getParameter(0), fractional) << "Switching it on leaves an existing fractional shift.";
    plugin.setParameter(12, 0.99f);
    EXPECT_EQ(plugin.getParameter(12), 0.0f) << "0.99 turns the switch off.";
    EXPECT_EQ(display(12), "0");
    plugin.setParameter(12, 1.0f);
    EXPECT_EQ(plugin.getParameter(12), 1.0f);
    plugin.setParameter(12, -3.0f);
    EXPECT_EQ(plugin.getParameter(12), 0.0f) << "Only a switch above 0 reports 1.";
}

TEST_F(Parameters, VolumesAreStoredAsReceived) {
    plugin.setParameter(6, 0.5f);
    EXPECT_EQ(plugin.getParameter(6), 0.5f);
    EXPECT_EQ(display(6), "0.50");
    plugin.setParameter(7, 3.25f);
    EXPECT_EQ(plugin.getParameter(7), 3.25f) << "Values outside 0 to 1 are not clamped.";
}

TEST_F(Parameters, BandLimitsFollowTheirNeighbours) {
    plugin.setParameter(9, f(3300.0 / 9800.0));
    EXPECT_EQ(display(9), "4499 Hz") << "The float quotient lies just below 3300/9800 and is cut.";

    plugin.setParameter(8, 0.0f);
    EXPECT_EQ(display(8), "0 Hz");
    plugin.setParameter(9, 0.0f);
    EXPECT_EQ(display(9), "0 Hz");
    EXPECT_EQ(plugin.getParameter(8), 0.0f) << "An empty range (both neighbours 0) reports 0.";
    EXPECT_EQ(plugin.getParameter(9), 0.0f);

    plugin.setParameter(11, 1.0f);
    plugin.setParameter(10, 1.0f);
    EXPECT_EQ(display(10), "20000 Hz");
    EXPECT_EQ(display(11), "20000 Hz");
    EXPECT_EQ(plugin.getParameter(11), 1.0f) << "With b2 at 20000 the last limit reports 1.";
    EXPECT_EQ(plugin.getParameter(10), 1.0f);

    plugin.setParameter(10, 0.5f);
    EXPECT_EQ(display(10), "10000 Hz") << "b2 lies halfway between b1 = 0 and b3 = 20000.";
    EXPECT_EQ(display(11), "20000 Hz") << "Only the limit that is set changes.";
}

TEST_F(Parameters, NonFiniteValuesAreIgnored) {
    for (float bad : {NAN, INFINITY, -INFINITY}) {
        for (int32_t i = 0; i < 13; ++i) {
            const float before = plugin.getParameter(i);
            plugin.setParameter(i, bad);
            EXPECT_EQ(plugin.getParameter(i), before) << "A non-finite value changed parameter " << i << ".";
        }
    }
}

TEST_F(Parameters, ExtremeValuesSaturateAndDisplaysStayInTheirBuffers) {
    plugin.setParameter(12, 1e30f);
    EXPECT_EQ(display(12), "2147483647") << "The switch saturates to the int32 range.";
    plugin.setParameter(8, 1e30f);
    EXPECT_EQ(plugin.getParameter(8), f(2147483647.0 / 4500.0));

    char text[64];
    std::memset(text, 'x', sizeof text);
    plugin.dispatch(effGetParamDisplay, 8, 0, text);
    EXPECT_EQ(std::strlen(text), 11u) << "\"2147483647 Hz\" is cut to its 12-byte buffer.";
    EXPECT_EQ(text[12], 'x') << "The display wrote past its 12-byte buffer.";

    plugin.setParameter(12, 0.0f);
    plugin.setParameter(1, -10.0f);  // -252 semitones
    std::memset(text, 'x', sizeof text);
    plugin.dispatch(effGetParamDisplay, 1, 0, text);
    EXPECT_STREQ(text, "-25") << "A shift display is cut to its 4-byte buffer.";
    EXPECT_EQ(text[4], 'x');

    plugin.setParameter(1, 1e30f);
    std::memset(text, 'x', sizeof text);
    plugin.dispatch(effGetParamDisplay, 1, 0, text);
    EXPECT_STREQ(text, "214") << "A huge shift saturates before it is formatted.";

    // Limits pushed far apart by out-of-range values must not overflow the range arithmetic.
    plugin.setParameter(9, -1e30f);
    EXPECT_TRUE(std::isfinite(plugin.getParameter(8)));
    EXPECT_TRUE(std::isfinite(plugin.getParameter(9)));
    EXPECT_TRUE(std::isfinite(plugin.getParameter(10)));
}

TEST_F(Parameters, ProgramNameKeepsTwentyFourCharacters) {
    char longName[] = "A name that is much longer than the field";
    plugin.dispatch(effSetProgramName, 0, 0, longName);
    char name[40];
    std::memset(name, 'x', sizeof name);
    plugin.dispatch(effGetProgramName, 0, 0, name);
    EXPECT_EQ(std::string(name), std::string(longName, 24));
    EXPECT_EQ(name[24], '\0');
    EXPECT_EQ(name[25], 'x') << "The program name copy writes 25 characters and no more.";
}
