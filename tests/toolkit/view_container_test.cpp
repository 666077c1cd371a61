// Containers: child references, click and key routing, dirty state, redraws
// through the offscreen buffer, and focus traversal.
#include <gtest/gtest.h>

#include "tests/toolkit/pixel_helpers.h"
#include "tests/toolkit/view_probes.h"
#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"
#include "toolkit/platform/raster_surface.h"
#include "toolkit/view_container.h"

using toolkit::CArea;
using toolkit::CDrawContext;
using toolkit::CRgb;
using toolkit::CSpot;
using toolkit::CView;
using toolkit::CViewContainer;
using toolkit::platform::RasterSurface;
using toolkit_test::boundsOfOther;
using toolkit_test::describe;
using toolkit_test::firstMismatch;
using toolkit_test::Log;
using toolkit_test::ProbeContainer;
using toolkit_test::ProbeView;

// --- references ------------------------------------------------------------------

TEST(ContainerReferences, AddViewTakesASecondReference) {
    CViewContainer* container = new CViewContainer(CArea(0, 0, 100, 100));
    CView* view = new CView(CArea(0, 0, 10, 10));
    container->addView(view);
    EXPECT_EQ(view->getNbReference(), 2) << "addView must take a reference of its own.";
    EXPECT_EQ(view->getParentView(), container) << "addView sets the parent view.";
    EXPECT_TRUE(view->isDirty()) << "addView marks the view dirty.";
    container->release();
}

TEST(ContainerReferences, RemoveViewWithoutCallerReferenceLeavesTheCreatorsOne) {
    CViewContainer* container = new CViewContainer(CArea(0, 0, 100, 100));
    bool destroyed = false;
    ProbeView* view = new ProbeView("a", CArea(0, 0, 10, 10), nullptr);
    view->watchDestruction(&destroyed);
    container->addView(view);
    container->removeView(view, false);
    EXPECT_FALSE(destroyed) << "removeView(view, false) must leave the creator's reference.";
    EXPECT_EQ(view->getNbReference(), 1) << "Only the creator's reference is left.";
    EXPECT_FALSE(container->isChild(view)) << "The view is no longer a child.";
    view->release();
    EXPECT_TRUE(destroyed);
    container->release();
}

TEST(ContainerReferences, RemoveViewWithCallerReferenceDestroysAnOtherwiseUnheldView) {
    CViewContainer* container = new CViewContainer(CArea(0, 0, 100, 100));
    bool destroyed = false;
    ProbeView* view = new ProbeView("a", CArea(0, 0, 10, 10), nullptr);
    view->watchDestruction(&destroyed);
    container->addView(view);
    container->removeView(view, true);
    EXPECT_TRUE(destroyed) << "removeView(view, true) must give back both references.";
    EXPECT_EQ(container->getViewCount(), 0);
    container->release();
}

TEST(ContainerReferences, DestroyingAContainerReleasesBothReferencesOfEveryChild) {
    bool containerGone = false, plainGone = false, heldGone = false, nestedGone = false;
    ProbeContainer* root = new ProbeContainer(CArea(0, 0, 100, 100), &containerGone);
    ProbeView* plain = new ProbeView("plain", CArea(0, 0, 10, 10), nullptr);
    plain->watchDestruction(&plainGone);
    ProbeView* held = new ProbeView("held", CArea(0, 0, 10, 10), nullptr);
    held->watchDestruction(&heldGone);
    held->retain();  // someone else holds it too
    ProbeContainer* sub = new ProbeContainer(CArea(20, 20, 60, 60));
    ProbeView* nested = new ProbeView("nested", CArea(0, 0, 10, 10), nullptr);
    nested->watchDestruction(&nestedGone);
    root->addView(plain);
    root->addView(held);
    root->addView(sub);
    sub->addView(nested);
    root->release();
    EXPECT_TRUE(containerGone);
    EXPECT_TRUE(plainGone) << "A child held only by its creator and the container is destroyed with it.";
    EXPECT_TRUE(nestedGone) << "Destruction goes down the whole tree.";
    EXPECT_FALSE(heldGone) << "A child that someone else still holds survives.";
    EXPECT_EQ(held->getNbReference(), 1) << "Only the other holder's reference is left.";
    held->release();
    EXPECT_TRUE(heldGone);
}

