// The spectral pitch-shift engine of one effect instance: a phase vocoder
// with frames of 2048 samples and a hop of 512 that rebuilds each frame's
// spectrum from four taps (a band of source frequencies each, shifted by a
// factor and scaled by a volume). The output lags the input by 2048 samples.
//
// Life cycle: all state is sized and zeroed at construction (the constructor
// also makes the process-wide FFT plans on first use, so construct engines on
// the host's user-interface thread); reset() clears the running stream;
// spectralPitchShift() runs on the audio thread, allocates nothing, takes no
// lock and never throws.
#pragma once

#include <atomic>
#include <cstdint>

#include "effect/pitch_kernels.h"
#include "effect/tap_settings.h"

class PitchEngine {
public:
    // `instructions` picks the compiled version of the frame stages; all give
    // the same output, so only tests and benchmarks choose. A set that the
    // processor cannot run falls back to the baseline.
    explicit PitchEngine(pitch::InstructionSet instructions = pitch::bestInstructionSet()) noexcept;

    // The engine holds a running audio stream; a copy would continue it twice.
    PitchEngine(const PitchEngine&) = delete;
    PitchEngine& operator=(const PitchEngine&) = delete;

    // Forgets the stream: FIFOs, phases and accumulators to zero, FIFO
    // position back to its start. The next 512 output samples are zero.
    void reset() noexcept;

    // The host's sample rate; sets the bin width F = <rate / 2048> used to
    // turn phases into frequencies, so band limits act at true frequencies.
    // Rates that are not finite and positive are ignored. May be called from
    // any thread.
    void setSampleRate(float rate) noexcept;

    // True when the FFT plans exist; without them the engine writes silence.
    bool ready() const noexcept { return transforms != nullptr; }

    // Processes one block of `sampleCount` samples. factors[n] is tap n's
    // frequency factor 2^(shift/12), formed by the caller once per block;
    // volumes and band limits are read from `settings` once per frame.
    // `output` may be the same buffer as `input`. A count below 1 or a null
    // buffer leaves both buffers untouched.
    void spectralPitchShift(const float* input, float* output, int32_t sampleCount, const float factors[4],
                            const TapSettings& settings) noexcept;

    // Another name for spectralPitchShift.
    void process(const float* input, float* output, int32_t sampleCount, const float factors[4],
                 const TapSettings& settings) noexcept {
        spectralPitchShift(input, output, sampleCount, factors, settings);
    }

private:
    // All of the stream's memory, inside the object.
    struct EngineState {
        // The frame being collected: the 1536 newest samples of the previous
        // frame followed by up to 512 new ones.
        alignas(64) float inputFifo[pitch::frameSize];
        // Finished output of the current hop.
        alignas(64) float outputFifo[pitch::hopSize];
        // Frame, spectrum, synthesised spectrum and resynthesised frame, as
        // interleaved complex values, transformed in place.
        alignas(64) float workBuffer[2 * pitch::frameSize];
        alignas(64) float lastPhase[pitch::paddedBins];
        alignas(64) float sumPhase[pitch::paddedBins];
        alignas(64) float analysisMagnitude[pitch::paddedBins];
        alignas(64) float analysisFrequency[pitch::paddedBins];
        alignas(64) float synthesisMagnitude[pitch::paddedBins];
        alignas(64) float synthesisFrequency[pitch::paddedBins];
        // Overlap-add sum of the resynthesised frames.
        alignas(64) float outputAccumulator[pitch::frameSize];
        // Bins whose cosine and sine need the library functions (scratch).
        alignas(64) int32_t uncertainBins[pitch::paddedBins];
        int32_t fifoPosition;
    };

    void processFrame(const pitch::TapValues& taps, float binWidth) noexcept;

    EngineState state;
    pitch::SourceTable sources;   // source bins for sourceFactors
    float sourceFactors[4];       // factors the table was built for
    std::atomic<float> rate{44100.0f};
    const pitch::SharedTransforms* transforms;
    const pitch::Stages* stages;
};
