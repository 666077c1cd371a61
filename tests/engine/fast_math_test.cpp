// The engine's scalar arithmetic: fastAtan2, the magnitude estimate, the phase wrap and the float-exact cosine and sine.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "effect/pitch_kernels.h"

namespace {

float floatFromBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

TEST(FastAtan2, AnswersTheTableOfCases) {
    struct Case {
        float y, x;
        double expected;
    };
    const Case cases[] = {
        {0.0f, 1.0f, 0.0},
        {1.0f, 0.0f, 1.5707963705062866},
        {0.0f, 0.0f, 1.5707963705062866},
        {0.0f, -1.0f, static_cast<float>(3.141592653589793)},
        {-1.0f, 0.0f, -1.5707963705062866},
        {1.0f, 1.0f, 0.7853981852531433},
        {-1.0f, -1.0f, -2.356194496154785},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pitch::fastAtan2(c.y, c.x), static_cast<float>(c.expected))
            << "fastAtan2(" << c.y << ", " << c.x << ") must give exactly " << c.expected << ".";
}

TEST(FastAtan2, StaysWithinItsErrorBoundAndPassesNotANumberThrough) {
    std::mt19937 generator(5);
    std::uniform_real_distribution<float> coordinate(-1000.0f, 1000.0f);
    double worst = 0.0;
    for (int i = 0; i < 200000; ++i) {
        const float y = coordinate(generator);
        const float x = coordinate(generator);
        worst = std::max(worst, std::fabs(pitch::fastAtan2(y, x) - std::atan2(static_cast<double>(y), x)));
    }
    EXPECT_LT(worst, 0.072) << "The approximation strays further from the arc tangent than its bound allows.";
    EXPECT_TRUE(std::isnan(pitch::fastAtan2(std::nanf(""), 1.0f))) << "A phase of a bin that is not a number must not look like a number.";
}

TEST(MagnitudeEstimate, ZeroBinHasZeroMagnitudeAndOthersAreWithinTheEstimateBound) {
    EXPECT_EQ(pitch::magnitudeFromSquare(0.0f), 0.0f) << "A bin with re = im = 0 must have magnitude 0.";
    // Two estimates of relative error 1.5 * 2^-12 each, and the doubling.
    const double bound = 2 * 1.5 * 0x1p-12 + 0x1p-20;
    for (double s = 1e-30; s < 1e30; s *= 1.37) {
        const auto square = static_cast<float>(s);
        const double exact = 2.0 * std::sqrt(static_cast<double>(square));
        EXPECT_NEAR(pitch::magnitudeFromSquare(square) / exact, 1.0, bound)
            << "The magnitude estimate strays too far from 2 sqrt(s) at s = " << square << ".";
    }
}

TEST(MagnitudeEstimate, PortableEstimatesMatchTheInstructionsWithinTheirBound) {
    // Each estimate is within 1.5 * 2^-12 of the exact value, so two of them
    // are within twice that of each other.
    const double bound = 3.0 * 0x1p-12;
    std::mt19937 generator(9);
    std::uniform_int_distribution<uint32_t> normalBits(0x00800000u, 0x7f7fffffu);
    for (int i = 0; i < 100000; ++i) {
        const float s = floatFromBits(normalBits(generator));
        EXPECT_NEAR(pitch::portableReciprocalSqrtEstimate(s) / pitch::reciprocalSqrtEstimate(s), 1.0, bound)
            << "The two reciprocal square roots of " << s << " differ by more than their bounds allow.";
        if (s < 5e37f) {  // the instruction flushes reciprocals that would be denormal
            EXPECT_NEAR(pitch::portableReciprocalEstimate(s) / pitch::reciprocalEstimate(s), 1.0, bound)
                << "The two reciprocals of " << s << " differ by more than their bounds allow.";
        }
    }
    EXPECT_EQ(pitch::portableReciprocalEstimate(pitch::portableReciprocalSqrtEstimate(0.0f)), 0.0f)
        << "The portable path must also give magnitude 0 for a zero bin.";
}

TEST(WrapPhase, BringsSumsIntoTheHalfOpenRangeAndKeepsTheAngle) {
    const double pi = 3.141592653589793;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float sum;
        float expected;
    };
    const Case exact[] = {
        {0.0f, 0.0f},
        {1.25f, 1.25f},
        {-3.0f, -3.0f},
        {nan, 0.0f},
        {inf, 0.0f},
        {-inf, 0.0f},
        {3e9f, 0.0f},
    };
    for (const Case& c : exact)
        EXPECT_EQ(pitch::wrapPhase(c.sum), c.expected) << "Wrapping " << c.sum << " gives the wrong phase.";

