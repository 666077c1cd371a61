// What it costs to bring the editor's pixels to a real X server: a full
// 640 x 400 paint of a frame with thirty views, from shared memory and
// through the socket, and the idle redraw of one dirty view. Each iteration
// ends with a round trip, so the server's share of the work is counted.
#include <benchmark/benchmark.h>

#include "tests/editor/test_views.h"
#include "tests/platform/x11_test_host.h"
#include "toolkit/frame.h"
#include "toolkit/platform/x11_testing.h"

namespace {

using toolkit::CArea;
using toolkit::CFrame;
using toolkit::CRgb;
namespace x11 = toolkit::platform::x11;

struct Editor {
    explicit Editor(x11test::TestHost& host) {
        parent = host.makeWindow(0, 0, 640, 400);
        frame = new CFrame(CArea(0, 0, 640, 400), reinterpret_cast<void*>(uintptr_t{parent}), nullptr);
        for (int32_t i = 0; i < 30; ++i) {
            const int32_t x = (i % 6) * 100 + 10;
            const int32_t y = (i / 6) * 75 + 10;
            auto* view = new testviews::ColourView(CArea(x, y, x + 80, y + 60),
                                                   CRgb(uint8_t(i * 8), uint8_t(255 - i * 8), 128, 255));
            frame->addView(view);
            views.push_back(view);
        }
        frame->drawArea(nullptr, CArea(0, 0, 640, 400));
    }
    ~Editor() { frame->release(); }
    void settle() {
        toolkit::CSpot where;
        frame->getCurrentLocation(where);  // a round trip on the frame's connection
    }
    xcb_window_t parent;
    CFrame* frame;
    std::vector<testviews::ColourView*> views;
};

void fullPaint(benchmark::State& state, bool sharedMemory) {
    x11test::TestHost host;
    if (!host.ok()) {
        state.SkipWithError("no X server");
        return;
    }
    x11::allowSharedMemory(sharedMemory);
    Editor editor(host);
    if (sharedMemory && !x11::usesSharedMemory(editor.frame->getWindow())) {
        state.SkipWithError("the server offers no shared memory");
        return;
    }
    for (auto _ : state) {
        editor.frame->drawArea(nullptr, CArea(0, 0, 640, 400));
        editor.settle();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 640 * 400 * 4);
}

void BM_FullPaintSharedMemory(benchmark::State& state) { fullPaint(state, true); }
void BM_FullPaintSocket(benchmark::State& state) { fullPaint(state, false); }

void BM_IdleRedrawOfOneView(benchmark::State& state) {
    x11test::TestHost host;
    if (!host.ok()) {
        state.SkipWithError("no X server");
        return;
    }
    x11::allowSharedMemory(true);
    Editor editor(host);
    for (auto _ : state) {
        editor.views[14]->setDirty(true);
        editor.frame->idle();
        editor.settle();
    }
}

void BM_OpenAndCloseAFrame(benchmark::State& state) {
    x11test::TestHost host;
    if (!host.ok()) {
        state.SkipWithError("no X server");
        return;
    }
    Editor anchor(host);  // keeps the connection open, as a second editor would
    for (auto _ : state) {
        auto* frame = new CFrame(CArea(0, 0, 640, 400), reinterpret_cast<void*>(uintptr_t{anchor.parent}), nullptr);
        frame->release();
    }
}

BENCHMARK(BM_FullPaintSharedMemory)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullPaintSocket)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IdleRedrawOfOneView)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenAndCloseAFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
