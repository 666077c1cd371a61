// Redraw costs of the toolkit: a full 640 x 400 container redraw with a
// background bitmap and thirty children, and the refresh of one dirty child.
#include <benchmark/benchmark.h>

#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"
#include "toolkit/platform/raster_surface.h"
#include "toolkit/view.h"
#include "toolkit/view_container.h"

namespace {

using toolkit::CArea;

// The editor's shape: the 640 x 400 background and thirty 48 x 48 views
// drawing a knob image each, in three rows of ten.
struct Editor {
    toolkit::platform::RasterSurface window{640, 400};
    toolkit::CDrawContext* context = new toolkit::CDrawContext(nullptr, nullptr, &window);
    toolkit::CViewContainer* container = new toolkit::CViewContainer(CArea(0, 0, 640, 400));
    toolkit::CBitmap* background = new toolkit::CBitmap(128);
    toolkit::CBitmap* knob = new toolkit::CBitmap(100);
    toolkit::CView* children[30] = {};

    Editor() {
        container->setBackground(background);
        for (int i = 0; i < 30; ++i) {
            const int32_t x = 20 + (i % 10) * 60;
            const int32_t y = 40 + (i / 10) * 110;
            children[i] = new toolkit::CView(CArea(x, y, x + 48, y + 48));
            children[i]->setBackground(knob);
            container->addView(children[i]);
        }
        container->draw(context);
    }
    ~Editor() {
        container->release();
        context->release();
        background->release();
        knob->release();
    }
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;
};

void FullRedraw(benchmark::State& state) {
    Editor editor;
    for (auto _ : state) {
        editor.container->draw(editor.context);
        benchmark::DoNotOptimize(editor.window.pixels());
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(FullRedraw)->Unit(benchmark::kMicrosecond);

void OneChildRefresh(benchmark::State& state) {
    Editor editor;
    for (auto _ : state) {
        editor.children[13]->setDirty(true);
        editor.container->refresh(editor.context);
        benchmark::DoNotOptimize(editor.window.pixels());
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(OneChildRefresh)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
