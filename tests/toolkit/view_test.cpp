// The base view: inclusive hit tests, mouse area and size, dirty rules,
// background references, type names and coordinate conversion.
#include <gtest/gtest.h>

#include "tests/toolkit/pixel_helpers.h"
#include "tests/toolkit/view_probes.h"
#include "toolkit/bitmap.h"
#include "toolkit/platform/raster_surface.h"
#include "toolkit/view.h"
#include "toolkit/view_container.h"

using toolkit::CArea;
using toolkit::CBitmap;
using toolkit::CSpot;
using toolkit::CView;
using toolkit::CViewContainer;
using toolkit_test::ProbeView;

TEST(View, HitTestIsInclusiveOnAllEdgesOfTheMouseArea) {
    CView* view = new CView(CArea(10, 10, 20, 30));
    struct Case {
        CSpot where;
        bool hit;
    } cases[] = {{{10, 10}, true}, {{20, 30}, true}, {{20, 10}, true}, {{15, 20}, true},
                 {{21, 20}, false}, {{15, 31}, false}, {{9, 10}, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(view->hitTest(c.where, 0), c.hit) << "A click at (" << c.where.x << ", " << c.where.y << ") should "
                                                    << (c.hit ? "" : "not ") << "hit the view.";
        EXPECT_EQ(view->hitTest(c.where, 4), c.hit) << "The button state must not change a hit test.";
    }
    view->release();
}

TEST(View, ChangingTheSizeKeepsTheMouseArea) {
    CView* view = new CView(CArea(0, 0, 10, 10));
    view->setViewSize(CArea(100, 100, 150, 150));
    CArea mouse;
    view->getMouseArea(mouse);
    EXPECT_EQ(mouse, CArea(0, 0, 10, 10)) << "setViewSize must leave the mouse area where it was.";
    EXPECT_TRUE(view->hitTest(CSpot(5, 5))) << "The view still takes clicks at its old place.";
    EXPECT_FALSE(view->hitTest(CSpot(120, 120))) << "The view does not take clicks at its new size.";
    view->release();
}

TEST(View, DirtyRules) {
    CView* view = new CView(CArea(0, 0, 10, 10));
    EXPECT_FALSE(view->isDirty()) << "A new view is clean.";
    view->setViewSize(CArea(0, 0, 20, 20));
    EXPECT_TRUE(view->isDirty()) << "setViewSize makes a view dirty.";
    view->draw(nullptr);
    EXPECT_FALSE(view->isDirty()) << "draw makes a view clean.";
    view->setBackground(nullptr);
    EXPECT_TRUE(view->isDirty()) << "setBackground makes a view dirty.";
    view->refresh(nullptr);
    EXPECT_FALSE(view->isDirty()) << "refresh makes a dirty view clean.";
    view->release();
}

TEST(View, BackgroundHoldsOneReference) {
    CBitmap* bitmap = new CBitmap(129);
    CView* view = new CView(CArea(0, 0, 10, 10));
    view->setBackground(bitmap);
    EXPECT_EQ(bitmap->getNbReference(), 2) << "The view holds one reference to its background.";
    view->setBackground(bitmap);
    EXPECT_EQ(bitmap->getNbReference(), 2) << "Setting the same background again keeps one reference.";
    view->release();
    EXPECT_EQ(bitmap->getNbReference(), 1) << "A destroyed view gives its background reference back.";
    bitmap->release();
}

TEST(View, SettingTheOnlyHeldBackgroundAgainKeepsItAlive) {
    // The view holds the only reference: giving it back before taking the new
    // one would free the bitmap that is being set.
    CBitmap* bitmap = new CBitmap(129);
    CView* view = new CView(CArea(0, 0, 10, 10));
    view->setBackground(bitmap);
    bitmap->release();
    view->setBackground(view->getBackground());
    ASSERT_EQ(view->getBackground(), bitmap);
    EXPECT_EQ(bitmap->getNbReference(), 1) << "The bitmap must survive being set again.";
    EXPECT_EQ(bitmap->getWidth(), 27) << "The bitmap must still hold its pixels.";
    view->release();
}

TEST(View, DrawPutsTheBackgroundOverTheSize) {
    toolkit::platform::RasterSurface pixels(2, 2);
    pixels.fillAll(0x00FF00);
    CBitmap* bitmap = new CBitmap(std::move(pixels));
    CView* view = new CView(CArea(3, 3, 5, 5));
    view->setBackground(bitmap);
    toolkit::platform::RasterSurface surface(8, 8);
    auto* context = new toolkit::CDrawContext(nullptr, nullptr, &surface);
    view->draw(context);
    EXPECT_EQ(toolkit_test::boundsOfOther(surface, 0), CArea(3, 3, 5, 5)) << "The background covers the view's size.";
    context->release();
    view->release();
    bitmap->release();
}

TEST(View, TypeNamesCoverTheClassAndItsToolkitBases) {
    CView* view = new CView(CArea());
    CViewContainer* container = new CViewContainer(CArea());
    struct Case {
        CView* object;
        const char* name;
        bool answer;
    } cases[] = {
        {view, "CView", true},
        {view, "CViewContainer", false},
        {view, "CReferenceCounter", false},
        {view, "CVie", false},
        {view, nullptr, false},
        {container, "CViewContainer", true},
        {container, "CView", true},
        {container, "CFrame", false},
        {container, "CScrollContainer", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.object->isTypeOf(c.name), c.answer)
            << (c.object == view ? "A view" : "A container") << " asked for " << (c.name ? c.name : "null")
            << " should answer " << (c.answer ? "true." : "false.");
    view->release();
    container->release();
}

TEST(View, DefaultsAnswerNotHandled) {
    CView* view = new CView(CArea(0, 0, 10, 10));
    VstKeyCode key{0, 2, 0};
    EXPECT_EQ(view->onKeyDown(key), -1) << "A plain view does not handle keys.";
    EXPECT_EQ(view->onKeyUp(key), -1) << "A plain view does not handle key releases.";
    EXPECT_FALSE(view->onWheelAxis(nullptr, CSpot(1, 1), 0, 1.0f)) << "A plain view does not take the wheel.";
    EXPECT_FALSE(view->onDrop(nullptr, nullptr, CSpot())) << "A plain view does not take drops.";
    EXPECT_EQ(view->notify(view, toolkit::containerCheckMessage), 0) << "A plain view is not a container.";
    EXPECT_EQ(view->getEditor(), nullptr) << "A view outside a frame has no editor.";
    CSpot where(7, 8);
    view->getMouseLocation(nullptr, where);
    EXPECT_EQ(where, CSpot(7, 8)) << "Without a context the mouse location is left as it was.";
    view->release();
}

TEST(View, CoordinatesConvertThroughNestedContainers) {
    CViewContainer* root = new CViewContainer(CArea(0, 0, 200, 200));
    CViewContainer* outer = new CViewContainer(CArea(10, 20, 110, 120));
    CViewContainer* inner = new CViewContainer(CArea(5, 6, 50, 60));
    CView* leaf = new CView(CArea(1, 1, 5, 5));
    root->addView(outer);
    outer->addView(inner);
    inner->addView(leaf);
    EXPECT_EQ(leaf->frameToLocal(CSpot(100, 100)), CSpot(85, 74))
        << "frameToLocal subtracts the top-left of every enclosing container.";
    EXPECT_EQ(leaf->localToFrame(CSpot(85, 74)), CSpot(100, 100)) << "localToFrame undoes frameToLocal.";
    CView* alone = new CView(CArea(3, 3, 4, 4));
    EXPECT_EQ(alone->frameToLocal(CSpot(9, 9)), CSpot(9, 9)) << "A view without a parent leaves points unchanged.";
    alone->release();
    root->release();  // releases the whole tree
}
