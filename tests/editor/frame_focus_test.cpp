// Keys reach the focus view first, then the modal view; the tab key walks the focus through the tree.
#include <gtest/gtest.h>

#include "tests/editor/test_views.h"

namespace {

using testviews::ColourView;
using toolkit::CArea;
using toolkit::CFrame;

constexpr uint8_t kTab = 2;
constexpr uint8_t kShiftModifier = 1;

class FrameFocus : public ::testing::Test {
protected:
    void TearDown() override { frame->release(); }
    ColourView* add(toolkit::CViewContainer* parent, int32_t x, bool focusable) {
        auto* view = new ColourView(CArea(x, 0, x + 10, 10), toolkit::colourRed);
        view->setFocusable(focusable);
        parent->addView(view);
        return view;
    }
    int32_t key(int32_t character, uint8_t virt = 0, uint8_t modifier = 0) {
        VstKeyCode code{character, virt, modifier};
        return frame->onKeyDown(code);
    }

    CFrame* frame = new CFrame(CArea(0, 0, 200, 100), nullptr, nullptr);
};

// Who answers a key: the focus view, else the modal view, else nobody.
struct KeyCase {
    const char* name;
    int32_t focusAnswer;
    int32_t modalAnswer;
    int32_t expected;
    size_t modalAsked;
};

class FrameKeys : public FrameFocus, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(FrameKeys, TheFocusViewAnswersFirstThenTheModalView) {
    const KeyCase& c = GetParam();
    ColourView* focused = add(frame, 0, true);
    ColourView* other = add(frame, 20, false);
    auto* modal = new ColourView(CArea(50, 0, 60, 10), toolkit::colourBlue);
    frame->setModalView(modal);
    frame->setFocusView(focused);
    focused->keyAnswer = c.focusAnswer;
    modal->keyAnswer = c.modalAnswer;

    EXPECT_EQ(key('a'), c.expected) << c.name;
    EXPECT_EQ(focused->keysDown.size(), 1u) << "The focus view should always be asked first.";
    EXPECT_EQ(modal->keysDown.size(), c.modalAsked) << c.name;
    EXPECT_TRUE(other->keysDown.empty()) << "Other children of the frame should never receive keys.";

    VstKeyCode up{'a', 0, 0};
    EXPECT_EQ(frame->onKeyUp(up), c.expected) << "Key releases should take the same way: " << c.name;
    frame->setModalView(nullptr);
    modal->release();
}

INSTANTIATE_TEST_SUITE_P(Answers, FrameKeys,
                         ::testing::Values(KeyCase{"The focus view's answer ends the search.", 1, 1, 1, 0},
                                           KeyCase{"The modal view answers what the focus view passed on.", -1, 1, 1,
                                                   1},
                                           KeyCase{"A key nobody wants is answered -1.", -1, -1, -1, 1}),
                         testviews::NameOfCase());

TEST_F(FrameFocus, TabMovesTheFocusForwardShiftTabBackAndTheEndGivesItUp) {
    ColourView* a = add(frame, 0, true);
    add(frame, 20, false);
    ColourView* b = add(frame, 40, true);
    ColourView* c = add(frame, 60, true);
    frame->setFocusView(a);

    EXPECT_EQ(key(0, kTab), 1) << "Tab should move the focus and answer 1.";
    EXPECT_EQ(frame->getFocusView(), b) << "Tab should skip views that cannot take the focus.";
    EXPECT_EQ(key(0, kTab), 1) << "Tab should move the focus again.";
    EXPECT_EQ(frame->getFocusView(), c) << "Tab should reach the last focusable view.";
    EXPECT_EQ(key(0, kTab, kShiftModifier), 1) << "Shift-tab should move the focus back.";
    EXPECT_EQ(frame->getFocusView(), b) << "Shift-tab should go to the previous focusable view.";
    frame->setFocusView(c);
    EXPECT_EQ(key(0, kTab), -1) << "Tab from the last focusable view should answer -1.";
    EXPECT_EQ(frame->getFocusView(), nullptr) << "Tab past the last focusable view should give up the focus.";
    EXPECT_EQ(key(0, kTab), 1) << "Tab without a focus view should start from the first view.";
    EXPECT_EQ(frame->getFocusView(), a) << "Tab without a focus view should focus the first focusable view.";
}

TEST_F(FrameFocus, TabWithNothingFocusableAnswersMinusOne) {
    add(frame, 0, false);
    EXPECT_EQ(key(0, kTab), -1) << "Tab with nothing focusable should answer -1.";
    EXPECT_EQ(frame->getFocusView(), nullptr) << "No view should hold the focus.";
}

TEST_F(FrameFocus, TabLeavesASubContainerForTheFrameViewAfterIt) {
    auto* group = new toolkit::CViewContainer(CArea(0, 0, 100, 50));
    frame->addView(group);
    ColourView* inner = add(group, 0, true);
    ColourView* innerLast = add(group, 20, true);
    ColourView* after = add(frame, 120, true);

    frame->setFocusView(inner);
    EXPECT_EQ(key(0, kTab), 1) << "Tab inside a group should move within it.";
    EXPECT_EQ(frame->getFocusView(), innerLast) << "Tab should reach the group's next focusable view.";
    EXPECT_EQ(key(0, kTab), 1) << "Tab from a group's last view should go on after the group.";
    EXPECT_EQ(frame->getFocusView(), after) << "The view after the group should take the focus.";
}

TEST_F(FrameFocus, TabIsRefusedWhileAModalViewIsSet) {
    ColourView* a = add(frame, 0, true);
    add(frame, 20, true);
    frame->setFocusView(a);
    auto* modal = new ColourView(CArea(50, 0, 60, 10), toolkit::colourBlue);
    frame->setModalView(modal);
    EXPECT_EQ(key(0, kTab), -1) << "Tab should not move the focus while a view is modal.";
    EXPECT_EQ(frame->getFocusView(), a) << "The focus should stay where it was.";
    frame->setModalView(nullptr);
    modal->release();
}

}  // namespace
