// Frame stages of the pitch-shift engine. The loops are written so that the
// compiler can turn them into vector code; each stage is compiled for
// baseline x86-64, AVX2 and AVX-512, and the engine takes the widest set that
// the processor offers. Contraction of a * b + c into fused multiply-adds is
// disabled for this file: every version rounds exactly like the plain
// arithmetic.
#include "effect/pitch_kernels.h"

#include <algorithm>
#include <limits>

// The stage bodies are inlined into one wrapper per instruction set, which
// compiles them for that set.
#define PITCH_BODY [[gnu::always_inline]] inline

namespace pitch {

namespace {

// Source bin of output bin k for a tap with the given factor, or -1 where the
// tap skips it. The quotient is an exact double division; only quotients in
// (-1, 1025) truncate to a bin from 0 to 1024, and every comparison with a
// quotient that is not a number fails.
inline int16_t sourceBin(int32_t k, float factor) noexcept {
    const double quotient = static_cast<double>(k) / static_cast<double>(factor);
    return (quotient > -1.0 && quotient < static_cast<double>(binCount))
               ? static_cast<int16_t>(static_cast<int32_t>(quotient))
               : static_cast<int16_t>(-1);
}

}  // namespace

void buildSourceTable(const float factors[4], SourceTable& table) noexcept {
    for (int32_t tap = 0; tap < 4; ++tap) {
        for (int32_t k = 0; k < binCount; ++k)
            table.bins[tap][k] = sourceBin(k, factors[tap]);
        std::fill(table.bins[tap] + binCount, table.bins[tap] + paddedBins, static_cast<int16_t>(-1));
    }
}

namespace {

PITCH_BODY void windowFrameBody(const float* window, const float* inputFifo, float* workBuffer) noexcept {
    // <window * sample>: the float product is the rounded double product.
#pragma omp simd
    for (int32_t j = 0; j < frameSize; ++j) {
        workBuffer[2 * j] = window[j] * inputFifo[j];
        workBuffer[2 * j + 1] = 0.0f;
    }
}

PITCH_BODY void analyseBinsBody(const float* workBuffer, const double* binAdvance, float binWidth,
                                float* lastPhase, float* magnitude, float* frequency) noexcept {
    const double width = binWidth;
    // First pass: squared magnitudes (kept in `magnitude` for the second pass)
    // and frequencies.
#pragma omp simd
    for (int32_t k = 0; k < binCount; ++k) {
        const float re = workBuffer[2 * k];
        const float im = workBuffer[2 * k + 1];
        const double dre = re;
        const double dim = im;
        magnitude[k] = static_cast<float>(dre * dre + dim * dim);

        const float phase = fastAtan2(im, re);
        float d = static_cast<float>(static_cast<double>(phase) - static_cast<double>(lastPhase[k]));
        lastPhase[k] = phase;
        d = static_cast<float>(static_cast<double>(d) - binAdvance[k]);

        // q = trunc(d / pi), made even by moving an odd q one step away from
        // zero. The clamp only matters for a d that is not a number (from an
        // overflowing spectrum), whose result is not a number whatever q is.
        double turns = static_cast<double>(d) / pi;
        turns = turns > -1e9 ? turns : -1e9;
        turns = turns < 1e9 ? turns : 1e9;
        int32_t q = static_cast<int32_t>(turns);
        q = q >= 0 ? q + (q & 1) : q - (q & 1);

        d = static_cast<float>(static_cast<double>(d) - pi * static_cast<double>(q));
        d = static_cast<float>((static_cast<double>(d) * oversampling) / twoPi);
        frequency[k] = static_cast<float>(static_cast<double>(k) * width + static_cast<double>(d) * width);
    }
    // Second pass: 2 * <rcp(rsqrt(s))> with the processor's estimates, four
    // bins at a time (bit-identical to the single-lane instructions). A
    // square that overflowed saturates first (see saturateSquare).
#if PITCH_HAVE_SSE_ESTIMATES
    const __m128 two = _mm_set1_ps(2.0f);
    const __m128 largest = _mm_set1_ps(std::numeric_limits<float>::max());
    for (int32_t k = 0; k < paddedBins; k += 4) {
        const __m128 s = _mm_min_ps(_mm_load_ps(magnitude + k), largest);
        _mm_store_ps(magnitude + k, _mm_mul_ps(two, _mm_rcp_ps(_mm_rsqrt_ps(s))));
    }
#else
    for (int32_t k = 0; k < binCount; ++k)
        magnitude[k] = magnitudeFromSquare(saturateSquare(magnitude[k]));
#endif
}

// One tap's contribution to every output bin. Tap 1 includes the lower edge
// of its band (0 Hz), the others exclude theirs; a frequency that is not a
// number fails every comparison.
template <bool includeLowerEdge>
[[gnu::always_inline]] inline bool inBand(double f, double lower, double upper) noexcept {
    return (includeLowerEdge ? f >= lower : f > lower) & (f <= upper);
}

// (Magnitudes and frequencies are done in two passes: the compiler vectorises
// each of them, but not the two together.)
template <bool includeLowerEdge>
[[gnu::always_inline]] inline void addTap(const float* magnitude, const float* frequency, const int16_t* source, double lower,
                   double upper, double volume, float factor, float* synthesisMagnitude,
                   float* synthesisFrequency) noexcept {
#pragma omp simd
    for (int32_t k = 0; k < binCount; ++k) {
        const int32_t j = source[k];
        const int32_t safe = j >= 0 ? j : 0;
        const bool feeds = (j >= 0) & inBand<includeLowerEdge>(frequency[safe], lower, upper);
        const float summed =
            static_cast<float>(static_cast<double>(magnitude[safe]) * volume + synthesisMagnitude[k]);
        synthesisMagnitude[k] = feeds ? summed : synthesisMagnitude[k];
    }
#pragma omp simd
    for (int32_t k = 0; k < binCount; ++k) {
        const int32_t j = source[k];
        const int32_t safe = j >= 0 ? j : 0;
        const float f = frequency[safe];
        const bool feeds = (j >= 0) & inBand<includeLowerEdge>(f, lower, upper);
        synthesisFrequency[k] = feeds ? f * factor : synthesisFrequency[k];
    }
}

PITCH_BODY void mapTapsBody(const float* magnitude, const float* frequency, const SourceTable& table,
                            const TapValues& taps, float* synthesisMagnitude, float* synthesisFrequency) noexcept {
    std::fill(synthesisMagnitude, synthesisMagnitude + paddedBins, 0.0f);
    std::fill(synthesisFrequency, synthesisFrequency + paddedBins, 0.0f);
    // Tap by tap over all bins: each bin still sees the taps in order 1 to 4,
    // so its magnitude sum is rounded in the same order.
    addTap<true>(magnitude, frequency, table.bins[0], 0.0, static_cast<double>(taps.bandLimits[0]),
                 taps.volumes[0], taps.factors[0], synthesisMagnitude, synthesisFrequency);
    for (int32_t tap = 1; tap < 4; ++tap)
        addTap<false>(magnitude, frequency, table.bins[tap], static_cast<double>(taps.bandLimits[tap - 1]),
                      static_cast<double>(taps.bandLimits[tap]), taps.volumes[tap], taps.factors[tap],
                      synthesisMagnitude, synthesisFrequency);
}

// Takes the library cosine and sine for the bins marked in `uncertain`.
[[gnu::noinline]] void resolveUncertainBins(const float* synthesisMagnitude, const float* sumPhase,
                                            const int32_t* uncertain, float* workBuffer) noexcept {
    for (int32_t k = 0; k < binCount; ++k) {
        if (uncertain[k] == 0)
            continue;
        const double phase = sumPhase[k];
        const float m = synthesisMagnitude[k];
        workBuffer[2 * k] = static_cast<float>(std::cos(phase)) * m;
        workBuffer[2 * k + 1] = static_cast<float>(std::sin(phase)) * m;
    }
}

PITCH_BODY void synthesiseBinsBody(const float* __restrict synthesisMagnitude,
                                   const float* __restrict synthesisFrequency, const double* __restrict binAdvance,
                                   float binWidth, float* __restrict sumPhase, int32_t* __restrict uncertain,
                                   float* __restrict workBuffer) noexcept {
    const double width = binWidth;
#pragma GCC ivdep
    for (int32_t k = 0; k < binCount; ++k) {
        float d = static_cast<float>(static_cast<double>(synthesisFrequency[k]) - static_cast<double>(k) * width);
        d = static_cast<float>(static_cast<double>(d) / width);
        d = static_cast<float>((static_cast<double>(d) * twoPi) * (1.0 / oversampling));
        d = static_cast<float>(static_cast<double>(d) + binAdvance[k]);
        const float phase = wrapPhase(d + sumPhase[k]);
        sumPhase[k] = phase;
        float cosine;
        float sine;
        const bool certain = sinCosToFloat(phase, cosine, sine);
        const float m = synthesisMagnitude[k];
        workBuffer[2 * k] = cosine * m;
        workBuffer[2 * k + 1] = sine * m;
        uncertain[k] = certain ? 0 : 1;
    }
    // The rare bins whose rounding the fast path could not decide.
    int32_t anyUncertain = 0;
    for (int32_t k = 0; k < binCount; ++k)
        anyUncertain |= uncertain[k];
    if (anyUncertain != 0)
        resolveUncertainBins(synthesisMagnitude, sumPhase, uncertain, workBuffer);
#pragma omp simd
    for (int32_t j = 2 * binCount; j < 2 * frameSize; ++j)
        workBuffer[j] = 0.0f;
}

PITCH_BODY void overlapAddBody(const float* window, const float* workBuffer, float* outputAccumulator,
                               float* outputFifo) noexcept {
    constexpr double gain = 1.0 / 4096.0;
    // ((window * 2) * re) * (1/4096) is exact in double; the sum with the
    // accumulator is rounded once to double and once to float.
#pragma omp simd
    for (int32_t j = 0; j < hopSize; ++j)
        outputFifo[j] = static_cast<float>(
            ((static_cast<double>(window[j]) * 2.0) * static_cast<double>(workBuffer[2 * j])) * gain +
            static_cast<double>(outputAccumulator[j]));
    // Entry j of the sum lands at j - 512: the accumulator moves on by a hop.
#pragma omp simd
    for (int32_t j = hopSize; j < frameSize; ++j)
        outputAccumulator[j - hopSize] = static_cast<float>(
            ((static_cast<double>(window[j]) * 2.0) * static_cast<double>(workBuffer[2 * j])) * gain +
            static_cast<double>(outputAccumulator[j]));
    std::fill(outputAccumulator + fifoLatency, outputAccumulator + frameSize, 0.0f);
}


// One set of stages per instruction set; each wrapper compiles the bodies for
// its set.
#define PITCH_STAGE_SET(name, target)                                                                          \
    target void name##WindowFrame(const float* window, const float* inputFifo, float* workBuffer) noexcept {   \
        windowFrameBody(window, inputFifo, workBuffer);                                                        \
    }                                                                                                          \
    target void name##AnalyseBins(const float* workBuffer, const double* binAdvance, float binWidth,           \
                                  float* lastPhase, float* magnitude, float* frequency) noexcept {             \
        analyseBinsBody(workBuffer, binAdvance, binWidth, lastPhase, magnitude, frequency);                    \
    }                                                                                                          \
    target void name##MapTaps(const float* magnitude, const float* frequency, const SourceTable& table,        \
                              const TapValues& taps, float* synthesisMagnitude,                                \
                              float* synthesisFrequency) noexcept {                                            \
        mapTapsBody(magnitude, frequency, table, taps, synthesisMagnitude, synthesisFrequency);                \
    }                                                                                                          \
    target void name##SynthesiseBins(const float* synthesisMagnitude, const float* synthesisFrequency,         \
                                     const double* binAdvance, float binWidth, float* sumPhase,                \
                                     int32_t* uncertain, float* workBuffer) noexcept {                         \
        synthesiseBinsBody(synthesisMagnitude, synthesisFrequency, binAdvance, binWidth, sumPhase, uncertain,  \
                           workBuffer);                                                                        \
    }                                                                                                          \
    target void name##OverlapAdd(const float* window, const float* workBuffer, float* outputAccumulator,       \
                                 float* outputFifo) noexcept {                                                 \
        overlapAddBody(window, workBuffer, outputAccumulator, outputFifo);                                     \
    }                                                                                                          \
    constexpr Stages name##Stages = {name##WindowFrame, name##AnalyseBins, name##MapTaps, name##SynthesiseBins, \
                                     name##OverlapAdd};

