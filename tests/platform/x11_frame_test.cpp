// An editor frame in a real X server: its child window, its pixels, real pointer input, and what it leaves behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "shell/module_handle.h"
#include "tests/editor/test_views.h"
#include "tests/platform/x11_test_host.h"
#include "toolkit/frame.h"
#include "toolkit/platform/x11_testing.h"

namespace {

using testviews::ColourView;
using toolkit::CArea;
using toolkit::CFrame;
using toolkit::CRgb;
using toolkit::CSpot;
namespace x11 = toolkit::platform::x11;

const CRgb kRed{255, 0, 0, 255};
const CRgb kBlue{0, 0, 255, 255};
constexpr int16_t kParentX = 100;
constexpr int16_t kParentY = 80;

class X11Frame : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.ok()) << "An X server should be reachable or startable (is Xvfb installed?).";
        ASSERT_FALSE(x11::connectionIsOpen()) << "No frame of an earlier test should still be open.";
        parent = host.makeWindow(kParentX, kParentY, 320, 200);
        x11::resetStatistics();
        x11::allowSharedMemory(true);
        x11::limitRequestSize(0);
    }
    void TearDown() override {
        if (frame) frame->release();
        frame = nullptr;
        x11::allowSharedMemory(true);
        x11::limitRequestSize(0);
    }

    CFrame* openFrame(int32_t width = 320, int32_t height = 200, xcb_window_t in = 0) {
        return new CFrame(CArea(0, 0, width, height), reinterpret_cast<void*>(uintptr_t{in ? in : parent}), nullptr);
    }
    ColourView* add(const CArea& area, CRgb colour) {
        auto* view = new ColourView(area, colour);
        frame->addView(view);
        return view;
    }
    xcb_window_t frameWindow() const { return static_cast<xcb_window_t>(frame->getWindow()->nativeId()); }
    // Gives the frame idle calls, as a host does, until `done` holds or 3 s pass.
    bool idleUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (std::chrono::steady_clock::now() < deadline) {
            frame->idle();
            if (done()) return true;
            usleep(2000);
        }
        return false;
    }
    bool shows(int16_t x, int16_t y, CRgb colour) {
        uint32_t value = 0;
        return host.pixel(frameWindow(), x, y, value) && value == colour.toPixel();
    }

    x11test::TestHost host;
    xcb_window_t parent = XCB_NONE;
    CFrame* frame = nullptr;
};

TEST_F(X11Frame, TheWindowIsANamedChildOfTheHostWindowOfTheFrameSize) {
    frame = openFrame();
    ASSERT_TRUE(frame->isOpen()) << "A frame in a real host window should be open.";
    const std::vector<xcb_window_t> children = host.children(parent);
    ASSERT_EQ(children.size(), 1u) << "The host window should hold exactly the frame's window.";
    EXPECT_EQ(children[0], frameWindow()) << "The child of the host window should be the frame's window.";
    x11test::TestHost::Geometry geometry{};
    ASSERT_TRUE(host.geometry(frameWindow(), geometry));
    EXPECT_EQ(geometry.x, 0) << "The window should sit at the host window's left edge.";
    EXPECT_EQ(geometry.y, 0) << "The window should sit at the host window's top edge.";
    EXPECT_EQ(geometry.width, 320) << "The window should be as wide as the frame.";
    EXPECT_EQ(geometry.height, 200) << "The window should be as high as the frame.";
    EXPECT_EQ(host.textProperty(frameWindow(), XCB_ATOM_WM_NAME), "Window") << "The window should be named \"Window\".";
    char className[64];
    std::snprintf(className, sizeof className, "Plugin%p", moduleHandle);
    EXPECT_EQ(host.textProperty(frameWindow(), XCB_ATOM_WM_CLASS), std::string("Window") + '\0' + className + '\0')
        << "The window's class should name the plug-in library.";

    int32_t x = 0, y = 0;
    ASSERT_TRUE(frame->getPosition(x, y)) << "An open frame should find its host window.";
    EXPECT_EQ(CSpot(x, y), CSpot(kParentX, kParentY)) << "The host window of the frame's size should be found.";
    CArea area;
    ASSERT_TRUE(frame->getWindowArea(area));
    EXPECT_EQ(area, CArea(kParentX, kParentY, kParentX + 320, kParentY + 200))
        << "The host window's area should be in screen coordinates.";

    host.movePointer(kParentX + 30, kParentY + 40);
    CSpot where;
    ASSERT_TRUE(frame->getCurrentLocation(where)) << "The pointer should be readable.";
    EXPECT_EQ(where, CSpot(30, 40)) << "The pointer should be given in the frame's coordinates.";
}

