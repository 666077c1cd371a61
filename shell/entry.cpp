// The library's one entry: a host calls it once for every instance it wants
// and receives the address of that instance's record.
#include "effect/vazoz_evi.h"
#include "shell/vst_interface.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback hostCallback) {
    // Without a callback there is no host to ask and nothing to answer it with.
    if (hostCallback == nullptr || hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) {
        return nullptr;
    }
    AudioEffect* effect = createEffectInstance(hostCallback);
    if (effect == nullptr) {
        return nullptr;
    }
    return effect->getEffectRecord();
}

// Older hosts look the entry up as "main"; it is the same function under a
// second name. (The name cannot be declared as an ordinary C++ function.)
extern "C" __attribute__((visibility("default"), alias("VSTPluginMain"))) AEffect* legacyEntry(
    audioMasterCallback hostCallback) __asm__("main");
