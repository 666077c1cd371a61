// How the four taps build the output spectrum from crafted analysis spectra: source bins, band tests, summed magnitudes and the deciding frequency.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "effect/pitch_kernels.h"

namespace {

using pitch::binCount;
using pitch::paddedBins;

constexpr float kBinWidth = 44100.0f / 2048.0f;

// A crafted analysis spectrum; every bin gets a distinct magnitude so that a
// wrong source bin shows.
struct Spectrum {
    alignas(64) float magnitude[paddedBins] = {};
    alignas(64) float frequency[paddedBins] = {};
    Spectrum() {
        for (int32_t j = 0; j < binCount; ++j) {
            magnitude[j] = 1.0f + static_cast<float>(j) * 0.25f;
            frequency[j] = static_cast<float>(j) * kBinWidth + 3.0f;  // a little above each bin centre
        }
    }
};

struct Output {
    alignas(64) float magnitude[paddedBins];
    alignas(64) float frequency[paddedBins];
};

pitch::TapValues tapsWith(float factor, std::initializer_list<float> volumes = {1.0f, 1.0f, 1.0f, 1.0f}) {
    pitch::TapValues taps{{factor, factor, factor, factor}, {}, {1200, 4500, 11000, 20000}};
    int n = 0;
    for (float v : volumes)
        taps.volumes[n++] = v;
    return taps;
}

// The mapping as stated, one bin and one tap at a time.
float summed(float sum, float magnitude, float volume) {
    return static_cast<float>(static_cast<double>(magnitude) * volume + sum);
}

std::vector<pitch::InstructionSet> supportedSets() {
    std::vector<pitch::InstructionSet> sets;
    for (auto set : {pitch::InstructionSet::baseline, pitch::InstructionSet::avx2, pitch::InstructionSet::avx512})
        if (pitch::supports(set))
            sets.push_back(set);
    return sets;
}

void map(pitch::InstructionSet set, const Spectrum& in, const pitch::TapValues& taps, Output& out) {
    pitch::SourceTable table;
    pitch::buildSourceTable(taps.factors, table);
    pitch::stagesFor(set).mapTaps(in.magnitude, in.frequency, table, taps, out.magnitude, out.frequency);
}

TEST(TapMapping, SourceBinsAreTheTruncatedQuotientOrSkipped) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float factors[4] = {1.0594631f, 0.5f, 0.0f, inf};  // one semitone up, an octave down, two extremes
    pitch::SourceTable table;
    pitch::buildSourceTable(factors, table);
    for (int32_t k = 0; k < binCount; ++k) {
        const double up = std::trunc(k / static_cast<double>(factors[0]));
        EXPECT_EQ(table.bins[0][k], static_cast<int16_t>(up))
            << "Output bin " << k << " must read the quotient cut toward zero, not rounded.";
        EXPECT_EQ(table.bins[1][k], 2 * k <= 1024 ? 2 * k : -1)
            << "Output bin " << k << " must read bin 2k, or nothing beyond bin 1024.";
        EXPECT_EQ(table.bins[2][k], -1) << "Output bin " << k << " must read nothing with a factor of 0.";
        EXPECT_EQ(table.bins[3][k], 0) << "Output bin " << k << " must read bin 0 with an infinite factor.";
    }
    const float notANumber[4] = {nan, 1.0f, 1.0f, 1.0f};
    pitch::buildSourceTable(notANumber, table);
    EXPECT_EQ(table.bins[0][10], -1) << "A factor that is not a number must skip every bin.";
}

TEST(TapMapping, OctaveUpReadsHalfTheBinAtTwiceItsFrequency) {
    const Spectrum in;
    for (auto set : supportedSets()) {
        Output out;
        map(set, in, tapsWith(2.0f), out);
        for (int32_t k = 0; k < binCount; ++k) {
            const int32_t src = k / 2;
            const bool audible = in.frequency[src] <= 20000.0f;
            EXPECT_EQ(out.magnitude[k], audible ? in.magnitude[src] : 0.0f)
                << "Output bin " << k << " must carry the magnitude of bin " << src << ".";
            EXPECT_EQ(out.frequency[k], audible ? in.frequency[src] * 2.0f : 0.0f)
                << "Output bin " << k << " must carry twice the frequency of bin " << src << ".";
        }
    }
}