// The pixels reach the window either way: from shared memory, or through the
// socket in strips that fit the request limit.
struct PixelRoute {
    const char* name;
    bool sharedMemory;
    uint32_t requestLimit;
};

class X11FramePixels : public X11Frame, public ::testing::WithParamInterface<PixelRoute> {};

TEST_P(X11FramePixels, AnExposeDrawsTheViews) {
    const PixelRoute& route = GetParam();
    x11::allowSharedMemory(route.sharedMemory);
    x11::limitRequestSize(route.requestLimit);
    frame = openFrame();
    const CArea redArea(10, 10, 110, 90);
    const CArea blueArea(150, 50, 300, 180);
    add(redArea, kRed);
    add(blueArea, kBlue);
    ASSERT_TRUE(idleUntil([&] { return shows(60, 50, kRed) && shows(200, 100, kBlue); }))
        << "The first expose should put the views on the screen: " << route.name;

    // Every few rows and columns (strip edges included), the colour of what is there.
    for (int16_t y = 0; y < 200; y += 7) {
        for (int16_t x = 0; x < 320; x += 13) {
            const CSpot p(x, y);
            const bool inRed = p.x >= redArea.left && p.x < redArea.right && p.y >= redArea.top && p.y < redArea.bottom;
            const bool inBlue =
                p.x >= blueArea.left && p.x < blueArea.right && p.y >= blueArea.top && p.y < blueArea.bottom;
            const CRgb expected = inBlue ? kBlue : inRed ? kRed : toolkit::colourBlack;
            ASSERT_TRUE(shows(x, y, expected))
                << "Pixel (" << x << ", " << y << ") should show its view: " << route.name;
        }
    }
    const x11::Statistics stats = x11::statistics();
    if (route.sharedMemory) {
        EXPECT_EQ(x11::usesSharedMemory(frame->getWindow()), stats.sharedImageRequests > 0)
            << "Pixels should go through shared memory whenever the window has it.";
    } else {
        EXPECT_FALSE(x11::usesSharedMemory(frame->getWindow())) << "Shared memory should not be used when refused.";
        EXPECT_GT(stats.imageRequests, 1u) << "A limited request size should cut the image into strips.";
    }
    EXPECT_EQ(stats.errors, 0u) << "No request should fail.";
}

INSTANTIATE_TEST_SUITE_P(Routes, X11FramePixels,
                         ::testing::Values(PixelRoute{"Shared memory when the server offers it.", true, 0},
                                           PixelRoute{"Through the socket in strips.", false, 64 * 1024}),
                         testviews::NameOfCase());

TEST_F(X11Frame, AHostWindowWithAnAlphaVisualGetsAPlainChildThatShowsTheViews) {
    const xcb_window_t alpha = host.makeAlphaWindow(kParentX, kParentY, 320, 200);
    ASSERT_NE(alpha, static_cast<xcb_window_t>(XCB_NONE)) << "The server should offer a 32-bit visual.";
    frame = openFrame(320, 200, alpha);
    ASSERT_TRUE(frame->isOpen()) << "A frame should open inside a window of another visual.";
    add(CArea(10, 10, 110, 90), kRed);
    ASSERT_TRUE(idleUntil([&] { return shows(60, 50, kRed) && shows(200, 150, toolkit::colourBlack); }))
        << "The views should show in their own colours.";
    EXPECT_EQ(x11::statistics().errors, 0u) << "No request should fail.";
}

