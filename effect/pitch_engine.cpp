#include "effect/pitch_engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace pitch;

PitchEngine::PitchEngine(InstructionSet instructions) noexcept
    : transforms(SharedTransforms::acquire()), stages(&stagesFor(instructions)) {
    reset();
    const float unity[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    buildSourceTable(unity, sources);
    std::copy(unity, unity + 4, sourceFactors);
}

void PitchEngine::reset() noexcept {
    std::memset(static_cast<void*>(&state), 0, sizeof state);
    state.fifoPosition = fifoLatency;
}

void PitchEngine::setSampleRate(float newRate) noexcept {
    if (std::isfinite(newRate) && newRate > 0.0f)
        rate.store(newRate, std::memory_order_relaxed);
}

void PitchEngine::spectralPitchShift(const float* input, float* output, int32_t sampleCount, const float factors[4],
                                     const TapSettings& settings) noexcept {
    if (sampleCount < 1 || input == nullptr || output == nullptr)
        return;
    if (transforms == nullptr) {
        std::fill(output, output + sampleCount, 0.0f);
        return;
    }
    if (std::memcmp(factors, sourceFactors, sizeof sourceFactors) != 0) {
        buildSourceTable(factors, sources);
        std::copy(factors, factors + 4, sourceFactors);
    }
    const float binWidth = static_cast<float>(static_cast<double>(rate.load(std::memory_order_relaxed)) *
                                              (1.0 / frameSize));

    int32_t p = state.fifoPosition;
    for (int32_t i = 0; i < sampleCount; ++i) {
        // Read the input sample before writing the output sample, so that both
        // may be the same buffer. A sample that is not finite enters as 0: it
        // would otherwise spoil every bin of the four frames that hold it.
        const float sample = input[i];
        state.inputFifo[p] = std::isfinite(sample) ? sample : 0.0f;
        output[i] = state.outputFifo[p - fifoLatency];
        if (++p == frameSize) {
            TapValues taps;
            std::copy(factors, factors + 4, taps.factors);
            for (int32_t n = 0; n < 4; ++n) {
                taps.volumes[n] = settings.volumes[n].load(std::memory_order_relaxed);
                taps.bandLimits[n] = settings.bandLimits[n].load(std::memory_order_relaxed);
            }
            processFrame(taps, binWidth);
            p = fifoLatency;
        }
    }
    state.fifoPosition = p;
}

void PitchEngine::processFrame(const TapValues& taps, float binWidth) noexcept {
    EngineState& s = state;
    auto* spectrum = reinterpret_cast<fftwf_complex*>(s.workBuffer);
    stages->windowFrame(transforms->hannWindow, s.inputFifo, s.workBuffer);
    fftwf_execute_dft(transforms->forwardPlan, spectrum, spectrum);
    stages->analyseBins(s.workBuffer, transforms->binAdvance, binWidth, s.lastPhase, s.analysisMagnitude,
                        s.analysisFrequency);
    stages->mapTaps(s.analysisMagnitude, s.analysisFrequency, sources, taps, s.synthesisMagnitude,
                    s.synthesisFrequency);
    stages->synthesiseBins(s.synthesisMagnitude, s.synthesisFrequency, transforms->binAdvance, binWidth,
                           s.sumPhase, s.uncertainBins, s.workBuffer);
    fftwf_execute_dft(transforms->backwardPlan, spectrum, spectrum);
    stages->overlapAdd(transforms->hannWindow, s.workBuffer, s.outputAccumulator, s.outputFifo);
    // The newest 1536 samples start the next frame.
    std::memmove(s.inputFifo, s.inputFifo + hopSize, sizeof(float) * fifoLatency);
    s.fifoPosition = fifoLatency;
}
