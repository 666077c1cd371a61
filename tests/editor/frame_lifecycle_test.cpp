// The frame's window: how it is made and named, when it cannot be made, and the shared connection.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "shell/module_handle.h"
#include "tests/editor/test_views.h"
#include "toolkit/platform/headless_window_system.h"

namespace {

using toolkit::CArea;
using toolkit::CFrame;
using toolkit::CSpot;

void* hostWindow(uintptr_t id) { return reinterpret_cast<void*>(id); }

class FrameLifecycle : public ::testing::Test {
protected:
    toolkit::platform::ScopedHeadlessWindowSystem headless;
    toolkit::platform::HeadlessWindowSystem& system = headless.system;
};

TEST_F(FrameLifecycle, TheWindowIsANamedChildOfTheHostWindowOfTheFrameSize) {
    auto* frame = new CFrame(CArea(0, 0, 640, 400), hostWindow(0x3c00007), nullptr);
    ASSERT_EQ(system.childRequests.size(), 1u) << "The frame should ask for one child window.";
    const auto& request = system.childRequests[0];
    EXPECT_EQ(request.parent, 0x3c00007u) << "The window should be made inside the host's window.";
    EXPECT_EQ(request.width, 640) << "The window should be as wide as the frame.";
    EXPECT_EQ(request.height, 400) << "The window should be as high as the frame.";
    EXPECT_EQ(request.title, "Window") << "The window should be titled \"Window\".";
    char expectedClass[64];
    std::snprintf(expectedClass, sizeof expectedClass, "Plugin%p", moduleHandle);
    EXPECT_EQ(request.className, expectedClass) << "The class should name the plug-in library's module handle.";
    EXPECT_NE(moduleHandle, nullptr) << "The module handle should be known before any frame is made.";
    EXPECT_TRUE(frame->isOpen()) << "A frame with a window should be open.";
    EXPECT_TRUE(frame->isDropActive()) << "A frame with a window should accept drops.";
    frame->release();
    EXPECT_EQ(system.windowsDestroyed, 1) << "Releasing the frame should destroy its window.";
}

TEST_F(FrameLifecycle, TheFirstFrameOpensTheConnectionAndTheLastClosesIt) {
    auto* first = new CFrame(CArea(0, 0, 100, 100), hostWindow(0x100), nullptr);
    auto* second = new CFrame(CArea(0, 0, 100, 100), hostWindow(0x200), nullptr);
    EXPECT_EQ(system.connectionsOpened, 1) << "Two frames should share one connection.";
    EXPECT_EQ(system.connectionCount(), 2) << "Each frame should hold the connection once.";
    first->release();
    EXPECT_EQ(system.connectionsClosed, 0) << "The connection should stay while a frame is left.";
    second->release();
    EXPECT_EQ(system.connectionsClosed, 1) << "The last frame should close the connection.";
    EXPECT_EQ(system.windowCount(), 0u) << "No window should outlive its frame.";

    auto* third = new CFrame(CArea(0, 0, 100, 100), hostWindow(0x300), nullptr);
    EXPECT_EQ(system.connectionsOpened, 2) << "A frame after the last one should open the connection again.";
    third->release();
}

// A frame that cannot have a window never crashes or hangs, and does nothing.
struct NoWindowCase {
    const char* name;
    bool display;
    uintptr_t parent;
};

class FrameWithoutWindow : public FrameLifecycle, public ::testing::WithParamInterface<NoWindowCase> {};

TEST_P(FrameWithoutWindow, IsNotOpenAndLeavesNothingBehind) {
    const NoWindowCase& c = GetParam();
    system.displayAvailable = c.display;
    system.badParents.insert(0xdead);
    auto* frame = new CFrame(CArea(0, 0, 640, 400), hostWindow(c.parent), nullptr);
    EXPECT_FALSE(frame->isOpen()) << c.name;
    EXPECT_EQ(frame->getWindow(), nullptr) << c.name;
    EXPECT_EQ(system.connectionCount(), 0) << "A frame without a window should not hold the connection.";
    auto* view = new testviews::ColourView(CArea(0, 0, 10, 10), toolkit::colourRed);
    frame->addView(view);
    frame->idle();
    EXPECT_EQ(view->draws, 0) << "A frame that is not open should draw nothing.";
    EXPECT_FALSE(frame->setSize(100, 100)) << "A frame that is not open should refuse a new size.";
    EXPECT_FALSE(frame->setDropActive(true)) << "Drops need a window.";
    frame->release();
    EXPECT_EQ(system.connectionsOpened, system.connectionsClosed) << "Every connection opened should be closed.";
}

INSTANTIATE_TEST_SUITE_P(Failures, FrameWithoutWindow,
                         ::testing::Values(NoWindowCase{"Without a display there is no window.", false, 0x100},
                                           NoWindowCase{"A bad parent window gives no window.", true, 0xdead}),
                         testviews::NameOfCase());

TEST_F(FrameLifecycle, AFrameWithoutAParentDrawsIntoTheContextItIsGiven) {
    auto* frame = new CFrame(CArea(0, 0, 40, 30), nullptr, nullptr);
    EXPECT_TRUE(frame->isOpen()) << "A frame made without a parent window should still be open for drawing.";
    EXPECT_EQ(system.connectionsOpened, 0) << "A frame without a parent should not connect to the window system.";
    auto* view = new testviews::ColourView(CArea(10, 10, 20, 20), toolkit::colourRed);
    frame->addView(view);
    toolkit::platform::RasterSurface target(40, 30);
    auto* context = new toolkit::CDrawContext(nullptr, frame, &target);
    frame->draw(context);
    context->release();
    EXPECT_EQ(target.pixel(15, 15), toolkit::colourRed.toPixel()) << "The view should be drawn into the given surface.";
    EXPECT_EQ(target.pixel(5, 5), toolkit::colourBlack.toPixel()) << "The frame's background should be drawn too.";
    frame->release();
}

}  // namespace