PITCH_STAGE_SET(baseline, )
#if PITCH_HAVE_WIDE_STAGES
PITCH_STAGE_SET(avx2, __attribute__((target("avx2"))))
PITCH_STAGE_SET(avx512, __attribute__((target("avx2,avx512f,avx512vl,avx512bw,avx512dq"))))
#endif

}  // namespace

bool supports(InstructionSet set) noexcept {
    switch (set) {
        case InstructionSet::baseline:
            return true;
#if PITCH_HAVE_WIDE_STAGES
        case InstructionSet::avx2:
            return __builtin_cpu_supports("avx2");
        case InstructionSet::avx512:
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") &&
                   __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw") &&
                   __builtin_cpu_supports("avx512dq");
#endif
        default:
            return false;
    }
}

InstructionSet bestInstructionSet() noexcept {
    if (supports(InstructionSet::avx512))
        return InstructionSet::avx512;
    if (supports(InstructionSet::avx2))
        return InstructionSet::avx2;
    return InstructionSet::baseline;
}

const Stages& stagesFor(InstructionSet set) noexcept {
#if PITCH_HAVE_WIDE_STAGES
    if (supports(set)) {
        if (set == InstructionSet::avx512)
            return avx512Stages;
        if (set == InstructionSet::avx2)
            return avx2Stages;
    }
#else
    (void)set;
#endif
    return baselineStages;
}

}  // namespace pitch
