// A host for tests: loads the built corvane.so with dlopen, creates instances
// through the exported entry and records every callback the plug-in makes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "shell/vst_interface.h"

namespace testhost {

struct HostCall {
    AEffect* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
    std::string text;  // the ptr argument read as text for the opcodes that carry one
};

// The callback side of the host. One is active at a time (the plug-in's
// callback is a plain function); calls from any thread are recorded.
class RecordingHost {
public:
    RecordingHost();
    ~RecordingHost();
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // What the host answers for an opcode; audioMasterVersion answers 2400
    // unless told otherwise, everything else 0.
    void answer(int32_t opcode, intptr_t value);
    std::vector<HostCall> calls() const;
    std::vector<HostCall> callsOf(int32_t opcode) const;
    void clear();

    static intptr_t callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                             float opt);

private:
    mutable std::mutex lock;
    std::vector<HostCall> recorded;
    std::map<int32_t, intptr_t> answers;
};

// The plug-in library, loaded once per test process from CORVANE_PLUGIN_PATH.
class PluginLibrary {
public:
    static PluginLibrary& get();
    void* handle() const { return library; }
    AEffect* (*entry)(audioMasterCallback) = nullptr;
    void* symbol(const char* name) const;

private:
    PluginLibrary();
    void* library = nullptr;
};

// One instance of the plug-in, closed through its dispatcher when destroyed.
class Instance {
public:
    explicit Instance(RecordingHost& host);
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    AEffect* record() const { return effect; }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void setParameter(int32_t index, float value) { effect->setParameter(effect, index, value); }
    float getParameter(int32_t index) { return effect->getParameter(effect, index); }
    std::string text(int32_t opcode, int32_t index = 0);  // a text opcode into a zeroed buffer
    void process(const float* input, float* output, int32_t frames);  // processReplacing, one channel
    // Closes the instance now (effClose answers 1); the destructor then does nothing.
    intptr_t close();

private:
    AEffect* effect = nullptr;
};

}  // namespace testhost
