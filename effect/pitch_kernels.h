// The per-frame stages of the pitch-shift engine and the scalar arithmetic
// they are built from. Every stage reproduces the engine's float rounding
// exactly: an operation marked as rounded to float is computed in double and
// then rounded, and where a float operation is used instead it is one whose
// result is provably the same (a single +, -, * or / of two floats computed in
// double and rounded to float equals the float operation). The stages exist
// once per instruction set (baseline x86-64, AVX2, AVX-512); the engine takes
// the widest that the processor offers, and all of them give identical
// results.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define PITCH_HAVE_SSE_ESTIMATES 1
#else
#define PITCH_HAVE_SSE_ESTIMATES 0
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#define PITCH_HAVE_WIDE_STAGES 1
#else
#define PITCH_HAVE_WIDE_STAGES 0
#endif

#include "effect/shared_transforms.h"

namespace pitch {

// Phase of the bin x + iy, an approximation of atan2 with an error of at most
// about 0.07 radians. Never replaced by the library arc tangent: the engine's
// frequency estimates are defined by this curve.
inline float fastAtan2(float y, float x) noexcept {
    constexpr double quarterPi = 0.7853981852531433;       // pi/4 rounded to float
    constexpr double threeQuarterPi = 2.356194496154785;   // 3pi/4 rounded to float
    const float absY = static_cast<float>(std::fabs(static_cast<double>(y)) + 1e-10);
    const double dx = x;
    const double dy = absY;
    // x < 0 and x not a number take the second arm.
    const bool rightHalf = x >= 0.0f;
    const double numerator = rightHalf ? dx - dy : dx + dy;
    const double denominator = rightHalf ? dx + dy : dy - dx;
    const double ratio = static_cast<float>(numerator / denominator);
    const double base = rightHalf ? quarterPi : threeQuarterPi;
    const float angle = static_cast<float>(base - quarterPi * ratio);
    return y < 0.0f ? -angle : angle;
}

// Single-precision estimates of 1/sqrt(s) and 1/s with a relative error of at
// most 1.5 * 2^-12. On x86-64 these are the processor's estimate instructions,
// whose exact results vary between processor makers within that bound.
inline float reciprocalSqrtEstimate(float s) noexcept {
#if PITCH_HAVE_SSE_ESTIMATES
    return _mm_cvtss_f32(_mm_rsqrt_ss(_mm_set_ss(s)));
#else
    return 1.0f / std::sqrt(s);
#endif
}

inline float reciprocalEstimate(float s) noexcept {
#if PITCH_HAVE_SSE_ESTIMATES
    return _mm_cvtss_f32(_mm_rcp_ss(_mm_set_ss(s)));
#else
    return 1.0f / s;
#endif
}

// The portable estimates, always compiled so that their error bound can be
// checked on any machine. They behave like the instructions at the edges:
// 0 gives infinity and back, infinity gives 0.
inline float portableReciprocalSqrtEstimate(float s) noexcept { return 1.0f / std::sqrt(s); }
inline float portableReciprocalEstimate(float s) noexcept { return 1.0f / s; }

// A squared magnitude that overflowed to infinity (a bin above about 1.8e19,
// from a far too loud input) is taken as the largest float, so the bin keeps
// a large but finite magnitude: an infinite one would turn the whole
// resynthesised frame into infinities and not-a-numbers. (s < max is false
// for not-a-number too; such a bin has no frequency and feeds no tap.)
inline float saturateSquare(float s) noexcept {
    return s < std::numeric_limits<float>::max() ? s : std::numeric_limits<float>::max();
}

// Bin magnitude from its squared magnitude s = <re^2 + im^2>: twice the
// estimated square root, 2 * <rcp(rsqrt(s))>. 0 gives 0.
inline float magnitudeFromSquare(float s) noexcept {
    return 2.0f * reciprocalEstimate(reciprocalSqrtEstimate(s));
}

// Brings an accumulated synthesis phase back into [-pi, pi). The sum grows by
// about k * pi/2 every frame; left unbounded its float steps soon reach a
// radian and a steady tone dissolves into noise. A sum that is not finite, or
// absurdly far out (only non-finite or extreme settings lead there), restarts
// at 0 so that one bad frame cannot silence the bin for good.
inline float wrapPhase(float sum) noexcept {
    constexpr double inverseTwoPi = 0.15915494309189535;
    constexpr double roundingShift = 6755399441055744.0;  // 1.5 * 2^52: adding it rounds to an integer
    // pi lies between two floats; the larger is the least float >= pi.
    constexpr float leastAbovePi = 3.14159274f;
    const double w = std::fabs(sum) <= 1073741824.0f ? sum : 0.0f;
    const double turns = (w * inverseTwoPi + roundingShift) - roundingShift;
    const float wrapped = static_cast<float>(w - turns * twoPi);
    // Rounding to float can land on +-<pi>, just outside the range. (The
    // tests are float comparisons, which vectorise best; they are exact.)
    const float belowPi = wrapped >= leastAbovePi ? static_cast<float>(wrapped - twoPi) : wrapped;
    return belowPi <= -leastAbovePi ? static_cast<float>(belowPi + twoPi) : belowPi;
}

// <cos x> and <sin x> (double-precision cosine and sine rounded to float) for
// |x| <= 4, from one argument reduction and two polynomials. The polynomial
// values have a relative error far below 2^-44; the float rounding is then
// certain unless the value lies within 2^-40 of a rounding boundary. Answers
// whether it is certain; where it is not, the caller takes the library
// functions, so the floats used are always exactly those of std::cos and
// std::sin.
[[gnu::always_inline]] inline bool sinCosToFloat(float phase, float& cosine, float& sine) noexcept {
    constexpr double twoOverPi = 0.6366197723675814;
    constexpr double roundingShift = 6755399441055744.0;
    // pi/2 in two parts: the first has 33 significant bits, so n * part1 is
    // exact and x - n * part1 is exact for the float arguments and |n| <= 2
    // used here; the second carries the next 53 bits.
    constexpr double halfPiPart1 = 1.5707963267341256;
    constexpr double halfPiPart2 = 6.077100506506192e-11;
    const double x = phase;
    const double n = (x * twoOverPi + roundingShift) - roundingShift;
    const double r = (x - n * halfPiPart1) - n * halfPiPart2;
    const double z = r * r;
    // Taylor series to r^15 and r^16: on |r| <= pi/4 the first omitted terms
    // are below 2^-53 relative.
    const double sinTail =
        -1.0 / 6.0 +
        z * (1.0 / 120.0 +
             z * (-1.0 / 5040.0 +
                  z * (1.0 / 362880.0 +
                       z * (-1.0 / 39916800.0 + z * (1.0 / 6227020800.0 + z * (-1.0 / 1307674368000.0))))));
    // Written as a product so that sin(-0) keeps its sign.
    const double sinR = r * (1.0 + z * sinTail);
    const double cosTail =
        1.0 / 24.0 +
        z * (-1.0 / 720.0 +
             z * (1.0 / 40320.0 +
                  z * (-1.0 / 3628800.0 +
                       z * (1.0 / 479001600.0 + z * (-1.0 / 87178291200.0 + z * (1.0 / 20922789888000.0))))));
    const double cosR = 1.0 - (0.5 * z - (z * z) * cosTail);
    // Quadrant n in -2..2: rotate (cos r, sin r) by n quarter turns.
    const bool odd = (n == 1.0) | (n == -1.0);
    const bool half = (n == 2.0) | (n == -2.0);
    double c = odd ? sinR : cosR;
    double s = odd ? cosR : sinR;
    c = ((n == 1.0) | half) ? -c : c;
    s = ((n == -1.0) | half) ? -s : s;
    cosine = static_cast<float>(c);
    sine = static_cast<float>(s);
    // Rounding is certain when both ends of a band 2^-40 wide around the
    // value round to the same float (the value itself lies between them).
    constexpr double up = 1.0 + 0x1p-40;
    constexpr double down = 1.0 - 0x1p-40;
    return (static_cast<float>(c * up) == static_cast<float>(c * down)) &
           (static_cast<float>(s * up) == static_cast<float>(s * down)) & (std::fabs(phase) <= 4.0f);
}

// Per-frame view of the four taps: shifts as frequency factors (formed once
// per block), volumes and band limits (read once per frame).
struct TapValues {
    float factors[4];
    float volumes[4];
    int32_t bandLimits[4];
};

// For each tap and output bin, the source bin it reads: trunc(k / factor) in
// double precision, or -1 where the tap skips the bin (quotient not finite,
// negative or above 1024). Depends only on the factors, so the engine
// rebuilds it only when they change.
struct SourceTable {
    alignas(64) int16_t bins[4][paddedBins];
};

void buildSourceTable(const float factors[4], SourceTable& table) noexcept;

// The frame stages, in the order the engine runs them. Arrays of bins hold
// paddedBins entries and are 64-byte aligned; the work buffer holds 2048
// interleaved complex values (real, imaginary).
struct Stages {
    // Windows the 2048 samples of the input FIFO into the real parts of the
    // work buffer and clears the imaginary parts.
    void (*windowFrame)(const float* window, const float* inputFifo, float* workBuffer) noexcept;

