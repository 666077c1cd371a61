// The editor base: registration with the effect, keys and knob mode through the dispatcher, edit gestures, wheel and
// the throttled idle pass.
#include <gtest/gtest.h>

#include <vector>

#include "tests/editor/test_views.h"
#include "toolkit/platform/headless_window_system.h"

namespace {

using testviews::ColourView;
using testviews::HostLog;
using testviews::TestEditor;
using testviews::TestEffect;
using toolkit::CArea;
using toolkit::CSpot;
using toolkit::platform::HeadlessWindow;
using toolkit::platform::WindowEvent;

void* hostWindow(uintptr_t id) { return reinterpret_cast<void*>(id); }

class EditorBase : public ::testing::Test {
protected:
    void SetUp() override {
        testviews::currentHost = &host;
        system.exposeNewWindows = false;
    }
    void TearDown() override {
        for (TestEffect* e : effects) delete e;
        testviews::currentHost = nullptr;
        knobMode = 0;
    }

    // A new effect with an open editor whose frame shows one view, painted once.
    TestEditor* openEditor(uintptr_t parent, ColourView** viewOut = nullptr) {
        auto* effect = new TestEffect;
        effects.push_back(effect);
        auto* editor = new TestEditor(effect, 200, 100);
        EXPECT_EQ(effect->dispatcher(effEditOpen, 0, 0, hostWindow(parent), 0), 1) << "The editor should open.";
        auto* view = new ColourView(CArea(20, 20, 80, 80), toolkit::colourRed);
        editor->getFrame()->addView(view);
        WindowEvent paint;
        paint.kind = WindowEvent::expose;
        paint.area = CArea(0, 0, 200, 100);
        system.post(system.lastWindow(), paint);
        editor->getFrame()->idle();
        if (viewOut) *viewOut = view;
        return editor;
    }
    intptr_t dispatch(TestEditor* editor, int32_t opcode, int32_t index, intptr_t value, float opt = 0) {
        return editor->getEffect()->dispatcher(opcode, index, value, nullptr, opt);
    }

