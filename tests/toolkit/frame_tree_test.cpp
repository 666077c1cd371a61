// The container operations that work only inside a frame: deep lookups, wheel
// and drag routing, and focus moves through nested containers.
#include <gtest/gtest.h>

#include "tests/toolkit/view_probes.h"
#include "toolkit/frame.h"
#include "toolkit/view_container.h"

using toolkit::CArea;
using toolkit::CFrame;
using toolkit::CSpot;
using toolkit::CView;
using toolkit::CViewContainer;
using toolkit_test::Log;
using toolkit_test::ProbeView;

namespace {

// A view that takes the wheel and records the drag calls it receives.
class WheelDragProbe : public ProbeView {
public:
    using ProbeView::ProbeView;
    bool onWheel(toolkit::CDrawContext*, CSpot where, float distance) override {
        log().push_back("wheel " + std::to_string(where.x) + "," + std::to_string(where.y) + " " +
                        std::to_string(int(distance)));
        return true;
    }
    void onDragEnter(toolkit::CDrawContext*, toolkit::CDragContainer*, CSpot) override { log().push_back("enter"); }
    void onDragLeave(toolkit::CDrawContext*, toolkit::CDragContainer*, CSpot) override { log().push_back("leave"); }
    void setLog(Log* l) { log_ = l; }

private:
    Log& log() { return *log_; }
    Log* log_ = nullptr;
};

// A frame without a window: root (0, 0, 200, 200) holding a sub-container at
// (50, 50, 150, 150) with one leaf at (10, 10, 30, 30) in it, and an empty
// sub-container at (160, 0, 200, 40).
struct Tree {
    Log log;
    CFrame* frame = new CFrame(CArea(0, 0, 200, 200), nullptr, nullptr);
    CViewContainer* sub = new CViewContainer(CArea(50, 50, 150, 150));
    CViewContainer* empty = new CViewContainer(CArea(160, 0, 200, 40));
    WheelDragProbe* leaf = new WheelDragProbe("leaf", CArea(10, 10, 30, 30), &log);

    Tree() {
        leaf->setLog(&log);
        frame->addView(sub);
        frame->addView(empty);
        sub->addView(leaf);
    }
    ~Tree() { frame->release(); }
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;
};

}  // namespace

TEST(FrameTree, GetViewAtFindsTheTopmostChildAndGoesDeepOnRequest) {
    Tree t;
    EXPECT_EQ(t.frame->getViewAt(CSpot(65, 65), false), t.sub) << "Without deep the direct child answers.";
    EXPECT_EQ(t.frame->getViewAt(CSpot(65, 65), true), t.leaf) << "With deep the leaf inside the sub-container answers.";
    EXPECT_EQ(t.frame->getViewAt(CSpot(85, 85), true), nullptr)
        << "Deep over a sub-container with no child at the point answers null.";
    EXPECT_EQ(t.frame->getViewAt(CSpot(170, 20), true), nullptr) << "Deep over an empty sub-container answers null.";
    EXPECT_EQ(t.frame->getViewAt(CSpot(170, 20), false), t.empty) << "Without deep the empty sub-container answers.";
    EXPECT_EQ(t.frame->getViewAt(CSpot(150, 150), false), t.sub) << "Mouse areas are inclusive on their edges.";
}

TEST(FrameTree, WheelReachesTheChildUnderThePointerInItsOwnCoordinates) {
    Tree t;
    EXPECT_TRUE(t.sub->onWheel(nullptr, CSpot(70, 75), 1.0f)) << "The child under the pointer takes the wheel.";
    EXPECT_EQ(t.log, (Log{"wheel 20,25 1"})) << "The point is converted into the child's parent coordinates.";
}

TEST(FrameTree, ADragTargetRemovedDuringTheDragIsNotCalledAgain) {
    Tree t;
    bool destroyed = false;
    t.leaf->watchDestruction(&destroyed);
    t.sub->onDragEnter(nullptr, nullptr, CSpot(65, 65));
    EXPECT_EQ(t.log, (Log{"enter"}));
    t.sub->removeView(t.leaf, true);
    ASSERT_TRUE(destroyed);
    t.sub->onDragLeave(nullptr, nullptr, CSpot(65, 65));  // must not reach the destroyed leaf
    EXPECT_EQ(t.log, (Log{"enter"})) << "A removed view must not receive drag calls.";
}

TEST(FrameTree, FocusMovesForwardsAndBackwardsThroughNestedContainers) {
    Log log;
    CFrame* frame = new CFrame(CArea(0, 0, 100, 100), nullptr, nullptr);
    ProbeView* a = new ProbeView("a", CArea(), &log);
    CViewContainer* sub = new CViewContainer(CArea(0, 0, 50, 50));
    ProbeView* b = new ProbeView("b", CArea(), &log);
    ProbeView* c = new ProbeView("c", CArea(), &log);
    ProbeView* d = new ProbeView("d", CArea(), &log);
    for (ProbeView* v : {b, c, d}) v->setFocusable(true);
    frame->addView(a);
    frame->addView(sub);
    sub->addView(b);
    sub->addView(c);
    frame->addView(d);

    EXPECT_TRUE(frame->CViewContainer::advanceFocus(nullptr, false));
    EXPECT_EQ(frame->getFocusView(), b) << "Forwards from the start the first focusable view is inside the sub-container.";
    EXPECT_TRUE(frame->CViewContainer::advanceFocus(nullptr, true));
    EXPECT_EQ(frame->getFocusView(), d) << "Backwards from the end the last focusable view takes the focus.";
    EXPECT_TRUE(sub->advanceFocus(b, false));
    EXPECT_EQ(frame->getFocusView(), c) << "The sub-container walks on after b.";
    EXPECT_TRUE(frame->CViewContainer::advanceFocus(d, true));
    EXPECT_EQ(frame->getFocusView(), c) << "Backwards before d the walk enters the sub-container from its end.";

    frame->removeView(sub, true);
    EXPECT_EQ(frame->getFocusView(), nullptr) << "Removing the container that holds the focus view clears the focus.";
    frame->release();
}
