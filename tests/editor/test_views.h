// Views, an effect and an editor for tests of the frame and the editor base.
#pragma once

#include <cctype>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/aeff_gui_editor.h"
#include "shell/audio_effect_x.h"
#include "shell/vst_interface.h"
#include "toolkit/draw_context.h"
#include "toolkit/frame.h"

namespace testviews {

// A test name made from a case's sentence: its words, capitalised, joined.
inline std::string caseName(const char* sentence) {
    std::string name;
    bool startWord = true;
    for (const char* p = sentence; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (std::isalnum(c)) {
            name += startWord ? static_cast<char>(std::toupper(c)) : static_cast<char>(c);
            startWord = false;
        } else {
            startWord = true;
        }
    }
    return name;
}

// For INSTANTIATE_TEST_SUITE_P: names the case by its `name` sentence.
struct NameOfCase {
    template <typename Info>
    std::string operator()(const Info& info) const {
        return caseName(info.param.name);
    }
};

using toolkit::CArea;
using toolkit::CDrawContext;
using toolkit::CRgb;
using toolkit::CSpot;

struct Click {
    CSpot where;
    int32_t buttons;
    bool frameHadFocus;  // whether the frame still had a focus view when the click arrived
};

// A view that fills its whole size in one colour and records what reaches it.
// Like the toolkit's controls it acts on a click only when the mask holds
// the primary button; clicks without it are counted as ignored.
class ColourView : public toolkit::CView {
public:
    ColourView(const CArea& area, CRgb colour_) : CView(area), colour(colour_) {}

    void draw(CDrawContext* context) override {
        context->setFillColour(colour);
        context->fillRect(size);
        ++draws;
        setDirty(false);
    }
    void onMouseDown(CDrawContext*, CSpot where, int32_t buttons) override {
        if ((buttons & toolkit::kLButton) == 0) {
            ++ignoredClicks;
            return;
        }
        clicks.push_back(Click{where, buttons, frame && frame->getFocusView() != nullptr});
        if (whileClicked) whileClicked();
    }
    bool onWheel(CDrawContext*, CSpot where, float distance) override {
        wheels.push_back(distance);
        wheelSpots.push_back(where);
        return true;
    }
    int32_t onKeyDown(VstKeyCode& key) override {
        keysDown.push_back(key.character);
        return keyAnswer;
    }
    int32_t onKeyUp(VstKeyCode& key) override {
        keysUp.push_back(key.character);
        return keyAnswer;
    }
    void loseFocus(CDrawContext*) override { ++focusLost; }

    CRgb colour;
    int32_t draws = 0;
    int32_t ignoredClicks = 0;
    int32_t focusLost = 0;
    int32_t keyAnswer = -1;
    std::vector<Click> clicks;
    std::vector<float> wheels;
    std::vector<CSpot> wheelSpots;
    std::vector<int32_t> keysDown;
    std::vector<int32_t> keysUp;
    std::function<void()> whileClicked;
};

// What the test host saw and answers.
struct HostLog {
    std::vector<int32_t> opcodes;
    std::vector<int32_t> indices;
    intptr_t canDoAnswer = 0;       // audioMasterCanDo
    intptr_t sizeWindowAnswer = 0;  // audioMasterSizeWindow
    intptr_t editAnswer = 1;        // audioMasterBeginEdit / EndEdit
    std::function<void()> onIdle;   // runs inside audioMasterIdle
    int32_t count(int32_t opcode) const {
        int32_t n = 0;
        for (int32_t op : opcodes) n += op == opcode;
        return n;
    }
};

inline HostLog* currentHost = nullptr;

inline intptr_t testHostCallback(AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float) {
    if (!currentHost) return 0;
    currentHost->opcodes.push_back(opcode);
    currentHost->indices.push_back(index);
    switch (opcode) {
        case audioMasterVersion: return 2400;
        case audioMasterCanDo: return currentHost->canDoAnswer;
        case audioMasterSizeWindow: return currentHost->sizeWindowAnswer;
        case audioMasterBeginEdit:
        case audioMasterEndEdit: return currentHost->editAnswer;
        case audioMasterIdle:
            if (currentHost->onIdle) currentHost->onIdle();
            return 1;
        default: return 0;
    }
}

// A minimal effect: enough of one to own an editor.
class TestEffect : public AudioEffectX {
public:
    TestEffect() : AudioEffectX(testHostCallback, 1, 1) {}
    void processReplacing(float**, float**, int32_t) override {}
};

// An editor as the plug-in's own editor will be: open makes a frame of the
// editor's size inside the host's window and answers whether a window
// exists; close releases it.
class TestEditor : public AEffGUIEditor {
public:
    explicit TestEditor(AudioEffect* owner, int16_t width = 640, int16_t height = 400) : AEffGUIEditor(owner) {
        rect.right = width;
        rect.bottom = height;
    }
    ~TestEditor() override { close(); }

    bool open(void* parent) override {
        if (frame) close();
        AEffGUIEditor::open(parent);
        frame = new toolkit::CFrame(CArea(0, 0, rect.right, rect.bottom), parent, this);
        if (!frame->isOpen()) {
            close();
            return false;
        }
        return true;
    }
    void close() override {
        if (frame) frame->release();
        frame = nullptr;
        AEffGUIEditor::close();
    }

    uint32_t getNextIdleTicks() const { return nextIdleTicks; }
    bool getInHostIdle() const { return inHostIdle; }
};

}  // namespace testviews
