// How the frame turns its window's events into toolkit calls, and when it draws.
#include <gtest/gtest.h>

#include "tests/editor/test_views.h"
#include "toolkit/platform/headless_window_system.h"

namespace {

using testviews::ColourView;
using toolkit::CArea;
using toolkit::CDrawContext;
using toolkit::CFrame;
using toolkit::CRgb;
using toolkit::CSpot;
using toolkit::platform::HeadlessWindow;
using toolkit::platform::WindowEvent;

void* const kHostWindow = reinterpret_cast<void*>(uintptr_t{0x2a00001});
const CRgb kRed{255, 0, 0, 255};
const CRgb kBlue{0, 0, 255, 255};
const CRgb kGreen{0, 255, 0, 255};

class FrameWindow : public ::testing::Test {
protected:
    void SetUp() override {
        system.exposeNewWindows = false;
        frame = new CFrame(CArea(0, 0, 200, 100), kHostWindow, nullptr);
        window = system.lastWindow();
        ASSERT_NE(window, nullptr) << "The frame should have made a window in the host's window.";
    }
    void TearDown() override {
        if (frame) frame->release();
    }

    ColourView* add(const CArea& size, CRgb colour) {
        auto* view = new ColourView(size, colour);
        frame->addView(view);  // the frame holds it from now on and releases it with itself
        return view;
    }
    void post(WindowEvent::Kind kind, CArea area = {}, CSpot where = {}, int32_t buttons = 0, float distance = 0) {
        WindowEvent event;
        event.kind = kind;
        event.area = area;
        event.where = where;
        event.buttons = buttons;
        event.distance = distance;
        system.post(window, event);
    }
    uint32_t screenAt(int32_t x, int32_t y) const { return window->screen.pixel(x, y); }

