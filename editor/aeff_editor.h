// The editor as the dispatchers see it: an effect has at most one, created and
// deleted with the effect. Every operation has a do-nothing default; the GUI
// editor connects them to a frame that owns the window while it is open.
// The order of the virtual operations is part of the class.
#pragma once

#include <cstdint>

#include "shell/vst_interface.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* owner) : effect(owner) {}
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual ~AEffEditor() = default;
    virtual AudioEffect* getEffect() { return effect; }
    virtual bool getRect(ERect** rect) {
        if (rect != nullptr) {
            *rect = nullptr;
        }
        return false;
    }
    virtual bool open(void* parent) {
        parentWindow = parent;
        return false;
    }
    virtual void close() { parentWindow = nullptr; }
    virtual bool isOpen() { return parentWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode& /*key*/) { return false; }
    virtual bool onKeyUp(VstKeyCode& /*key*/) { return false; }
    virtual bool onWheel(float /*distance*/) { return false; }
    virtual bool setKnobMode(int32_t /*mode*/) { return false; }

protected:
    AudioEffect* effect;
    void* parentWindow = nullptr;
};
