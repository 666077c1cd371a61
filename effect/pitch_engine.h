// Placeholder until the spectral engine lands: keeps the interface the effect uses.
#pragma once

#include <cstdint>

#include "effect/tap_settings.h"

class PitchEngine {
public:
    void reset() {}
    void setSampleRate(float) {}
};
