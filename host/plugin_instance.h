// One instance of a plug-in, loaded from its library file and driven through
// the exported entry and the effect record only, in the order a DAW uses:
// open, sample rate, block size, mains on, blocks of processReplacing, mains
// off, close.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/vst_interface.h"

class PluginInstance {
public:
    // Loads the library and creates one instance through its entry, then opens
    // it. Throws HostError when the file cannot be loaded, has no entry, or the
    // entry answers no usable record.
    explicit PluginInstance(const std::string& libraryPath);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;  // owns the instance
    PluginInstance& operator=(const PluginInstance&) = delete;

    // Where the plug-in is looked for without --plugin: beside this program
    // (the build folder, or a folder it was installed to with the plug-in),
    // then the usual plug-in folders. Throws HostError when none holds one.
    static std::string findDefaultLibrary();

    const std::string& libraryPath() const { return path; }
    AEffect* record() const { return effect; }

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    // A text request answered into a zeroed buffer far larger than any the
    // interface allows, cut at its first zero.
    std::string text(int32_t opcode, int32_t index = 0);

    int32_t parameterCount() const { return effect->numParams; }
    float getParameter(int32_t index) { return effect->getParameter(effect, index); }
    void setParameter(int32_t index, float value) { effect->setParameter(effect, index, value); }
    std::string parameterName(int32_t index) { return text(effGetParamName, index); }
    std::string parameterLabel(int32_t index) { return text(effGetParamLabel, index); }
    std::string parameterDisplay(int32_t index) { return text(effGetParamDisplay, index); }

    // Sample rate and block size, told to the plug-in and answered to its
    // callback queries.
    void configure(double sampleRate, int32_t blockSize);
    // Mains on: the plug-in may now be asked for audio.
    void resume();
    // Mains off.
    void suspend();
    // One block through processReplacing: the first input channel carries
    // `input`, any further ones silence; the first output channel is copied
    // to `output`. frames must not exceed the configured block size.
    void process(const float* input, float* output, int32_t frames);

private:
    std::string path;
    void* library = nullptr;
    AEffect* effect = nullptr;
    bool running = false;
    int32_t blockCapacity = 0;
    std::vector<std::vector<float>> inputChannels;
    std::vector<std::vector<float>> outputChannels;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
};