    toolkit::platform::ScopedHeadlessWindowSystem headless;
    toolkit::platform::HeadlessWindowSystem& system = headless.system;
    HostLog host;
    std::vector<TestEffect*> effects;
};

TEST_F(EditorBase, ConstructionRegistersTheEditorWithTheEffect) {
    auto* effect = new TestEffect;
    effects.push_back(effect);
    ASSERT_EQ(effect->record().flags & effFlagsHasEditor, 0) << "A bare effect should not claim an editor.";
    auto* editor = new TestEditor(effect);
    EXPECT_NE(effect->record().flags & effFlagsHasEditor, 0) << "The record should say that there is an editor.";
    EXPECT_EQ(effect->getEditor(), editor) << "The effect should hold the editor.";
    ERect* rect = nullptr;
    EXPECT_EQ(effect->dispatcher(effEditGetRect, 0, 0, &rect, 0), 1) << "The editor should report its rectangle.";
    ASSERT_NE(rect, nullptr) << "The rectangle's address should come back.";
    EXPECT_EQ(rect->right, 640) << "The rectangle should hold the editor's width.";
    EXPECT_EQ(rect->bottom, 400) << "The rectangle should hold the editor's height.";
    EXPECT_FALSE(editor->isOpen()) << "A new editor should be closed.";
}

TEST_F(EditorBase, KnobModeFromTheHostReachesTheFramesOfEveryEditor) {
    TestEditor* first = openEditor(0x100);
    TestEditor* second = openEditor(0x200);
    EXPECT_EQ(dispatch(first, effSetEditKnobMode, 0, 2), 1) << "Setting the knob mode should answer 1.";
    EXPECT_EQ(first->getFrame()->getKnobMode(), 2) << "The editor's own frame should answer the new mode.";
    EXPECT_EQ(second->getFrame()->getKnobMode(), 2) << "Every frame of the process should answer the new mode.";
}

// What the dispatcher answers for a key, by what the frame made of it.
struct KeyCase {
    const char* name;
    bool open;
    int32_t viewAnswer;
    intptr_t expected;
};

class EditorKeys : public EditorBase, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(EditorKeys, TheDispatcherAnswersWhetherTheFrameUsedTheKey) {
    const KeyCase& c = GetParam();
    ColourView* view = nullptr;
    TestEditor* editor = openEditor(0x100, &view);
    view->setFocusable(true);
    editor->getFrame()->setFocusView(view);
    view->keyAnswer = c.viewAnswer;
    if (!c.open) editor->close();
    EXPECT_EQ(dispatch(editor, effEditKeyDown, 'q', 0), c.expected) << c.name;
    EXPECT_EQ(dispatch(editor, effEditKeyUp, 'q', 0), c.expected) << c.name;
    if (c.open) {
        ASSERT_EQ(view->keysDown.size(), 1u) << "The key should reach the focus view.";
        EXPECT_EQ(view->keysDown[0], 'q') << "The key's character should arrive unchanged.";
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, EditorKeys,
                         ::testing::Values(KeyCase{"A key the frame used answers 1.", true, 1, 1},
                                           KeyCase{"A key the frame answered -1 for answers 0.", true, -1, 0},
                                           KeyCase{"A closed editor answers 0.", false, 1, 0}),
                         testviews::NameOfCase());

TEST_F(EditorBase, EditGesturesReachTheHostThroughFrameEditorAndEffect) {
    TestEditor* editor = openEditor(0x100);
    editor->getFrame()->beginEdit(7);
    editor->getFrame()->endEdit(7);
    ASSERT_EQ(host.count(audioMasterBeginEdit), 1) << "A gesture's start should reach the host.";
    ASSERT_EQ(host.count(audioMasterEndEdit), 1) << "A gesture's end should reach the host.";
    host.editAnswer = 0;
    EXPECT_FALSE(editor->beginEdit(7)) << "The host's refusal should come back unchanged.";

    auto* lone = new toolkit::CFrame(CArea(0, 0, 10, 10), nullptr, nullptr);
    lone->beginEdit(1);
    lone->endEdit(1);
    EXPECT_EQ(host.count(audioMasterBeginEdit), 2) << "A frame without an editor should not reach any host.";
    EXPECT_EQ(lone->getTicks(), 0u) << "A frame without an editor should answer 0 ticks.";
    system.now = 123456;
    EXPECT_EQ(editor->getFrame()->getTicks(), 123456u) << "A frame with an editor should answer the clock.";
    lone->release();
}

TEST_F(EditorBase, AWheelTurnReachesTheViewUnderThePointer) {
    ColourView* view = nullptr;
    TestEditor* editor = openEditor(0x100, &view);
    HeadlessWindow* window = system.lastWindow();
    window->screenOrigin = CSpot(400, 300);
    system.pointer.screen = CSpot(430, 340);
    EXPECT_TRUE(editor->onWheel(1.0f)) << "A view under the pointer should take the wheel.";
    ASSERT_EQ(view->wheels.size(), 1u) << "The view should get one turn.";
    EXPECT_FLOAT_EQ(view->wheels[0], 1.0f) << "The distance should arrive unchanged.";
    EXPECT_EQ(view->wheelSpots[0], CSpot(30, 40)) << "The turn should arrive at the pointer, in frame coordinates.";

    system.pointer.screen = CSpot(405, 305);
    EXPECT_FALSE(editor->onWheel(1.0f)) << "A turn over no view should not be used.";
    editor->close();
    EXPECT_FALSE(editor->onWheel(1.0f)) << "A closed editor should not use the wheel.";
}

// The throttled idle pass: when a call runs, waits or does nothing.
struct ThrottleCase {
    const char* name;
    uint32_t start;         // the clock when the editor is made and the first pass runs
    uint32_t gap;           // how long after that first pass the call comes
    bool sleeps;            // whether the call sleeps 4 ms first
    bool runs;              // whether it runs a pass
    uint32_t nextDueAfter;  // when the next pass is due, counted from `start`
};

class EditorThrottle : public EditorBase, public ::testing::WithParamInterface<ThrottleCase> {};

TEST_P(EditorThrottle, ACallRunsWaitsOrSkipsByHowEarlyItIs) {
    const ThrottleCase& c = GetParam();
    system.now = c.start;
    ColourView* view = nullptr;
    TestEditor* editor = openEditor(0x100, &view);
    editor->throttledIdle();
    ASSERT_EQ(host.count(audioMasterIdle), 1) << "The first call should run a pass.";
    ASSERT_TRUE(system.sleeps.empty()) << "The first call should not sleep.";
    ASSERT_EQ(editor->getNextIdleTicks(), c.start + 100u) << "The next pass should be due 100 ms later.";

    system.sleeps.clear();
    system.now = c.start + c.gap;
    view->setDirty(true);
    const int32_t draws = view->draws;
    editor->throttledIdle();
    EXPECT_EQ(system.sleeps, c.sleeps ? std::vector<uint32_t>{4} : std::vector<uint32_t>{}) << c.name;
    EXPECT_EQ(host.count(audioMasterIdle), c.runs ? 2 : 1) << c.name;
    EXPECT_EQ(view->draws, c.runs ? draws + 1 : draws) << "A pass should redraw the dirty view: " << c.name;
    EXPECT_EQ(editor->getNextIdleTicks(), c.start + c.nextDueAfter) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Timing, EditorThrottle,
    ::testing::Values(
        ThrottleCase{"10 ms after a pass: sleeps and does nothing.", 5000, 10, true, false, 100},
        ThrottleCase{"45 ms after: still more than 50 ms early after the sleep.", 5000, 45, true, false, 100},
        ThrottleCase{"46 ms after: 50 ms early after the sleep, runs.", 5000, 46, true, true, 150},
        ThrottleCase{"60 ms after: runs late; the next is due 100 ms after the adjusted time.", 5000, 60, true, true,
                     164},
        ThrottleCase{"100 ms after: on time, runs without sleeping.", 5000, 100, false, true, 200},
        ThrottleCase{"Across the clock's wrap, 10 ms after a pass still waits.", 0xFFFFFFF0u, 10, true, false, 100},
        ThrottleCase{"Across the clock's wrap, 100 ms after a pass runs.", 0xFFFFFFC0u, 100, false, true, 200}),
    testviews::NameOfCase());

TEST_F(EditorBase, AThrottledPassLetsOnePendingPaintOfAnyWindowHappen) {
    TestEditor* tracking = openEditor(0x100);
    ColourView* secondView = nullptr;
    ColourView* thirdView = nullptr;
    openEditor(0x200, &secondView);
    HeadlessWindow* second = system.lastWindow();
    openEditor(0x300, &thirdView);
    HeadlessWindow* third = system.lastWindow();
    WindowEvent paint;
    paint.kind = WindowEvent::expose;
    paint.area = CArea(0, 0, 200, 100);
    system.post(second, paint);
    system.post(third, paint);
    const int32_t secondDraws = secondView->draws;
    const int32_t thirdDraws = thirdView->draws;

    tracking->throttledIdle();
    EXPECT_EQ(secondView->draws, secondDraws + 1) << "The oldest window's pending paint should happen.";
    EXPECT_EQ(thirdView->draws, thirdDraws) << "Only one pending paint should happen per pass.";
    EXPECT_EQ(third->queuedEvents(), 1u) << "The other paint should still wait.";
    EXPECT_EQ(host.count(audioMasterIdle), 1) << "The host should get its idle call.";
}

TEST_F(EditorBase, TheHostsIdleCallFromInsideThePassCausesNoNestedRedraw) {
    ColourView* view = nullptr;
    TestEditor* editor = openEditor(0x100, &view);
    bool guardedInside = false;
    int32_t drawsInside = -1;
    host.onIdle = [&] {
        guardedInside = editor->getInHostIdle();
        view->setDirty(true);
        const int32_t before = view->draws;
        editor->getEffect()->dispatcher(effEditIdle, 0, 0, nullptr, 0);
        drawsInside = view->draws - before;
    };
    editor->throttledIdle();
    EXPECT_TRUE(guardedInside) << "The pass should be marked as waiting for the host.";
    EXPECT_EQ(drawsInside, 0) << "An idle call from inside the host's idle should not redraw.";
    EXPECT_FALSE(editor->getInHostIdle()) << "The mark should be gone after the pass.";
    host.onIdle = nullptr;
    editor->getEffect()->dispatcher(effEditIdle, 0, 0, nullptr, 0);
    EXPECT_FALSE(view->isDirty()) << "The next idle call should redraw what changed.";
}

TEST_F(EditorBase, DestroyingTheEditorReleasesAFrameThatWasLeftOpen) {
    struct ForgetfulEditor : AEffGUIEditor {
        using AEffGUIEditor::AEffGUIEditor;
        void makeFrame() { frame = new toolkit::CFrame(CArea(0, 0, 50, 50), hostWindow(0x100), this); }
    };
    auto* effect = new TestEffect;
    effects.push_back(effect);
    auto* editor = new ForgetfulEditor(effect);
    editor->makeFrame();
    ASSERT_EQ(system.windowCount(), 1u);
    delete effect;  // and with it the editor
    effects.clear();
    EXPECT_EQ(system.windowCount(), 0u) << "The frame's window should go with the editor.";
    EXPECT_EQ(system.connectionsClosed, 1) << "The connection should be closed.";
}

}  // namespace
