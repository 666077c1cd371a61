#include <algorithm>

#include "effect/vazoz_evi.h"

// Until the engine lands the effect writes silence to its one output.
void VazozEvi::processReplacing(float** /*inputs*/, float** outputs, int32_t sampleFrames) {
    if (outputs == nullptr || outputs[0] == nullptr || sampleFrames <= 0) {
        return;
    }
    std::fill(outputs[0], outputs[0] + sampleFrames, 0.0f);
}
