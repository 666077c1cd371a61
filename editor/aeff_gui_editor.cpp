// The editor base for toolkit editors.
#include "editor/aeff_gui_editor.h"

#include "shell/audio_effect_x.h"
#include "toolkit/draw_context.h"
#include "toolkit/frame.h"
#include "toolkit/platform/platform.h"

namespace {

// The throttled idle pass: a call this early sleeps this long first ...
constexpr uint32_t kThrottleSleep = 4;
// ... and still runs when it is then at most this early ...
constexpr uint32_t kThrottleEarliness = 50;
// ... and the next pass is due this long after a pass.
constexpr uint32_t kThrottleInterval = 100;

// Whether tick `a` comes before tick `b` on the wrapping millisecond clock;
// right as long as the two are less than about 24 days apart.
bool isBefore(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) < 0; }

}  // namespace

AEffGUIEditor::AEffGUIEditor(AudioEffect* owner)
    : AEffEditor(owner), nextIdleTicks(toolkit::platform::windowSystem().ticks()) {
    if (effect) {
        effect->record().flags |= effFlagsHasEditor;
        effect->attachEditor(this);
    }
    // Drag and drop needs no per-thread set-up on this platform.
}

AEffGUIEditor::~AEffGUIEditor() {
    if (frame) {
        frame->release();
        frame = nullptr;
    }
}

bool AEffGUIEditor::getRect(ERect** target) {
    if (target) *target = &rect;
    return true;
}

void AEffGUIEditor::idle() {
    if (!inHostIdle && frame) frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& key) { return frame && frame->onKeyDown(key) == 1; }

bool AEffGUIEditor::onKeyUp(VstKeyCode& key) { return frame && frame->onKeyUp(key) == 1; }

bool AEffGUIEditor::onWheel(float distance) {
    if (!frame) return false;
    toolkit::CDrawContext* context = frame->createDrawContext();
    // The pointer in the coordinates of the frame's window, which sits at the
    // top-left of the host's window.
    toolkit::CSpot where;
    bool used = false;
    if (frame->getPointerScreenPosition(where)) {
        where.offset(-context->windowOrigin.x, -context->windowOrigin.y);
        used = frame->onWheel(context, where, distance);
    }
    context->release();
    return used;
}

bool AEffGUIEditor::setKnobMode(int32_t mode) {
    knobMode = mode;
    return true;
}

void AEffGUIEditor::setParameter(int32_t, float) {}

bool AEffGUIEditor::beginEdit(int32_t index) {
    auto* effectX = dynamic_cast<AudioEffectX*>(effect);
    return effectX && effectX->beginEdit(index);
}

bool AEffGUIEditor::endEdit(int32_t index) {
    auto* effectX = dynamic_cast<AudioEffectX*>(effect);
    return effectX && effectX->endEdit(index);
}

void AEffGUIEditor::throttledIdle() {
    toolkit::platform::WindowSystem& system = toolkit::platform::windowSystem();
    uint32_t now = system.ticks();
    if (isBefore(now, nextIdleTicks)) {
        system.sleep(kThrottleSleep);
        now += kThrottleSleep;
        if (isBefore(now, nextIdleTicks - kThrottleEarliness)) return;
    }
    idle();
    // Lets one pending repaint happen while a control holds the thread.
    system.dispatchOnePaint();
    nextIdleTicks = now + kThrottleInterval;
    inHostIdle = true;
    if (effect) effect->hostIdle();
    inHostIdle = false;
}