TEST(ContainerReferences, RemovingOrFetchingWhatIsNotThereDoesNothing) {
    CViewContainer* container = new CViewContainer(CArea(0, 0, 100, 100));
    CView* stranger = new CView(CArea());
    CView* child = new CView(CArea());
    container->addView(nullptr);
    container->addViewWithArea(nullptr, CArea(), true);
    container->addView(child);
    container->removeView(stranger, true);
    EXPECT_EQ(stranger->getNbReference(), 1) << "Removing a view that is not a child must not release it.";
    EXPECT_EQ(container->getViewCount(), 1) << "Adding null must add nothing.";
    EXPECT_EQ(container->getView(0), child);
    EXPECT_EQ(container->getView(1), nullptr) << "An index past the end answers null.";
    EXPECT_EQ(container->getView(-1), nullptr) << "A negative index answers null.";
    stranger->release();
    container->release();
}

TEST(ContainerReferences, RemoveAllEmptiesTheListInOrder) {
    CViewContainer* container = new CViewContainer(CArea(0, 0, 100, 100));
    CView* a = new CView(CArea());
    CView* b = new CView(CArea());
    container->addView(a);
    container->addView(b);
    container->removeAll(false);
    EXPECT_EQ(container->getViewCount(), 0) << "removeAll must leave the list empty.";
    EXPECT_EQ(a->getNbReference(), 1) << "removeAll(false) must keep the creators' references.";
    EXPECT_EQ(b->getNbReference(), 1);
    container->addView(a);
    EXPECT_EQ(container->getView(0), a) << "The list works again after removeAll.";
    container->release();
    b->release();
}

// --- routing -----------------------------------------------------------------------

TEST(ContainerRouting, TheLaterAddedOfTwoOverlappingChildrenTakesTheClick) {
    Log log;
    CViewContainer* container = new CViewContainer(CArea(0, 0, 100, 100));
    container->addView(new ProbeView("below", CArea(0, 0, 50, 50), &log));
    container->addView(new ProbeView("above", CArea(25, 25, 75, 75), &log));
    container->onMouseDown(nullptr, CSpot(30, 30), 1);
    container->onMouseDown(nullptr, CSpot(10, 10), 1);
    EXPECT_EQ(log, (Log{"click above 30,30 1", "click below 10,10 1"}))
        << "The topmost child under the pointer takes the click, and only it.";
    container->release();
}

TEST(ContainerRouting, ADisabledChildLetsTheClickThrough) {
    Log log;
    CViewContainer* container = new CViewContainer(CArea(0, 0, 100, 100));
    container->addView(new ProbeView("below", CArea(0, 0, 50, 50), &log));
    ProbeView* above = new ProbeView("above", CArea(0, 0, 50, 50), &log);
    container->addViewWithArea(above, CArea(0, 0, 50, 50), false);
    container->onMouseDown(nullptr, CSpot(20, 20), 1);
    EXPECT_EQ(log, (Log{"click below 20,20 1"})) << "A child that does not take the mouse must pass the click on.";
    container->release();
}

TEST(ContainerRouting, ClicksArriveInTheChildsParentCoordinates) {
    Log log;
    CViewContainer* root = new CViewContainer(CArea(0, 0, 200, 200));
    CViewContainer* sub = new CViewContainer(CArea(50, 60, 150, 160));
    root->addView(sub);
    sub->addView(new ProbeView("leaf", CArea(10, 10, 20, 20), &log));
    root->onMouseDown(nullptr, CSpot(60, 70), 4);
    root->onMouseDown(nullptr, CSpot(59, 69), 4);  // inside sub, outside leaf
    EXPECT_EQ(log, (Log{"click leaf 10,10 4"})) << "Each container converts the point into its own coordinates.";
    root->release();
}

TEST(ContainerRouting, MouseAreaDecidesTheClickNotTheSize) {
    Log log;
    CViewContainer* container = new CViewContainer(CArea(0, 0, 100, 100));
    ProbeView* view = new ProbeView("v", CArea(0, 0, 10, 10), &log);
    container->addViewWithArea(view, CArea(50, 50, 60, 60), true);
    container->onMouseDown(nullptr, CSpot(5, 5), 1);
    container->onMouseDown(nullptr, CSpot(60, 60), 1);
    EXPECT_EQ(log, (Log{"click v 60,60 1"})) << "A click is taken where the mouse area is, edges included.";
    container->release();
}