    // Analysis of the forward-transformed work buffer: magnitude and true
    // frequency in Hz of bins 0 to 1024, with the phase-difference unwrapping
    // that moves odd multiples of pi away from zero to the next even one.
    // lastPhase holds the phases of the previous frame and is updated.
    void (*analyseBins)(const float* workBuffer, const double* binAdvance, float binWidth, float* lastPhase,
                        float* magnitude, float* frequency) noexcept;

    // Builds the output spectrum: output bin k takes from each tap n, in
    // order 1 to 4, the source bin table[n][k] when that bin's frequency lies
    // in the tap's band (tap 1: 0 <= f <= b0; tap n: b(n-2) < f <= b(n-1)).
    // Magnitudes of all feeding taps add up, each times its volume; the
    // frequency, times the tap's factor, is overwritten, so the
    // highest-numbered feeding tap decides it, even at volume 0.
    void (*mapTaps)(const float* magnitude, const float* frequency, const SourceTable& table,
                    const TapValues& taps, float* synthesisMagnitude, float* synthesisFrequency) noexcept;

    // Synthesis: accumulates each bin's phase from its frequency, wraps it and
    // writes magnitude and phase into the work buffer as a complex spectrum;
    // the negative frequencies (bins 1025 to 2047) are cleared. `uncertain`
    // is scratch space for paddedBins flags.
    void (*synthesiseBins)(const float* synthesisMagnitude, const float* synthesisFrequency,
                           const double* binAdvance, float binWidth, float* sumPhase, int32_t* uncertain,
                           float* workBuffer) noexcept;

    // Windowed overlap-add of the backward-transformed work buffer into the
    // 2048-sample accumulator with gain 2/4096. The finished first hop goes
    // to outputFifo and the accumulator moves on by one hop (its last 512
    // entries become zero).
    void (*overlapAdd)(const float* window, const float* workBuffer, float* outputAccumulator,
                       float* outputFifo) noexcept;
};

enum class InstructionSet { baseline, avx2, avx512 };

// Whether this processor (and its operating system) can run the set.
bool supports(InstructionSet set) noexcept;
InstructionSet bestInstructionSet() noexcept;
// The stages for a set; a set that this processor cannot run gives the
// baseline stages.
const Stages& stagesFor(InstructionSet set) noexcept;

}  // namespace pitch
