#include "tests/support/plugin_host.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace testhost {

namespace {

RecordingHost* activeHost = nullptr;

bool carriesText(int32_t opcode) {
    return opcode == audioMasterCanDo;
}

}  // namespace

RecordingHost::RecordingHost() { activeHost = this; }

RecordingHost::~RecordingHost() {
    if (activeHost == this) {
        activeHost = nullptr;
    }
}

void RecordingHost::answer(int32_t opcode, intptr_t value) {
    std::lock_guard<std::mutex> hold(lock);
    answers[opcode] = value;
}

std::vector<HostCall> RecordingHost::calls() const {
    std::lock_guard<std::mutex> hold(lock);
    return recorded;
}

std::vector<HostCall> RecordingHost::callsOf(int32_t opcode) const {
    std::lock_guard<std::mutex> hold(lock);
    std::vector<HostCall> matching;
    for (const HostCall& call : recorded) {
        if (call.opcode == opcode) {
            matching.push_back(call);
        }
    }
    return matching;
}

void RecordingHost::clear() {
    std::lock_guard<std::mutex> hold(lock);
    recorded.clear();
}

intptr_t RecordingHost::callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt) {
    RecordingHost* host = activeHost;
    if (host == nullptr) {
        return opcode == audioMasterVersion ? 2400 : 0;
    }
    std::lock_guard<std::mutex> hold(host->lock);
    HostCall call{effect, opcode, index, value, ptr, opt, {}};
    if (carriesText(opcode) && ptr != nullptr) {
        call.text = static_cast<const char*>(ptr);
    }
    host->recorded.push_back(call);
    auto found = host->answers.find(opcode);
    if (found != host->answers.end()) {
        return found->second;
    }
    return opcode == audioMasterVersion ? 2400 : 0;
}

PluginLibrary& PluginLibrary::get() {
    static PluginLibrary library;
    return library;
}

PluginLibrary::PluginLibrary() {
    library = dlopen(CORVANE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "cannot load the plug-in %s: %s\n", CORVANE_PLUGIN_PATH, dlerror());
        std::abort();
    }
    entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(library, "VSTPluginMain"));
    if (entry == nullptr) {
        std::fprintf(stderr, "the plug-in %s has no VSTPluginMain\n", CORVANE_PLUGIN_PATH);
        std::abort();
    }
}

void* PluginLibrary::symbol(const char* name) const { return dlsym(library, name); }

Instance::Instance(RecordingHost& /*host*/) {
    effect = PluginLibrary::get().entry(&RecordingHost::callback);
    if (effect == nullptr) {
        throw std::runtime_error("the plug-in's entry answered no instance");
    }
}

Instance::~Instance() {
    if (effect != nullptr) {
        close();
    }
}

intptr_t Instance::close() {
    const intptr_t answer = effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    effect = nullptr;
    return answer;
}

intptr_t Instance::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string Instance::text(int32_t opcode, int32_t index) {
    char buffer[256] = {};
    dispatch(opcode, index, 0, buffer, 0.0f);
    return buffer;
}

void Instance::process(const float* input, float* output, int32_t frames) {
    float* inputs[1] = {const_cast<float*>(input)};
    float* outputs[1] = {output};
    effect->processReplacing(effect, inputs, outputs, frames);
}

}  // namespace testhost