TEST(ContainerRouting, KeysGoFromTheLastChildToTheFirstUntilOneAnswers) {
    Log log;
    CViewContainer* container = new CViewContainer(CArea(0, 0, 100, 100));
    ProbeView* first = new ProbeView("first", CArea(), &log);
    ProbeView* middle = new ProbeView("middle", CArea(), &log);
    ProbeView* last = new ProbeView("last", CArea(), &log);
    middle->setKeyAnswer(7);
    container->addView(first);
    container->addView(middle);
    container->addView(last);
    VstKeyCode key{'a', 0, 0};
    EXPECT_EQ(container->onKeyDown(key), 7) << "The first answer other than -1 is the container's answer.";
    EXPECT_EQ(log, (Log{"key last", "key middle"})) << "The walk stops at the child that handled the key.";
    middle->setKeyAnswer(-1);
    EXPECT_EQ(container->onKeyDown(key), -1) << "No child handling the key gives -1.";
    container->release();
}

TEST(ContainerRouting, OutsideAFrameLookupsAnswerNull) {
    CViewContainer* container = new CViewContainer(CArea(0, 0, 100, 100));
    container->addView(new CView(CArea(0, 0, 50, 50)));
    EXPECT_EQ(container->getViewAt(CSpot(10, 10), false), nullptr) << "A container outside a frame finds no view.";
    EXPECT_EQ(container->getViewUnderMouse(), nullptr) << "A container outside a frame has no view under the mouse.";
    EXPECT_FALSE(container->onWheel(nullptr, CSpot(10, 10), 1.0f)) << "Without a view at the point the wheel is not taken.";
    container->release();
}

TEST(ContainerRouting, ContainerAnswersTheContainerCheckByIdentity) {
    CViewContainer* container = new CViewContainer(CArea());
    EXPECT_EQ(container->notify(nullptr, toolkit::containerCheckMessage), 1) << "The shared constant gets 1.";
    const char copy[] = "kMsgCheckIfViewContainer";
    EXPECT_EQ(container->notify(nullptr, copy), 0) << "The same characters elsewhere are another message.";
    container->release();
}

// --- dirty state ---------------------------------------------------------------------

TEST(ContainerDirty, OnlyChildrenThatShowInsideMakeTheContainerDirty) {
    CViewContainer* container = new CViewContainer(CArea(100, 100, 200, 200));
    EXPECT_TRUE(container->isDirty()) << "A new container is dirty.";
    container->draw(nullptr);  // no context: nothing drawn
    container->setDirty(false);
    CView* outside = new CView(CArea(150, 150, 160, 160));  // outside (0, 0, 100, 100) of the container
    container->addView(outside);
    EXPECT_TRUE(outside->isDirty());
    EXPECT_FALSE(container->isDirty()) << "A dirty child wholly outside the container must not make it dirty.";
    CView* edge = new CView(CArea(100, 0, 120, 10));  // touches the right edge only
    container->addView(edge);
    EXPECT_FALSE(container->isDirty()) << "A child that only touches the container's edge does not show in it.";
    CView* inside = new CView(CArea(90, 90, 120, 120));
    container->addView(inside);
    EXPECT_TRUE(container->isDirty()) << "A dirty child partly inside makes the container dirty.";
    container->release();
}

TEST(ContainerDirty, SetBackgroundColourMakesTheContainerDirty) {
    CViewContainer* container = new CViewContainer(CArea(0, 0, 10, 10));
    container->setDirty(false);
    container->setBackgroundColour(toolkit::colourBlue);
    EXPECT_TRUE(container->isDirty());
    EXPECT_EQ(container->getBackgroundColour(), toolkit::colourBlue);
    container->release();
}

// --- drawing ----------------------------------------------------------------------------

namespace {

constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kSentinel = 0x123456;

// A 100 x 100 grey container with three children: A red (10, 10, 40, 40);
// B (30, 30, 60, 60), which paints only (35, 35, 60, 60) green; C blue
// (70, 70, 90, 90). The window surface is 120 x 120.
struct Scene {
    Log log;
    RasterSurface window{120, 120};
    CDrawContext* context = nullptr;
    CViewContainer* container = nullptr;
    ProbeView* a = nullptr;
    ProbeView* b = nullptr;
    ProbeView* c = nullptr;