TEST_F(X11Frame, ARealClickReachesTheTopmostViewUnderIt) {
    frame = openFrame();
    ColourView* below = add(CArea(0, 0, 320, 200), kRed);
    ColourView* top = add(CArea(40, 40, 100, 100), kBlue);
    ASSERT_TRUE(idleUntil([&] { return shows(50, 50, kBlue); })) << "The frame should be painted first.";

    host.movePointer(kParentX + 60, kParentY + 70);
    host.pressButton(1);
    host.releaseButton(1);
    ASSERT_TRUE(idleUntil([&] { return !top->clicks.empty(); })) << "The click should reach the view under it.";
    EXPECT_TRUE(below->clicks.empty()) << "The view underneath should not get the click.";
    EXPECT_EQ(top->clicks[0].where, CSpot(60, 70)) << "The click should arrive at its place in the frame.";
    EXPECT_EQ(top->clicks[0].buttons, toolkit::kLButton) << "A click handled after its release should keep its button.";
}

TEST_F(X11Frame, WithSwappedButtonsThePhysicalRightButtonIsThePrimary) {
    frame = openFrame();
    ColourView* view = add(CArea(0, 0, 320, 200), kRed);
    ASSERT_TRUE(host.setButtonMap({3, 2, 1})) << "The test should be able to swap the buttons.";
    host.movePointer(kParentX + 20, kParentY + 20);
    host.pressButton(3);
    host.releaseButton(3);
    host.pressButton(1);
    host.releaseButton(1);
    host.restoreButtonMap();
    ASSERT_TRUE(idleUntil([&] { return view->clicks.size() + static_cast<size_t>(view->ignoredClicks) >= 2; }))
        << "Both presses should arrive.";
    ASSERT_EQ(view->clicks.size(), 1u) << "Only the primary button should work the view.";
    EXPECT_EQ(view->clicks[0].buttons, toolkit::kLButton) << "The physical right button should arrive as the primary.";
    EXPECT_EQ(view->ignoredClicks, 1) << "The physical left button should arrive as the secondary.";
}

TEST_F(X11Frame, AWheelNotchGivesDistanceOne) {
    frame = openFrame();
    ColourView* view = add(CArea(0, 0, 320, 200), kRed);
    host.movePointer(kParentX + 100, kParentY + 50);
    host.pressButton(4);
    host.releaseButton(4);
    host.pressButton(5);
    host.releaseButton(5);
    ASSERT_TRUE(idleUntil([&] { return view->wheels.size() == 2; })) << "Both notches should reach the view.";
    EXPECT_FLOAT_EQ(view->wheels[0], 1.0f) << "A notch up should give distance 1.";
    EXPECT_FLOAT_EQ(view->wheels[1], -1.0f) << "A notch down should give distance -1.";
    EXPECT_EQ(view->wheelSpots[0], CSpot(100, 50)) << "The wheel should arrive at the pointer.";
}

TEST_F(X11Frame, SetSizeResizesTheWindowAndTheNewPartIsDrawn) {
    // The host's window has room for the larger editor.
    frame = openFrame(320, 200, host.makeWindow(kParentX, kParentY, 500, 300));
    add(CArea(0, 0, 2000, 2000), kBlue);
    ASSERT_TRUE(idleUntil([&] { return shows(300, 190, kBlue); }));
    ASSERT_TRUE(frame->setSize(400, 260)) << "A new size should be taken.";
    x11test::TestHost::Geometry geometry{};
    ASSERT_TRUE(host.geometry(frameWindow(), geometry));
    EXPECT_EQ(geometry.width, 400) << "The window should take the new width.";
    EXPECT_EQ(geometry.height, 260) << "The window should take the new height.";
    ASSERT_TRUE(idleUntil([&] { return shows(390, 250, kBlue); })) << "The enlarged part should be drawn.";
}

TEST_F(X11Frame, TheFirstFrameOpensTheConnectionAndTheLastClosesIt) {
    frame = openFrame();
    EXPECT_TRUE(x11::connectionIsOpen()) << "The first frame should open the connection.";
    CFrame* second = openFrame();
    EXPECT_TRUE(second->isOpen()) << "A second frame should open too.";
    frame->release();
    frame = nullptr;
    EXPECT_TRUE(x11::connectionIsOpen()) << "The connection should stay while a frame is left.";
    second->release();
    EXPECT_FALSE(x11::connectionIsOpen()) << "The last frame should close the connection.";
}

