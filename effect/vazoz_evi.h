// The pitch-shift effect: four taps, each with a shift, a volume and the upper
// limit of its band, plus the switch that makes new shifts whole semitones.
// Thirteen parameters and one program; the engine owns the audio state.
#pragma once

#include <array>
#include <cstdint>

#include "effect/pitch_engine.h"
#include "effect/state_chunk.h"
#include "effect/tap_settings.h"
#include "shell/audio_effect_x.h"

// Parameter indices.
enum VazozEviParameter : int32_t {
    kShift1 = 0,   // 0 to 3: shifts
    kVolume1 = 4,  // 4 to 7: volumes
    kLimit1 = 8,   // 8 to 11: band limits
    kDiscrete = 12,
    kParameterCount = 13,
};

constexpr int32_t kLatencySamples = 2048;
constexpr std::size_t kProgramNameLength = 24;

class VazozEvi : public AudioEffectX {
public:
    explicit VazozEvi(audioMasterCallback hostCallback);

    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;
    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(int32_t index, char* label) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterName(int32_t index, char* text) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    int32_t getVendorVersion() override;

    // Exact save and restore: the settings as stored, not as normalised values.
    int32_t getChunk(void** data, bool isPreset) override;
    int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override;

    void resume() override;
    void setSampleRate(float rate) override;

private:
    TapSettings settings;
    std::array<char, kProgramNameLength + 1> programName{};
    StateChunk chunkBlock{};  // what getChunk hands out; lives as long as the effect
    PitchEngine engine;
};

// Builds one instance for a host; null when it cannot be built.
AudioEffect* createEffectInstance(audioMasterCallback hostCallback);