    explicit Scene(CViewContainer* root = nullptr) {
        context = new CDrawContext(nullptr, nullptr, &window);
        container = root ? root : new CViewContainer(CArea(0, 0, 100, 100));
        container->setBackgroundColour(CRgb(128, 128, 128, 255));
        a = new ProbeView("A", CArea(10, 10, 40, 40), &log, toolkit::colourRed);
        b = new ProbeView("B", CArea(30, 30, 60, 60), &log, toolkit::colourGreen);
        b->setPaintArea(CArea(35, 35, 60, 60));
        c = new ProbeView("C", CArea(70, 70, 90, 90), &log, toolkit::colourBlue);
        container->addView(a);
        container->addView(b);
        container->addView(c);
    }
    ~Scene() {
        container->release();
        context->release();
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
};

}  // namespace

TEST(ContainerDraw, FullDrawPaintsBackgroundThenChildrenInOrderThroughOneCopy) {
    Scene s;
    s.window.fillAll(kSentinel);
    s.window.resetDrawCounts();
    s.container->draw(s.context);
    EXPECT_EQ(s.log, (Log{"draw A", "draw B", "draw C"})) << "Children are drawn in the order they were added.";
    EXPECT_EQ(s.window.drawCounts().copies, 1u) << "The offscreen result reaches the window in one copy.";
    EXPECT_EQ(s.window.drawCounts().fills, 0u) << "Nothing is drawn on the window directly.";
    EXPECT_EQ(s.window.pixel(5, 5), kGrey) << "The background fills the container.";
    EXPECT_EQ(s.window.pixel(32, 32), 0xFF0000u) << "Where B paints nothing, A shows.";
    EXPECT_EQ(s.window.pixel(37, 37), 0x00FF00u) << "Where both paint, B (added later) is on top.";
    EXPECT_EQ(s.window.pixel(80, 80), 0x0000FFu);
    EXPECT_EQ(s.window.pixel(105, 105), kSentinel) << "Nothing is drawn outside the container.";
    EXPECT_FALSE(s.container->isDirty()) << "A full draw leaves the container clean.";
}

TEST(ContainerDraw, ChildrenAreClippedToTheirOwnSize) {
    Scene s;
    s.c->setPaintArea(CArea(0, 0, 100, 100));  // C tries to paint everything
    s.container->draw(s.context);
    EXPECT_EQ(s.window.pixel(69, 80), kGrey) << "A child's drawing must be clipped to its size.";
    EXPECT_EQ(s.window.pixel(70, 70), 0x0000FFu);
}

TEST(ContainerDraw, RefreshOfOneDirtyChildRepaintsOnlyItsArea) {
    Scene s;
    s.container->draw(s.context);
    s.window.fillAll(kSentinel);  // anything repainted now shows
    s.window.clearChangedArea();
    s.window.resetDrawCounts();
    s.log.clear();
    s.b->setDirty(true);
    ASSERT_TRUE(s.container->isDirty());

    s.container->refresh(s.context);

    EXPECT_EQ(s.log, (Log{"drawArea A", "drawArea B"}))
        << "Every child overlapping the dirty area is redrawn in list order, and no other.";
    EXPECT_EQ(s.window.changedArea(), CArea(30, 30, 60, 60)) << "Only B's area reaches the window.";
    EXPECT_EQ(boundsOfOther(s.window, kSentinel), CArea(30, 30, 60, 60)) << "Pixels outside B's area stay untouched.";
    EXPECT_EQ(s.window.drawCounts().copies, 1u) << "The redraw reaches the window in one copy.";
    EXPECT_EQ(s.window.drawCounts().fills, 0u) << "The redraw is composed offscreen.";
    EXPECT_EQ(s.window.pixel(32, 38), 0xFF0000u) << "A is drawn over the background inside B's area.";
    EXPECT_EQ(s.window.pixel(45, 32), kGrey) << "The background is repainted where no child paints.";
    EXPECT_EQ(s.window.pixel(37, 37), 0x00FF00u) << "B is drawn after A.";
    EXPECT_FALSE(s.b->isDirty()) << "The refreshed child is clean.";
    EXPECT_FALSE(s.container->isDirty()) << "The container is clean after its refresh.";
}

TEST(ContainerDraw, RefreshOfACleanContainerDrawsNothing) {
    Scene s;
    s.container->draw(s.context);
    s.window.resetDrawCounts();
    s.log.clear();
    s.container->refresh(s.context);
    EXPECT_TRUE(s.log.empty()) << "Nothing is dirty, so nothing is drawn.";
    EXPECT_EQ(s.window.drawCounts().copies, 0u);
}

TEST(ContainerDraw, RefreshModesDecideWhatIsRedrawn) {
    struct Case {
        int32_t mode;
        bool containerDirty;
        Log expected;
        const char* why;
    } cases[] = {
        {toolkit::refreshDirtyOnly, true, {"drawArea A", "drawArea B", "drawArea C"}, "a dirty container redraws all"},
        {toolkit::refreshAll, false, {"drawArea A", "drawArea B", "drawArea C"}, "refreshAll redraws all when a child is dirty"},
        {7, false, {}, "an unknown mode draws nothing"},
    };
    for (const Case& c : cases) {
        Scene s;
        s.container->draw(s.context);
        s.log.clear();
        s.container->setRefreshMode(c.mode);
        s.b->setDirty(true);
        if (c.containerDirty) s.container->setDirty(true);
        s.container->refresh(s.context);
        EXPECT_EQ(s.log, c.expected) << "Refresh mode " << c.mode << ": " << c.why << ".";
    }
}

namespace {

// Answers to the scroll container's name, as a scrolling container would.
class ScrollLike : public CViewContainer {
public:
    using CViewContainer::CViewContainer;
    bool isTypeOf(const char* name) const override {
        return (name && std::string(name) == "CScrollContainer") || CViewContainer::isTypeOf(name);
    }
};

}  // namespace

TEST(ContainerDraw, APartlyDrawnDirtyChildStaysDirtyUnlessInAScrollContainer) {
    for (bool scroll : {false, true}) {
        Scene s(scroll ? new ScrollLike(CArea(0, 0, 100, 100)) : new CViewContainer(CArea(0, 0, 100, 100)));
        s.container->draw(s.context);
        s.a->setDirty(true);
        s.c->setDirty(true);
        s.container->drawArea(s.context, CArea(0, 0, 25, 100));  // half of A, none of C
        if (scroll)
            EXPECT_FALSE(s.a->isDirty()) << "In a scroll container a partly drawn child is left clean.";
        else
            EXPECT_TRUE(s.a->isDirty()) << "A dirty child drawn only in part must stay dirty for the rest.";
        EXPECT_TRUE(s.c->isDirty()) << "A child outside the area is not drawn and stays dirty.";
        s.a->setDirty(true);
        s.container->drawArea(s.context, CArea(0, 0, 50, 50));  // all of A
        EXPECT_FALSE(s.a->isDirty()) << "A dirty child drawn whole is clean.";
    }
}

TEST(ContainerDraw, NestedContainerDrawsAtItsPlaceWithTheDrawOffset) {
    Log log;
    RasterSurface window(200, 200);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &window);
    context->drawOffset = CSpot(5, 5);
    CViewContainer* root = new CViewContainer(CArea(0, 0, 150, 150));
    root->setBackgroundColour(CRgb(128, 128, 128, 255));
    CViewContainer* sub = new CViewContainer(CArea(20, 30, 70, 80));
    sub->setBackgroundColour(CRgb(0, 0, 255, 255));
    root->addView(sub);
    sub->addView(new ProbeView("leaf", CArea(10, 10, 20, 20), &log, toolkit::colourRed));
    root->draw(context);
    EXPECT_EQ(boundsOfOther(window, 0), CArea(6, 6, 155, 155))
        << "The root lands at its place plus the offset (its fill leaves its first row and column).";
    EXPECT_EQ(firstMismatch(window, CArea(35, 45, 45, 55), 0xFF0000), "")
        << "The leaf lands at offset + sub's top-left + its own top-left.";
    EXPECT_EQ(window.pixel(34, 44), 0x0000FFu) << "The sub-container's background surrounds the leaf.";

