#include <cmath>

#include "effect/denormal_guard.h"
#include "effect/vazoz_evi.h"

// Block processing on the host's audio thread: forms the four frequency
// factors <2^(shift/12)> once per block and runs the engine on the first input
// and output channel. Allocates nothing, takes no lock and cannot throw.
// A host that passes no channel arrays or no channel gets nothing processed
// and nothing written.
void VazozEvi::processReplacing(float** inputs, float** outputs, int32_t sampleFrames) {
    if (inputs == nullptr || outputs == nullptr || inputs[0] == nullptr || outputs[0] == nullptr ||
        sampleFrames < 1) {
        return;
    }
    const DenormalGuard guard;
    float factors[kTapCount];
    for (int tap = 0; tap < kTapCount; ++tap) {
        const double shift = settings.semitones[tap].load(std::memory_order_relaxed);
        factors[tap] = static_cast<float>(std::pow(2.0, shift / 12.0));
    }
    engine.spectralPitchShift(inputs[0], outputs[0], sampleFrames, factors, settings);
}
