// The editor base for editors drawn with the toolkit: connects the
// dispatchers' editor operations to a frame that owns the editor window while
// it is open. A derived editor creates the frame in open and deletes it in
// close; this base forwards keys, wheel, idle and edit gestures to it and runs
// the rate-limited idle pass that keeps the host and the window alive while a
// control tracks the mouse.
//
// Everything runs on the host's user-interface thread. The order of the
// virtual operations is part of the class: AEffEditor's eleven, then the four
// appended here.
#pragma once

#include <cstdint>

#include "editor/aeff_editor.h"

namespace toolkit {
class CFrame;
}

class AEffGUIEditor : public AEffEditor {
public:
    // Registers with the effect: the effect record gains effFlagsHasEditor
    // and the effect owns the editor from now on.
    explicit AEffGUIEditor(AudioEffect* effect);
    // A frame that a derived editor left open is released here, so its window
    // never outlives the editor.
    ~AEffGUIEditor() override;

    // Stores the address of `rect`, answers true.
    bool getRect(ERect** rect) override;
    // Redraws what changed, unless the host is being given its idle time
    // from inside the throttled pass.
    void idle() override;
    // True exactly when the frame used the key.
    bool onKeyDown(VstKeyCode& key) override;
    bool onKeyUp(VstKeyCode& key) override;
    // A wheel turn at the pointer.
    bool onWheel(float distance) override;
    // Sets the process-wide knob mode, answers true.
    bool setKnobMode(int32_t mode) override;

    // Nothing here; the derived editor shows the value.
    virtual void setParameter(int32_t index, float value);
    // The effect's answers (false without an effect that takes gestures).
    virtual bool beginEdit(int32_t index);
    virtual bool endEdit(int32_t index);
    // An idle pass at most about every 100 ms, for controls that track the
    // mouse: the frame redraws, one pending paint of any window is handled,
    // and the host gets its idle call.
    virtual void throttledIdle();

    toolkit::CFrame* getFrame() const { return frame; }

protected:
    ERect rect{};                // the size reported to the host; set by the derived editor
    uint32_t nextIdleTicks = 0;  // throttledIdle does no work before this time
    bool inHostIdle = false;     // true only while throttledIdle waits for the host's idle call
    toolkit::CFrame* frame = nullptr;
};