    // Redraw the leaf alone through its parents.
    window.fillAll(kSentinel);
    window.clearChangedArea();
    context->drawOffset = CSpot(0, 0);
    log.clear();
    CView* leaf = sub->getView(0);
    leaf->invalidateArea(context, CArea(10, 10, 20, 20));
    EXPECT_EQ(log, (Log{"drawArea leaf"}));
    EXPECT_EQ(window.changedArea(), CArea(30, 40, 40, 50)) << "The leaf's area is redrawn in window coordinates.";
    EXPECT_EQ(firstMismatch(window, CArea(30, 40, 40, 50), 0xFF0000), "");
    root->release();
    context->release();
}

TEST(ContainerDraw, BackgroundBitmapIsDrawnFromTheBackgroundOffset) {
    RasterSurface pixels(40, 40);
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 40; ++x) pixels.setPixel(x, y, uint32_t((x << 8) | y) + 0x10000);
    auto* bitmap = new toolkit::CBitmap(std::move(pixels));
    CViewContainer* container = new CViewContainer(CArea(0, 0, 20, 20));
    container->setBackground(bitmap);
    container->setBackgroundOffset(CSpot(5, 7));
    RasterSurface window(30, 30);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &window);
    container->draw(context);
    EXPECT_EQ(window.pixel(0, 0), uint32_t((5 << 8) | 7) + 0x10000) << "The bitmap starts at the background offset.";
    EXPECT_EQ(window.pixel(19, 19), uint32_t((24 << 8) | 26) + 0x10000);
    EXPECT_EQ(window.pixel(20, 20), 0u) << "The bitmap is drawn over the container only.";
    window.fillAll(kSentinel);
    container->drawArea(context, CArea(4, 4, 8, 8));
    EXPECT_EQ(boundsOfOther(window, kSentinel), CArea(4, 4, 8, 8)) << "A partial redraw repaints only its area.";
    EXPECT_EQ(window.pixel(4, 4), uint32_t((9 << 8) | 11) + 0x10000) << "The background bitmap keeps its place.";
    container->release();
    context->release();
    bitmap->release();
}