TEST(TapMapping, OctaveDownReadsTwiceTheBinAndLeavesTheTopHalfEmpty) {
    const Spectrum in;
    for (auto set : supportedSets()) {
        Output out;
        map(set, in, tapsWith(0.5f), out);
        for (int32_t k = 0; k < binCount; ++k) {
            const int32_t src = 2 * k;
            const bool fed = src <= 1024 && in.frequency[src] <= 20000.0f;
            EXPECT_EQ(out.magnitude[k], fed ? in.magnitude[src] : 0.0f)
                << "Output bin " << k << " must carry the magnitude of bin " << src << ", if that exists.";
            EXPECT_EQ(out.frequency[k], fed ? in.frequency[src] * 0.5f : 0.0f)
                << "Output bin " << k << " must carry half the frequency of bin " << src << ", if that exists.";
        }
        EXPECT_EQ(out.magnitude[600], 0.0f) << "Bins above 512 must get nothing from a tap an octave down.";
    }
}

TEST(TapMapping, TwoFeedingTapsAddMagnitudesAndTheHigherSetsTheFrequency) {
    // Tap 1 reads bin k (its band ends at 1200 Hz); tap 2 reads bin 2k, in
    // its band from 1200 to 4500 Hz for output bins 28 to 55.
    struct Case {
        const char* name;
        float volume2;
    };
    const Case cases[] = {{"both taps audible", 0.5f}, {"the higher tap at volume 0", 0.0f}};
    const Spectrum in;
    for (auto set : supportedSets()) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            pitch::TapValues taps = tapsWith(1.0f, {0.75f, c.volume2, 1.0f, 1.0f});
            taps.factors[1] = 0.5f;
            Output out;
            map(set, in, taps, out);
            int bothFed = 0;
            for (int32_t k = 0; k < 100; ++k) {
                const bool tap1 = in.frequency[k] <= 1200.0f;
                const bool tap2 = in.frequency[2 * k] > 1200.0f && in.frequency[2 * k] <= 4500.0f;
                if (!(tap1 && tap2))
                    continue;
                ++bothFed;
                EXPECT_EQ(out.magnitude[k], summed(summed(0.0f, in.magnitude[k], 0.75f), in.magnitude[2 * k], c.volume2))
                    << "Output bin " << k << " must carry the sum of both taps' magnitudes.";
                EXPECT_EQ(out.frequency[k], in.frequency[2 * k] * 0.5f)
                    << "Output bin " << k << " must take the frequency of tap 2, the higher-numbered feeder.";
            }
            EXPECT_EQ(bothFed, 28) << "Bins 28 to 55 should be fed by both taps.";
        }
    }
}

TEST(TapMapping, BandEdgesDecideTheTapAndFrequenciesOutsideAreSilent) {
    // Unit factors; the volumes tell which tap fed a bin.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float frequency;
        float volume;  // of the tap that must feed it, 0 for none
    };
    const Case cases[] = {
        {-5.0f, 0.0f},        {-0.0f, 1.0f},       {0.0f, 1.0f},   {1200.0f, 1.0f},
        {1200.0001f, 10.0f},  {4500.0f, 10.0f},    {4500.001f, 100.0f}, {11000.0f, 100.0f},
        {11000.001f, 1000.0f}, {20000.0f, 1000.0f}, {20000.002f, 0.0f}, {22000.0f, 0.0f},
        {nan, 0.0f},
    };
    Spectrum in;
    for (size_t i = 0; i < std::size(cases); ++i)
        in.frequency[i] = cases[i].frequency;
    for (auto set : supportedSets()) {
        Output out;
        map(set, in, tapsWith(1.0f, {1.0f, 10.0f, 100.0f, 1000.0f}), out);
        for (size_t i = 0; i < std::size(cases); ++i) {
            EXPECT_EQ(out.magnitude[i], in.magnitude[i] * cases[i].volume)
                << "A bin at " << cases[i].frequency << " Hz went to the wrong tap or should be silent.";
            EXPECT_EQ(out.frequency[i], cases[i].volume == 0.0f ? 0.0f : cases[i].frequency)
                << "A bin at " << cases[i].frequency << " Hz has the wrong frequency.";
        }
    }
}

}  // namespace
