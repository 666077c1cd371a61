#include "tests/engine/reference_engine.h"

#include <xmmintrin.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include <fftw3.h>

#include "effect/shared_transforms.h"

namespace reference {

namespace {

constexpr double E = 1.5707963705062866;
constexpr double PI = 3.141592653589793;
constexpr double TWO_PI = 6.283185307179586;

float f32(double x) { return static_cast<float>(x); }

// Conversion toward zero that is defined for every double: not-a-number
// gives 0, values beyond the range give its ends.
int32_t truncSaturated(double x) {
    if (std::isnan(x))
        return 0;
    if (x >= 2147483647.0)
        return INT32_MAX;
    if (x <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(x);
}

float rsqrtEstimate(float s) { return _mm_cvtss_f32(_mm_rsqrt_ss(_mm_set_ss(s))); }
float rcpEstimate(float s) { return _mm_cvtss_f32(_mm_rcp_ss(_mm_set_ss(s))); }

float wrapToPi(float sum) {
    if (!(std::fabs(static_cast<double>(sum)) <= 1073741824.0))
        return 0.0f;
    const double w = sum;
    const double turns = std::nearbyint(w * (1.0 / TWO_PI));
    float wrapped = f32(w - turns * TWO_PI);
    if (static_cast<double>(wrapped) >= PI)
        wrapped = f32(static_cast<double>(wrapped) - TWO_PI);
    if (static_cast<double>(wrapped) < -PI)
        wrapped = f32(static_cast<double>(wrapped) + TWO_PI);
    return wrapped;
}

}  // namespace

float fastAtan2(float y, float x) {
    const double c1 = 0.7853981852531433;
    const double c2 = 2.356194496154785;
    const float ay = f32(std::fabs(static_cast<double>(y)) + 1e-10);
    double a;
    if (x >= 0.0f) {
        const float r = f32((static_cast<double>(x) - ay) / (static_cast<double>(x) + ay));
        a = c1 - c1 * r;
    } else {
        const float r = f32((static_cast<double>(x) + ay) / (static_cast<double>(ay) - x));
        a = c2 - c1 * r;
    }
    const float result = f32(a);
    return y < 0.0f ? -result : result;
}

Engine::Engine(bool wrapPhase)
    : wrap(wrapPhase), inputFifo(2048), outputFifo(512), window(2048), lastPhase(1025), sumPhase(1025),
      analysisMagnitude(1025), analysisFrequency(1025), synthesisMagnitude(1025), synthesisFrequency(1025),
      outputAccumulator(2560) {
    if (pitch::SharedTransforms::acquire() == nullptr)
        throw std::runtime_error("no FFT plans");
    for (int i = 0; i < 2048; ++i)
        window[i] = f32(0.5 - 0.5 * std::cos(static_cast<double>(i) * TWO_PI * (1.0 / 2048)));
    work = static_cast<float*>(fftwf_malloc(sizeof(float) * 4096));
    reset();
}

Engine::~Engine() { fftwf_free(work); }

void Engine::reset() {
    for (auto* v : {&inputFifo, &outputFifo, &lastPhase, &sumPhase, &analysisMagnitude, &analysisFrequency,
                    &synthesisMagnitude, &synthesisFrequency, &outputAccumulator})
        std::fill(v->begin(), v->end(), 0.0f);
    std::memset(work, 0, sizeof(float) * 4096);
    fifoPosition = 1536;
}

void Engine::process(const float* input, float* output, int32_t count, const Taps& taps) {
    for (int32_t i = 0; i < count; ++i) {
        const float x = input[i];
        inputFifo[fifoPosition] = std::isfinite(x) ? x : 0.0f;
        output[i] = outputFifo[fifoPosition - 1536];
        ++fifoPosition;
        if (fifoPosition == 2048)
            frame(taps);
    }
}

void Engine::frame(const Taps& taps) {
    const pitch::SharedTransforms* plans = pitch::SharedTransforms::acquire();
    auto* spectrum = reinterpret_cast<fftwf_complex*>(work);
    const float F = f32(static_cast<double>(sampleRate) * (1.0 / 2048));
    fifoPosition = 1536;

    for (int j = 0; j < 2048; ++j) {
        work[2 * j] = f32(static_cast<double>(window[j]) * inputFifo[j]);
        work[2 * j + 1] = 0.0f;
    }
    fftwf_execute_dft(plans->forwardPlan, spectrum, spectrum);

    for (int k = 0; k <= 1024; ++k) {
        const float re = work[2 * k];
        const float im = work[2 * k + 1];
        float s = f32(static_cast<double>(re) * re + static_cast<double>(im) * im);
        if (!(s < FLT_MAX))
            s = FLT_MAX;  // an overflowed square saturates
        const float m = f32(2.0 * rcpEstimate(rsqrtEstimate(s)));
        const float phase = fastAtan2(im, re);
        float d = f32(static_cast<double>(phase) - lastPhase[k]);
        lastPhase[k] = phase;
        d = f32(static_cast<double>(d) - k * E);
        int32_t q = truncSaturated(static_cast<double>(d) / PI);
        if (q >= 0)
            q = q + (q & 1);
        else
            q = q - (q & 1);
        analysisMagnitude[k] = m;
        d = f32(static_cast<double>(d) - PI * q);
        d = f32((static_cast<double>(d) * 4) / TWO_PI);
        analysisFrequency[k] = f32(k * static_cast<double>(F) + static_cast<double>(d) * F);
    }

    std::fill(synthesisMagnitude.begin(), synthesisMagnitude.end(), 0.0f);
    std::fill(synthesisFrequency.begin(), synthesisFrequency.end(), 0.0f);
    for (int k = 0; k <= 1024; ++k) {
        for (int n = 0; n < 4; ++n) {
            const double quotient = k / static_cast<double>(taps.factors[n]);
            if (!std::isfinite(quotient) || quotient >= 2147483648.0 || quotient <= -2147483649.0)
                continue;
            const int32_t src = static_cast<int32_t>(quotient);
            if (src < 0 || src > 1024)
                continue;
            const float f = analysisFrequency[src];
            const double lower = n == 0 ? 0.0 : taps.bandLimits[n - 1];
            const double upper = taps.bandLimits[n];
            const bool inside = (n == 0 ? f >= lower : f > lower) && f <= upper;
            if (!inside)
                continue;
            synthesisMagnitude[k] =
                f32(static_cast<double>(analysisMagnitude[src]) * taps.volumes[n] + synthesisMagnitude[k]);
            synthesisFrequency[k] = f32(static_cast<double>(f) * taps.factors[n]);
        }
    }

    for (int k = 0; k <= 1024; ++k) {
        float d = f32(static_cast<double>(synthesisFrequency[k]) - k * static_cast<double>(F));
        d = f32(static_cast<double>(d) / F);
        d = f32((static_cast<double>(d) * TWO_PI) * 0.25);
        d = f32(static_cast<double>(d) + k * E);
        sumPhase[k] = f32(static_cast<double>(d) + sumPhase[k]);
        if (wrap)
            sumPhase[k] = wrapToPi(sumPhase[k]);
        const double phi = sumPhase[k];
        const float M = synthesisMagnitude[k];
        work[2 * k] = f32(static_cast<double>(f32(std::cos(phi))) * M);
        work[2 * k + 1] = f32(static_cast<double>(f32(std::sin(phi))) * M);
    }
    for (int k = 1025; k < 2048; ++k)
        work[2 * k] = work[2 * k + 1] = 0.0f;
    fftwf_execute_dft(plans->backwardPlan, spectrum, spectrum);

    for (int j = 0; j < 2048; ++j)
        outputAccumulator[j] = f32(((static_cast<double>(window[j]) * 2) * work[2 * j]) * (1.0 / 4096) +
                                   outputAccumulator[j]);
    for (int j = 0; j < 512; ++j)
        outputFifo[j] = outputAccumulator[j];
    std::memmove(outputAccumulator.data(), outputAccumulator.data() + 512, sizeof(float) * 2048);
    std::memmove(inputFifo.data(), inputFifo.data() + 512, sizeof(float) * 1536);
}

}  // namespace reference
