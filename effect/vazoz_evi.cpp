#include "effect/vazoz_evi.h"

#include <cmath>
#include <cstdio>
#include <new>

#include "effect/saturate.h"
#include "shell/text_copy.h"

namespace {

constexpr int32_t kUniqueId = fourCharacters('P', 'F', 'u', 'V');
constexpr std::array<int32_t, kTapCount> kDefaultLimits = {1200, 4500, 11000, 20000};

constexpr const char* kParameterNames[kParameterCount] = {
    "Shift 1", "Shift 2", "Shift 3", "Shift 4", "Vol 1", "Vol 2", "Vol 3",
    "Vol 4",   "Tap 1",   "Tap 2",   "Tap 3",   "Tap 4", "DISC",
};

constexpr std::size_t kNameLength = 8;

float relaxed(const std::atomic<float>& value) { return value.load(std::memory_order_relaxed); }
int32_t relaxed(const std::atomic<int32_t>& value) { return value.load(std::memory_order_relaxed); }

// A position within a band limit's range as a normalised value; an empty range
// (both neighbours equal) reads as 0. Differences are formed wide so that limits
// pushed far out of order by out-of-range values cannot overflow.
float positionIn(int32_t value, int32_t low, int32_t high) {
    const int64_t width = static_cast<int64_t>(high) - low;
    if (width == 0) {
        return 0.0f;
    }
    return static_cast<float>(static_cast<double>(static_cast<int64_t>(value) - low) /
                              static_cast<double>(width));
}

}  // namespace

AudioEffect* createEffectInstance(audioMasterCallback hostCallback) {
    // Nothing may be thrown into the host: an instance that cannot be built is
    // answered with null.
    try {
        return new VazozEvi(hostCallback);
    } catch (...) {
        return nullptr;
    }
}

VazozEvi::VazozEvi(audioMasterCallback callback) : AudioEffectX(callback, 1, kParameterCount) {
    setCanReplacing(true);
    for (int tap = 0; tap < kTapCount; ++tap) {
        settings.semitones[tap].store(0.0f, std::memory_order_relaxed);
        settings.volumes[tap].store(1.0f, std::memory_order_relaxed);
        settings.bandLimits[tap].store(kDefaultLimits[tap], std::memory_order_relaxed);
    }
    setNumInputs(1);
    setNumOutputs(1);
    setUniqueID(kUniqueId);
    settings.discrete.store(1, std::memory_order_relaxed);
    copyText(programName.data(), "Default", kProgramNameLength);
    setProgramChunks(true);
    setInitialDelay(kLatencySamples);
    engine.setSampleRate(sampleRate);
}

void VazozEvi::setParameter(int32_t index, float value) {
    if (!std::isfinite(value)) {
        return;
    }
    const double v = value;
    if (index >= kShift1 && index < kShift1 + kTapCount) {
        const float shift = relaxed(settings.discrete) != 0
                                ? static_cast<float>(-12 - static_cast<int64_t>(truncToInt32(-24.0 * v)))
                                : static_cast<float>(v * 24.0 - 12.0);
        settings.semitones[index - kShift1].store(shift, std::memory_order_relaxed);
    } else if (index >= kVolume1 && index < kVolume1 + kTapCount) {
        settings.volumes[index - kVolume1].store(value, std::memory_order_relaxed);
    } else if (index >= kLimit1 && index < kLimit1 + kTapCount) {
        const int k = index - kLimit1;
        const int32_t low = k == 0 ? 0 : relaxed(settings.bandLimits[k - 1]);
        const int32_t high = k == kTapCount - 1 ? kTopLimitHz : relaxed(settings.bandLimits[k + 1]);
        // The first limit's range starts at 0 Hz: its formula is b1 × v.
        const double width = static_cast<double>(static_cast<int64_t>(high) - low);
        settings.bandLimits[k].store(truncToInt32(width * v + low), std::memory_order_relaxed);
    } else if (index == kDiscrete) {
        settings.discrete.store(truncToInt32(v), std::memory_order_relaxed);
    }
}