    toolkit::platform::ScopedHeadlessWindowSystem headless;
    toolkit::platform::HeadlessWindowSystem& system = headless.system;
    CFrame* frame = nullptr;
    HeadlessWindow* window = nullptr;
};

TEST_F(FrameWindow, IdleDrawsNothingBeforeTheFirstPaintAndOnlyDirtyViewsAfterIt) {
    ColourView* left = add(CArea(10, 10, 50, 50), kRed);
    ColourView* right = add(CArea(100, 10, 150, 50), kBlue);
    ASSERT_TRUE(left->isDirty()) << "A view that was just added should be dirty.";

    frame->idle();
    EXPECT_TRUE(window->pushed.empty()) << "Idle before the window's first paint should draw nothing.";
    EXPECT_EQ(left->draws, 0) << "No view should be drawn before the first paint.";

    post(WindowEvent::expose, CArea(0, 0, 200, 100));
    frame->idle();
    ASSERT_EQ(window->pushed.size(), 1u) << "The paint should reach the screen in one push.";
    EXPECT_EQ(window->pushed[0], CArea(0, 0, 200, 100)) << "The paint should cover the exposed area.";
    EXPECT_EQ(screenAt(20, 20), kRed.toPixel()) << "The left view should be on the screen after the paint.";
    EXPECT_EQ(screenAt(120, 20), kBlue.toPixel()) << "The right view should be on the screen after the paint.";
    EXPECT_EQ(screenAt(5, 5), 0u) << "The frame's black background should show around the views.";

    window->pushed.clear();
    right->colour = kGreen;
    right->setDirty(true);
    frame->idle();
    ASSERT_EQ(window->pushed.size(), 1u) << "One dirty view should be redrawn in one push.";
    EXPECT_EQ(window->pushed[0], CArea(100, 10, 150, 50)) << "Only the dirty view's area should be pushed.";
    EXPECT_EQ(screenAt(120, 20), kGreen.toPixel()) << "The redrawn view should show its new colour.";
    EXPECT_EQ(left->draws, 1) << "A clean view should not be drawn again.";

    window->pushed.clear();
    frame->idle();
    EXPECT_TRUE(window->pushed.empty()) << "Idle with nothing dirty should draw nothing.";
}

TEST_F(FrameWindow, ExposesWaitingTogetherArePaintedOnceAsOneArea) {
    ColourView* view = add(CArea(20, 20, 60, 60), kRed);
    post(WindowEvent::expose, CArea(10, 10, 30, 30));
    post(WindowEvent::expose, CArea(60, 40, 90, 70));
    frame->idle();
    ASSERT_EQ(window->pushed.size(), 1u) << "Two waiting exposes should make one paint.";
    EXPECT_EQ(window->pushed[0], CArea(10, 10, 90, 70)) << "The paint should cover both exposed areas.";
    EXPECT_EQ(view->draws, 1) << "The view should be drawn once for both exposes.";
}

TEST_F(FrameWindow, AClickTakesTheFocusAwayBeforeItIsRouted) {
    ColourView* focused = add(CArea(0, 0, 50, 50), kRed);
    ColourView* clicked = add(CArea(100, 0, 150, 50), kBlue);
    focused->setFocusable(true);
    frame->setFocusView(focused);

    post(WindowEvent::buttonPress, {}, CSpot(120, 20), toolkit::kLButton);
    frame->idle();
    ASSERT_EQ(clicked->clicks.size(), 1u) << "The click should reach the view under it.";
    EXPECT_FALSE(clicked->clicks[0].frameHadFocus) << "The focus should be gone before the click is routed.";
    EXPECT_EQ(focused->focusLost, 1) << "The focus view should be told that it lost the focus.";
    EXPECT_EQ(frame->getFocusView(), nullptr) << "The click should leave the frame without a focus view.";
}

// Whether a click reaches a control depends on the mask it arrives with.
struct MaskCase {
    const char* name;
    bool fromWindow;         // a button press of the window, or a call with -1 (read the state now)
    int32_t pressMask;       // the press's own mask (window events)
    int32_t pointerButtons;  // what the pointer holds when the click is handled
    size_t expectedClicks;
    int32_t expectedButtons;
};

class FrameClickMask : public FrameWindow, public ::testing::WithParamInterface<MaskCase> {};

TEST_P(FrameClickMask, TheClickArrivesWithTheMaskOfItsPress) {
    const MaskCase& c = GetParam();
    ColourView* view = add(CArea(0, 0, 100, 100), kRed);
    system.pointer.buttons = c.pointerButtons;
    if (c.fromWindow) {
        post(WindowEvent::buttonPress, {}, CSpot(30, 40), c.pressMask);
        frame->idle();
    } else {
        CDrawContext* context = frame->createDrawContext();
        frame->onMouseDown(context, CSpot(30, 40), -1);
        context->release();
    }
    ASSERT_EQ(view->clicks.size(), c.expectedClicks) << c.name;
    EXPECT_EQ(view->ignoredClicks, c.expectedClicks == 0 ? 1 : 0) << c.name;
    if (c.expectedClicks == 1) {
        EXPECT_EQ(view->clicks[0].buttons, c.expectedButtons) << c.name;
        EXPECT_EQ(view->clicks[0].where, CSpot(30, 40)) << "The click should arrive where it happened.";
    }
}

using toolkit::kLButton;
using toolkit::kRButton;
using toolkit::kShift;
INSTANTIATE_TEST_SUITE_P(
    Masks, FrameClickMask,
    ::testing::Values(
        MaskCase{"A press handled after its button was released keeps its button.", true, kLButton, 0, 1, kLButton},
        MaskCase{"A press with shift held carries both.", true, kLButton | kShift, 0, 1, kLButton | kShift},
        MaskCase{"A secondary press does not work a control.", true, kRButton, 0, 0, 0},
        MaskCase{"A state read after the release lacks the button, and the view ignores it.", false, 0, 0, 0, 0},
        MaskCase{"A state read while the button is held carries it.", false, 0, kLButton, 1, kLButton}),
    testviews::NameOfCase());

TEST_F(FrameWindow, AModalViewTakesEveryClickAndNothingElseDoes) {
    ColourView* below = add(CArea(0, 0, 200, 100), kRed);
    auto* modal = new ColourView(CArea(50, 20, 100, 60), kBlue);
    ASSERT_TRUE(frame->setModalView(modal)) << "The first modal view should be accepted.";
    auto* second = new ColourView(CArea(0, 0, 10, 10), kGreen);
    EXPECT_FALSE(frame->setModalView(second)) << "A second modal view should be refused while one is set.";
    second->release();

    post(WindowEvent::buttonPress, {}, CSpot(10, 10), kLButton);
    post(WindowEvent::buttonPress, {}, CSpot(60, 30), kLButton);
    frame->idle();
    EXPECT_TRUE(below->clicks.empty()) << "A click outside the modal view should reach nobody.";
    EXPECT_EQ(modal->clicks.size(), 1u) << "A click on the modal view should reach it.";

    ASSERT_TRUE(frame->setModalView(nullptr)) << "Clearing the modal view should be accepted.";
    EXPECT_FALSE(frame->isChild(modal)) << "The cleared modal view should leave the frame.";
    EXPECT_EQ(modal->getNbReference(), 1) << "The owner's reference to the modal view should be kept.";
    modal->release();
}

TEST_F(FrameWindow, WheelNotchesReachTheViewUnderThePointer) {
    add(CArea(0, 0, 200, 100), kRed);
    ColourView* top = add(CArea(20, 20, 80, 80), kBlue);
    post(WindowEvent::wheel, {}, CSpot(30, 40), 0, 1.0f);
    post(WindowEvent::wheel, {}, CSpot(30, 40), 0, -1.0f);
    frame->idle();
    ASSERT_EQ(top->wheels.size(), 2u) << "Both notches should reach the topmost view under the pointer.";
    EXPECT_FLOAT_EQ(top->wheels[0], 1.0f) << "A notch away from the user should give distance 1.";
    EXPECT_FLOAT_EQ(top->wheels[1], -1.0f) << "A notch towards the user should give distance -1.";
    EXPECT_EQ(top->wheelSpots[0], CSpot(30, 40)) << "The wheel should arrive at the pointer's place.";
}

TEST_F(FrameWindow, ClicksArrivingWhileAClickIsHandledWaitForTheNextIdle) {
    ColourView* view = add(CArea(0, 0, 200, 100), kRed);
    post(WindowEvent::expose, CArea(0, 0, 200, 100));
    frame->idle();
    const int32_t drawsBefore = view->draws;
    size_t clicksSeenInside = 0;
    bool inside = false;
    view->whileClicked = [&] {
        // As a control that tracks the mouse pumps the idle pass: a second
        // click and a paint arrive meanwhile.
        if (inside) return;
        inside = true;
        post(WindowEvent::buttonPress, {}, CSpot(50, 50), kLButton);
        post(WindowEvent::expose, CArea(0, 0, 10, 10));
        frame->idle();
        clicksSeenInside = view->clicks.size();
    };
    post(WindowEvent::buttonPress, {}, CSpot(10, 10), kLButton);
    frame->idle();
    EXPECT_EQ(clicksSeenInside, 1u) << "A second click must not start inside the first one.";
    EXPECT_GT(view->draws, drawsBefore) << "A paint during the first click should still be drawn.";
    ASSERT_EQ(view->clicks.size(), 2u) << "The waiting click should be handled right after the first.";
    EXPECT_EQ(view->clicks[1].where, CSpot(50, 50)) << "The waiting click should keep its place.";
}

TEST_F(FrameWindow, AWindowDestroyedFromOutsideClosesTheFrame) {
    ColourView* view = add(CArea(0, 0, 200, 100), kRed);
    post(WindowEvent::expose, CArea(0, 0, 200, 100));
    frame->idle();
    const int32_t draws = view->draws;

    system.destroyFromOutside(window);
    view->setDirty(true);
    frame->idle();
    EXPECT_FALSE(frame->isOpen()) << "A destroyed window should leave the frame closed.";
    EXPECT_EQ(frame->getParentWindow(), nullptr) << "The host's window should be forgotten.";
    EXPECT_EQ(view->draws, draws) << "A closed frame should draw nothing at idle.";
    int32_t x = 0, y = 0;
    CArea area;
    EXPECT_FALSE(frame->getPosition(x, y)) << "Geometry of a closed frame should be refused.";
    EXPECT_FALSE(frame->getWindowArea(area)) << "Geometry of a closed frame should be refused.";
    EXPECT_FALSE(frame->setSize(300, 200)) << "A closed frame should refuse a new size.";

    frame->release();
    frame = nullptr;
    EXPECT_EQ(system.windowsDestroyed, 0) << "A window that is gone should not be destroyed again.";
    EXPECT_EQ(system.connectionsClosed, 1) << "The last frame should close the connection.";
}

}  // namespace
