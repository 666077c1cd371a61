// The value-to-text helpers that any effect may use for its displays.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "effect/vazoz_evi.h"

namespace {

struct TextCase {
    const char* what;
    std::function<void(VazozEvi&, char*)> write;
    const char* expected;
};

}  // namespace

TEST(TextHelpers, ExamplesGiveTheirTexts) {
    const TextCase cases[] = {
        {"gain 1.0", [](VazozEvi& e, char* t) { e.gainToDecibelText(1.0f, t, 8); }, "0.000000"},
        {"gain 0", [](VazozEvi& e, char* t) { e.gainToDecibelText(0.0f, t, 8); }, "-oo"},
        {"gain -1", [](VazozEvi& e, char* t) { e.gainToDecibelText(-1.0f, t, 8); }, "-oo"},
        {"gain 10", [](VazozEvi& e, char* t) { e.gainToDecibelText(10.0f, t, 8); }, "20.00000"},
        {"hertz of 0 samples", [](VazozEvi& e, char* t) { e.samplesToHertzText(0.0f, t, 8); }, "0.000000"},
        {"hertz of 44100 samples", [](VazozEvi& e, char* t) { e.samplesToHertzText(44100.0f, t, 8); }, "1.000000"},
        {"ms of 441 samples", [](VazozEvi& e, char* t) { e.samplesToMillisecondsText(441.0f, t, 8); }, "10.00000"},
        {"float 1.5", [](VazozEvi& e, char* t) { e.floatToText(1.5f, t, 8); }, "1.500000"},
        {"float -2.25", [](VazozEvi& e, char* t) { e.floatToText(-2.25f, t, 8); }, "-2.25000"},
        {"float 0", [](VazozEvi& e, char* t) { e.floatToText(0.0f, t, 8); }, "0.000000"},
        {"float 0.7 is cut, not rounded", [](VazozEvi& e, char* t) { e.floatToText(0.7f, t, 8); }, "0.699999"},
        {"float 1234567", [](VazozEvi& e, char* t) { e.floatToText(1234567.0f, t, 8); }, "1234567."},
        {"float 9999999", [](VazozEvi& e, char* t) { e.floatToText(9999999.0f, t, 8); }, "9999999."},
        {"float -999999", [](VazozEvi& e, char* t) { e.floatToText(-999999.0f, t, 8); }, "-999999."},
        {"float 1e8", [](VazozEvi& e, char* t) { e.floatToText(100000000.0f, t, 8); }, "Huge!"},
        {"float -1e7", [](VazozEvi& e, char* t) { e.floatToText(-10000000.0f, t, 8); }, "Huge!"},
        {"float too wide for the field", [](VazozEvi& e, char* t) { e.floatToText(12345678.0f, t, 8); }, "Huge!"},
        {"float negative too wide", [](VazozEvi& e, char* t) { e.floatToText(-1234567.0f, t, 8); }, "Huge!"},
        {"float infinity", [](VazozEvi& e, char* t) { e.floatToText(INFINITY, t, 8); }, "Huge!"},
        {"float NaN", [](VazozEvi& e, char* t) { e.floatToText(NAN, t, 8); }, "NaN"},
        {"float with maxLen 3", [](VazozEvi& e, char* t) { e.floatToText(1.5f, t, 3); }, "1.5"},
        {"integer -45", [](VazozEvi& e, char* t) { e.integerToText(-45, t, 8); }, "-45"},
        {"integer 7", [](VazozEvi& e, char* t) { e.integerToText(7, t, 8); }, "7"},
        {"integer 0", [](VazozEvi& e, char* t) { e.integerToText(0, t, 8); }, "0"},
        {"integer 1e8", [](VazozEvi& e, char* t) { e.integerToText(100000000, t, 8); }, "Huge!"},
        {"integer -123456789", [](VazozEvi& e, char* t) { e.integerToText(-123456789, t, 12); }, "-123456789"},
        {"integer lowest", [](VazozEvi& e, char* t) { e.integerToText(std::numeric_limits<int32_t>::min(), t, 12); }, "Huge!"},
    };
    VazozEvi effect(nullptr);
    for (const TextCase& c : cases) {
        char text[32];
        std::memset(text, 'x', sizeof text);
        c.write(effect, text);
        EXPECT_STREQ(text, c.expected) << "The text of " << c.what << " is wrong.";
    }
}

TEST(TextHelpers, FieldEndsAtMaxLen) {
    VazozEvi effect(nullptr);
    char text[8];
    std::memset(text, 'x', sizeof text);
    effect.floatToText(1.5f, text, 3);
    EXPECT_EQ(text[3], '\0') << "Position maxLen always holds a zero.";
    EXPECT_EQ(text[4], 'x') << "Nothing is written past position maxLen.";
    effect.floatToText(1.5f, nullptr, 8);  // a null buffer is ignored
}