TEST(ContainerDraw, WithoutOffscreenTheContainerDrawsStraightOnTheTarget) {
    Scene s;
    s.container->setDrawOffscreen(false);
    EXPECT_EQ(s.container->getOffscreen(), nullptr) << "Turning offscreen drawing off frees the buffer.";
    s.window.resetDrawCounts();
    s.container->draw(s.context);
    EXPECT_EQ(s.window.drawCounts().copies, 0u) << "No buffer is copied.";
    EXPECT_GT(s.window.drawCounts().fills, 0u) << "The background and children are drawn on the target.";
    EXPECT_EQ(s.window.pixel(37, 37), 0x00FF00u);
    EXPECT_EQ(s.context->drawOffset, CSpot(0, 0)) << "The context's offset is restored.";
}

TEST(ContainerDraw, ResizingMakesANewOffscreenBufferOfTheNewSize) {
    CViewContainer* container = new CViewContainer(CArea(0, 0, 10, 10));
    RasterSurface window(100, 100);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &window);
    container->draw(context);
    ASSERT_NE(container->getOffscreen(), nullptr);
    container->setViewSize(CArea(0, 0, 60, 40));
    ASSERT_NE(container->getOffscreen(), nullptr);
    EXPECT_EQ(container->getOffscreen()->getWidth(), 60) << "The buffer follows the new width.";
    EXPECT_EQ(container->getOffscreen()->getHeight(), 40) << "The buffer follows the new height.";
    container->release();
    context->release();
}

// --- focus ------------------------------------------------------------------------------

namespace {

// root: [a, sub: [b, c], d]; b, c and d are focusable.
struct FocusTree {
    Log log;
    CViewContainer* root = new CViewContainer(CArea(0, 0, 100, 100));
    ProbeView* a = new ProbeView("a", CArea(), &log);
    CViewContainer* sub = new CViewContainer(CArea(0, 0, 50, 50));
    ProbeView* b = new ProbeView("b", CArea(), &log);
    ProbeView* c = new ProbeView("c", CArea(), &log);
    ProbeView* d = new ProbeView("d", CArea(), &log);

    FocusTree() {
        b->setFocusable(true);
        c->setFocusable(true);
        d->setFocusable(true);
        root->addView(a);
        root->addView(sub);
        sub->addView(b);
        sub->addView(c);
        root->addView(d);
    }
    ~FocusTree() { root->release(); }
    FocusTree(const FocusTree&) = delete;
    FocusTree& operator=(const FocusTree&) = delete;
};

}  // namespace