    std::mt19937 generator(3);
    std::uniform_real_distribution<float> sums(-2000.0f, 2000.0f);
    const float edges[] = {static_cast<float>(pi), -static_cast<float>(pi), std::nextafter(static_cast<float>(pi), 0.0f),
                           static_cast<float>(3 * pi), static_cast<float>(-3 * pi), 1612.7f};
    for (int i = 0; i < 100006; ++i) {
        const float sum = i < 6 ? edges[i] : sums(generator);
        const float wrapped = pitch::wrapPhase(sum);
        ASSERT_TRUE(wrapped >= -pi && wrapped < pi) << "The wrapped phase of " << sum << " is " << wrapped
                                                    << ", outside [-pi, pi).";
        ASSERT_NEAR(std::cos(wrapped), std::cos(sum), 2e-4) << "Wrapping " << sum << " changed the angle.";
        ASSERT_NEAR(std::sin(wrapped), std::sin(sum), 2e-4) << "Wrapping " << sum << " changed the angle.";
    }
}

// Every float of [-pi, pi) whose bits are `stride` apart; checks that where
// the fast path claims certainty its floats are those of the library.
void checkSinCos(uint32_t stride, uint64_t& checked, uint64_t& uncertain) {
    const uint32_t piBits = 0x40490fdbu;  // <pi>, the first float above pi
    for (uint32_t sign = 0; sign <= 1; ++sign) {
        for (uint32_t bits = 0; bits < piBits; bits += stride) {
            const float x = floatFromBits(bits | (sign << 31));
            float c, s;
            const bool certain = pitch::sinCosToFloat(x, c, s);
            ++checked;
            if (!certain) {
                ++uncertain;
                continue;
            }
            const auto libraryCos = static_cast<float>(std::cos(static_cast<double>(x)));
            const auto librarySin = static_cast<float>(std::sin(static_cast<double>(x)));
            if (std::memcmp(&c, &libraryCos, sizeof c) != 0 || std::memcmp(&s, &librarySin, sizeof s) != 0) {
                ADD_FAILURE() << "At x = " << x << " the fast cosine and sine give " << c << ", " << s
                              << " but the library rounds to " << libraryCos << ", " << librarySin << ".";
                return;
            }
        }
    }
}

TEST(SinCosToFloat, CertainResultsAreExactlyTheLibraryFloats) {
    uint64_t checked = 0;
    uint64_t uncertain = 0;
    checkSinCos(997, checked, uncertain);
    EXPECT_LT(static_cast<double>(uncertain) / static_cast<double>(checked), 1e-3)
        << "The fast path leaves too many values to the library: " << uncertain << " of " << checked << ".";
    float c, s;
    EXPECT_FALSE(pitch::sinCosToFloat(5.0f, c, s)) << "Arguments beyond the reduced range must go to the library.";
    ASSERT_TRUE(pitch::sinCosToFloat(-0.0f, c, s));
    EXPECT_TRUE(std::signbit(s)) << "sin(-0) must stay -0, as the library gives it.";
}

// Every float of [-pi, pi); about 40 seconds. Run with
// --gtest_also_run_disabled_tests --gtest_filter='*Exhaustive*'.
TEST(SinCosToFloat, DISABLED_ExhaustiveOverTheWrappedRange) {
    uint64_t checked = 0;
    uint64_t uncertain = 0;
    checkSinCos(1, checked, uncertain);
    RecordProperty("uncertain", std::to_string(uncertain));
    std::printf("%llu floats checked, %llu left to the library\n", static_cast<unsigned long long>(checked),
                static_cast<unsigned long long>(uncertain));
}

}  // namespace