// The host destroys its window before it closes the editor.
struct GoneCase {
    const char* name;
    bool idleBetween;  // whether the frame gets an idle call in between
};

class X11FrameParentGone : public X11Frame, public ::testing::WithParamInterface<GoneCase> {};

TEST_P(X11FrameParentGone, TheFrameClosesWithoutAnyError) {
    const GoneCase& c = GetParam();
    frame = openFrame();
    add(CArea(0, 0, 320, 200), kRed);
    ASSERT_TRUE(idleUntil([&] { return shows(10, 10, kRed); }));
    host.destroyWindow(parent);
    if (c.idleBetween) {
        ASSERT_TRUE(idleUntil([&] { return !frame->isOpen(); })) << "The frame should learn that its window is gone.";
        EXPECT_EQ(frame->getParentWindow(), nullptr) << "The host's window should be forgotten.";
        frame->idle();
    }
    frame->release();
    frame = nullptr;
    EXPECT_FALSE(x11::connectionIsOpen()) << "The connection should be closed.";
    EXPECT_EQ(x11::statistics().errors, 0u) << "No request of the frame should have failed: " << c.name;
    EXPECT_EQ(host.drainErrors(), 0u) << "No error should reach the host: " << c.name;
}

INSTANTIATE_TEST_SUITE_P(Order, X11FrameParentGone,
                         ::testing::Values(GoneCase{"The frame saw the window go at an idle call.", true},
                                           GoneCase{"The editor is closed right after.", false}),
                         testviews::NameOfCase());

TEST_F(X11Frame, WithoutAServerOrWithABadParentThereIsNoWindow) {
    // A window that existed once and is gone: the id a careless host passes.
    const xcb_window_t stale = host.makeWindow(0, 0, 10, 10);
    host.destroyWindow(stale);
    frame = openFrame(320, 200, stale);
    EXPECT_FALSE(frame->isOpen()) << "A frame in a window that is gone should not be open.";
    EXPECT_EQ(frame->getWindow(), nullptr) << "No window should be made in a window that is gone.";
    frame->idle();
    frame->release();
    frame = nullptr;
    EXPECT_FALSE(x11::connectionIsOpen()) << "A frame without a window should not keep the connection.";

    const std::string display = std::getenv("DISPLAY");
    setenv("DISPLAY", ":4095", 1);  // no server there
    frame = openFrame();
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_FALSE(frame->isOpen()) << "Without a server the frame should not be open.";
    EXPECT_EQ(frame->getWindow(), nullptr) << "Without a server there should be no window.";
    frame->idle();
    EXPECT_FALSE(x11::connectionIsOpen()) << "Without a server no connection should be left.";
}

TEST_F(X11Frame, OpeningAndClosing200TimesLeavesNothingBehind) {
    // One frame stays open, so the connection does too and whatever a frame
    // forgot would stay on the server.
    frame = openFrame();
    const size_t windowsBefore = host.countWindows();
    const size_t segmentsBefore = x11test::countSharedMemorySegments();
    for (int i = 0; i < 200; ++i) {
        CFrame* other = openFrame();
        ASSERT_TRUE(other->isOpen()) << "Frame " << i << " should open.";
        auto* view = new ColourView(CArea(0, 0, 320, 200), kRed);
        other->addView(view);
        other->setCursor(toolkit::platform::kCursorHand);
        toolkit::CDrawContext* context = other->createDrawContext();
        other->drawArea(context, CArea(0, 0, 320, 200));
        context->release();
        other->release();
    }
    host.sync();
    frame->idle();
    EXPECT_EQ(host.countWindows(), windowsBefore) << "Every window made should have been destroyed.";
    EXPECT_EQ(x11test::countSharedMemorySegments(), segmentsBefore) << "Every shared image should have been freed.";
    EXPECT_EQ(x11::statistics().errors, 0u) << "No request should have failed.";
}

}  // namespace