TEST(FocusTraversal, WalksForwardsAndBackwardsIntoNestedContainers) {
    struct Case {
        const char* name;
        int oldFocus;  // 0 none, 1 a, 4 d, 3 c
        bool reverse;
        bool answer;
        Log asked;
    } cases[] = {
        {"forwards from the start", 0, false, true, {"focusable? a no", "focusable? b yes"}},
        {"backwards from the end", 0, true, true, {"focusable? d yes"}},
        {"forwards after a", 1, false, true, {"focusable? b yes"}},
        {"backwards before d", 4, true, true, {"focusable? c yes"}},
        {"forwards after d", 4, false, false, {}},
        {"backwards before a", 1, true, false, {}},
    };
    for (const Case& c : cases) {
        FocusTree t;
        CView* old = c.oldFocus == 1 ? static_cast<CView*>(t.a) : c.oldFocus == 4 ? t.d : nullptr;
        EXPECT_EQ(t.root->advanceFocus(old, c.reverse), c.answer) << "Walking " << c.name << " answered wrongly.";
        EXPECT_EQ(t.log, c.asked) << "Walking " << c.name << " asked the wrong views, or in the wrong order.";
    }
}

TEST(FocusTraversal, ASubContainerContinuesAfterItsOwnChild) {
    FocusTree t;
    EXPECT_TRUE(t.sub->advanceFocus(t.b, false)) << "After b the sub-container finds c.";
    EXPECT_EQ(t.log, (Log{"focusable? c yes"}));
    t.log.clear();
    EXPECT_FALSE(t.sub->advanceFocus(t.c, false)) << "After c the sub-container has nothing left.";
    EXPECT_TRUE(t.log.empty());
}

TEST(ContainerDraw, ATransparentContainerHasItsParentRepaintWhatShowsThrough) {
    Log log;
    RasterSurface window(100, 100);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &window);
    CViewContainer* root = new CViewContainer(CArea(0, 0, 100, 100));
    root->setBackgroundColour(CRgb(128, 128, 128, 255));
    root->addView(new ProbeView("under", CArea(0, 0, 100, 100), &log, toolkit::colourBlue));
    CViewContainer* glass = new CViewContainer(CArea(20, 20, 80, 80));
    glass->setTransparency(true);
    root->addView(glass);
    ProbeView* leaf = new ProbeView("leaf", CArea(10, 10, 20, 20), &log, toolkit::colourRed);
    leaf->setPaintArea(CArea(10, 10, 15, 20));  // the right half shows what lies below
    glass->addView(leaf);
    root->draw(context);
    log.clear();
    window.fillAll(kSentinel);
    window.clearChangedArea();

    leaf->invalidateArea(context, CArea(10, 10, 20, 20));

    EXPECT_EQ(log, (Log{"drawArea under", "drawArea leaf"}))
        << "The parent redraws the area with every child below and above it.";
    EXPECT_EQ(window.changedArea(), CArea(30, 30, 40, 40)) << "Only the leaf's area is repainted.";
    EXPECT_EQ(window.pixel(37, 35), 0x0000FFu) << "What lies below the transparent container shows through.";
    EXPECT_EQ(window.pixel(32, 35), 0xFF0000u) << "The leaf is drawn on top.";
    root->release();
    context->release();
}

TEST(ContainerDraw, PartialRedrawOfANestedContainerDrawsTheRightPart) {
    // The parent hands the sub-container a clip in its own coordinates; the
    // sub-container's buffer starts at its top-left, so the clip must move by
    // exactly that much, whatever part of the sub-container is being redrawn.
    Log log;
    RasterSurface window(200, 200);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &window);
    CViewContainer* root = new CViewContainer(CArea(0, 0, 200, 200));
    CViewContainer* sub = new CViewContainer(CArea(40, 40, 140, 140));
    root->addView(sub);
    sub->addView(new ProbeView("left", CArea(0, 0, 50, 100), &log, toolkit::colourRed));
    sub->addView(new ProbeView("right", CArea(50, 0, 100, 100), &log, toolkit::colourGreen));
    root->draw(context);
    log.clear();
    window.fillAll(kSentinel);
    window.clearChangedArea();

    root->drawArea(context, CArea(100, 60, 130, 90));  // inside "right" only

    EXPECT_EQ(log, (Log{"drawArea right"})) << "Only the child under the redrawn area is drawn.";
    EXPECT_EQ(window.changedArea(), CArea(100, 60, 130, 90)) << "Exactly the redrawn area reaches the window.";
    EXPECT_EQ(firstMismatch(window, CArea(100, 60, 130, 90), 0x00FF00), "")
        << "The redrawn area shows the right child, not stale or misplaced pixels.";
    root->release();
    context->release();
}
