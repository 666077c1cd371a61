// setSize asks the host first and always resizes the frame's window and buffer; position and area come from the
// window's ancestors.
#include <gtest/gtest.h>

#include "tests/editor/test_views.h"
#include "toolkit/platform/headless_window_system.h"

namespace {

using testviews::HostLog;
using testviews::TestEditor;
using testviews::TestEffect;
using toolkit::CArea;
using toolkit::CFrame;
using toolkit::CSpot;

class FrameGeometry : public ::testing::Test {
protected:
    void SetUp() override {
        testviews::currentHost = &host;
        ASSERT_TRUE(editor->open(reinterpret_cast<void*>(uintptr_t{0x500001}))) << "The editor should open.";
        frame = editor->getFrame();
        window = system.lastWindow();
    }
    void TearDown() override {
        delete effect;  // deletes the editor, which closes its frame
        testviews::currentHost = nullptr;
    }

    toolkit::platform::ScopedHeadlessWindowSystem headless;
    toolkit::platform::HeadlessWindowSystem& system = headless.system;
    HostLog host;
    TestEffect* effect = new TestEffect;
    TestEditor* editor = new TestEditor(effect, 200, 100);
    CFrame* frame = nullptr;
    toolkit::platform::HeadlessWindow* window = nullptr;
};

TEST_F(FrameGeometry, SetSizeWithTheCurrentSizeAnswersFalseAndChangesNothing) {
    EXPECT_FALSE(frame->setSize(200, 100)) << "The current size should be refused.";
    EXPECT_EQ(host.count(audioMasterCanDo), 0) << "The host should not be asked for the current size.";
    EXPECT_TRUE(window->resizes.empty()) << "The window should keep its size.";
}

// The host route and the frame's own: the outcome for the frame is the same.
struct SizeCase {
    const char* name;
    intptr_t hostCanSize;
    intptr_t hostAccepts;
    int32_t expectedHostResizes;
};

class FrameSetSize : public FrameGeometry, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(FrameSetSize, ResizesTheWindowAndMakesABufferOfTheNewSize) {
    const SizeCase& c = GetParam();
    host.canDoAnswer = c.hostCanSize;
    host.sizeWindowAnswer = c.hostAccepts;
    toolkit::CDrawContext* context = frame->createDrawContext();
    frame->draw(context);  // makes the offscreen buffer at the first size
    context->release();
    ASSERT_NE(frame->getOffscreen(), nullptr);

    EXPECT_TRUE(frame->setSize(300, 150)) << c.name;
    EXPECT_EQ(host.count(audioMasterCanDo), 1) << "The host should be asked whether it can size the window.";
    EXPECT_EQ(host.count(audioMasterSizeWindow), c.expectedHostResizes) << c.name;
    ASSERT_EQ(window->resizes.size(), 1u) << "The frame's own window should be resized: " << c.name;
    EXPECT_EQ(window->resizes[0], CSpot(300, 150)) << "The window should take the new size.";
    CArea size;
    frame->getViewSize(size);
    EXPECT_EQ(size, CArea(0, 0, 300, 150)) << "The frame should take the new size.";
    ASSERT_NE(frame->getOffscreen(), nullptr) << "The frame should have a buffer.";
    EXPECT_EQ(frame->getOffscreen()->getWidth(), 300) << "The buffer should be as wide as the new size.";
    EXPECT_EQ(frame->getOffscreen()->getHeight(), 150) << "The buffer should be as high as the new size.";
}

INSTANTIATE_TEST_SUITE_P(Routes, FrameSetSize,
                         ::testing::Values(SizeCase{"A host that sizes its window is asked to.", 1, 1, 1},
                                           SizeCase{"A host that refuses leaves the frame to size its own window.", 1,
                                                    0, 1},
                                           SizeCase{"A host that cannot size windows is not asked to.", 0, 0, 0}),
                         testviews::NameOfCase());

TEST_F(FrameGeometry, ThePositionIsThatOfTheHostWindowWrappingTheFrame) {
    // Host windows above the frame's: a wrapper of nearly the same size at
    // (5, 6), then the host's editor window at (30, 40), then its top level.
    window->ancestors = {CArea(5, 6, 215, 116), CArea(30, 40, 630, 540), CArea(100, 50, 900, 750)};
    int32_t x = -1, y = -1;
    ASSERT_TRUE(frame->getPosition(x, y)) << "An open frame should know its position.";
    EXPECT_EQ(CSpot(x, y), CSpot(5, 6))
        << "The position should be the wrapper's, the last window of about the frame's size.";

    CArea area;
    ASSERT_TRUE(frame->getWindowArea(area)) << "An open frame should know its window area.";
    EXPECT_EQ(area, CArea(35, 46, 245, 156)) << "The parent's area should be given in the coordinates three levels up.";

    window->ancestors = {CArea(8, 9, 208, 109)};
    ASSERT_TRUE(frame->getWindowArea(area));
    EXPECT_EQ(area, CArea(8, 9, 208, 109)) << "A top-level parent's area should be given in screen coordinates.";
    ASSERT_TRUE(frame->getPosition(x, y));
    EXPECT_EQ(CSpot(x, y), CSpot(8, 9)) << "A chain that ends at the top level should answer the top level.";
}

TEST_F(FrameGeometry, ThePointerIsGivenInFrameCoordinates) {
    window->screenOrigin = CSpot(300, 200);
    system.pointer.screen = CSpot(345, 260);
    CSpot where;
    ASSERT_TRUE(frame->getCurrentLocation(where)) << "The pointer should be readable.";
    EXPECT_EQ(where, CSpot(45, 60)) << "The pointer should be relative to the frame's window.";
    system.pointerAvailable = false;
    EXPECT_FALSE(frame->getCurrentLocation(where)) << "An unreadable pointer should be reported as such.";
}

}  // namespace