float VazozEvi::getParameter(int32_t index) {
    if (index >= kShift1 && index < kShift1 + kTapCount) {
        return static_cast<float>(relaxed(settings.semitones[index - kShift1]) / 24.0 + 0.5);
    }
    if (index >= kVolume1 && index < kVolume1 + kTapCount) {
        return relaxed(settings.volumes[index - kVolume1]);
    }
    if (index >= kLimit1 && index < kLimit1 + kTapCount) {
        const int k = index - kLimit1;
        const int32_t low = k == 0 ? 0 : relaxed(settings.bandLimits[k - 1]);
        const int32_t high = k == kTapCount - 1 ? kTopLimitHz : relaxed(settings.bandLimits[k + 1]);
        if (k == kTapCount - 1 && low == kTopLimitHz) {
            return 1.0f;
        }
        return positionIn(relaxed(settings.bandLimits[k]), low, high);
    }
    if (index == kDiscrete) {
        return relaxed(settings.discrete) > 0 ? 1.0f : 0.0f;
    }
    return 0.0f;
}

void VazozEvi::setProgramName(char* name) {
    if (name != nullptr) {
        copyText(programName.data(), name, kProgramNameLength);
    }
}

void VazozEvi::getProgramName(char* name) { copyText(name, programName.data(), kProgramNameLength); }

void VazozEvi::getParameterLabel(int32_t index, char* label) {
    if (index > kDiscrete) {
        return;
    }
    const char* text = index < kVolume1 ? "Semitones" : index < kLimit1 ? "Volume" : index < kDiscrete ? "Band Start" : "Discrete";
    copyText(label, text, kNameLength);
}

void VazozEvi::getParameterDisplay(int32_t index, char* text) {
    if (text == nullptr) {
        return;
    }
    if (index >= kShift1 && index < kShift1 + kTapCount) {
        std::snprintf(text, 4, "%d", truncToInt32(relaxed(settings.semitones[index - kShift1])));
    } else if (index >= kVolume1 && index < kVolume1 + kTapCount) {
        std::snprintf(text, 40, "%4.2f", static_cast<double>(relaxed(settings.volumes[index - kVolume1])));
    } else if (index >= kLimit1 && index < kLimit1 + kTapCount) {
        std::snprintf(text, 12, "%d Hz", relaxed(settings.bandLimits[index - kLimit1]));
    } else if (index == kDiscrete) {
        std::snprintf(text, 12, "%d", relaxed(settings.discrete));
    }
}

void VazozEvi::getParameterName(int32_t index, char* text) {
    if (index >= 0 && index < kParameterCount) {
        copyText(text, kParameterNames[index], kNameLength);
    }
}

bool VazozEvi::getEffectName(char* name) {
    copyText(name, "Lumivox", 32);
    return true;
}

bool VazozEvi::getVendorString(char* text) {
    copyText(text, "Ombrevale", 64);
    return true;
}

bool VazozEvi::getProductString(char* text) {
    copyText(text, "Vorrel", 64);
    return true;
}

int32_t VazozEvi::getVendorVersion() { return 1000; }

int32_t VazozEvi::getChunk(void** data, bool /*isPreset*/) {
    if (data == nullptr) {
        return 0;
    }
    StoredSettings stored;
    for (int tap = 0; tap < kTapCount; ++tap) {
        stored.semitones[tap] = relaxed(settings.semitones[tap]);
        stored.volumes[tap] = relaxed(settings.volumes[tap]);
        stored.bandLimits[tap] = relaxed(settings.bandLimits[tap]);
    }
    stored.discrete = relaxed(settings.discrete);
    stored.programName = programName;
    chunkBlock = encodeStateChunk(stored);
    *data = chunkBlock.data();
    return static_cast<int32_t>(chunkBlock.size());
}

int32_t VazozEvi::setChunk(void* data, int32_t byteSize, bool /*isPreset*/) {
    StoredSettings stored;
    if (byteSize < 0 || !decodeStateChunk(data, static_cast<std::size_t>(byteSize), stored)) {
        return 0;
    }
    for (int tap = 0; tap < kTapCount; ++tap) {
        settings.semitones[tap].store(stored.semitones[tap], std::memory_order_relaxed);
        settings.volumes[tap].store(stored.volumes[tap], std::memory_order_relaxed);
        settings.bandLimits[tap].store(stored.bandLimits[tap], std::memory_order_relaxed);
    }
    settings.discrete.store(stored.discrete, std::memory_order_relaxed);
    programName = stored.programName;
    return 1;
}

void VazozEvi::resume() {
    engine.reset();
    AudioEffectX::resume();
}

void VazozEvi::setSampleRate(float rate) {
    AudioEffectX::setSampleRate(rate);
    // The engine only takes rates it can work with; anything else keeps the last good one.
    if (std::isfinite(rate) && rate > 0.0f) {
        engine.setSampleRate(rate);
    }
}
