// The window system without a display: windows are images in memory and the
// test plays the server.
#include "toolkit/platform/headless_window_system.h"

#include <algorithm>

namespace toolkit::platform {

HeadlessWindow::HeadlessWindow(uintptr_t id_, uintptr_t parent_, int32_t width, int32_t height)
    : id(id_), parent(parent_), image(width, height), screen(width, height) {}

RasterSurface* HeadlessWindow::acquireSurface() {
    if (!alive) return nullptr;
    ++surfacesAcquired;
    return &image;
}

void HeadlessWindow::releaseSurface(RasterSurface* surface, const CArea& changed) {
    if (surface != &image) return;
    ++surfacesReleased;
    const CArea area = changed.intersection(image.bounds());
    if (!alive || area.isEmpty()) return;
    pushed.push_back(area);
    screen.copyFrom(image, area, CSpot(area.left, area.top));
}

void HeadlessWindow::resize(int32_t width, int32_t height) {
    if (!alive) return;
    resizes.emplace_back(width, height);
    image = RasterSurface(width, height);
    screen = RasterSurface(width, height);
}

std::vector<CArea> HeadlessWindow::getAncestry() {
    if (!alive) return {};
    std::vector<CArea> chain{CArea(0, 0, image.width(), image.height())};
    chain.insert(chain.end(), ancestors.begin(), ancestors.end());
    return chain;
}

HeadlessWindowSystem::~HeadlessWindowSystem() {
    while (!openWindows().empty()) destroyWindow(openWindows().back());
}

void HeadlessWindowSystem::post(HeadlessWindow* window, const WindowEvent& event) {
    inFlight.push_back(Posted{window->id, event});
}

void HeadlessWindowSystem::destroyFromOutside(HeadlessWindow* window) {
    window->alive = false;
    WindowEvent gone;
    gone.kind = WindowEvent::destroyed;
    post(window, gone);
}

HeadlessWindow* HeadlessWindowSystem::lastWindow() const {
    return openWindows().empty() ? nullptr : static_cast<HeadlessWindow*>(openWindows().back());
}

bool HeadlessWindowSystem::readPointer(PointerState& state) {
    ++pointerReads;
    if (!pointerAvailable) return false;
    state = pointer;
    return true;
}

void HeadlessWindowSystem::sleep(uint32_t milliseconds) {
    sleeps.push_back(milliseconds);
    now += milliseconds;
}

bool HeadlessWindowSystem::openConnection() {
    if (!displayAvailable) return false;
    ++connectionsOpened;
    return true;
}

void HeadlessWindowSystem::closeConnection() {
    ++connectionsClosed;
    inFlight.clear();
}

NativeWindow* HeadlessWindowSystem::makeChildWindow(uintptr_t parent, int32_t width, int32_t height, const char* title,
                                                    const char* className) {
    childRequests.push_back(ChildRequest{parent, width, height, title, className});
    if (badParents.count(parent) != 0) return nullptr;
    auto* window = new HeadlessWindow(nextId++, parent, width, height);
    if (exposeNewWindows) {
        // A new window is exposed as a whole once it is on the screen.
        WindowEvent shown;
        shown.kind = WindowEvent::expose;
        shown.area = CArea(0, 0, width, height);
        inFlight.push_back(Posted{window->id, shown});
    }
    return window;
}

void HeadlessWindowSystem::disposeWindow(NativeWindow* window) {
    auto* headless = static_cast<HeadlessWindow*>(window);
    if (headless->alive) ++windowsDestroyed;
    std::erase_if(inFlight, [&](const Posted& p) { return p.window == headless->id; });
    delete headless;
}

void HeadlessWindowSystem::readEvents() {
    std::vector<Posted> arrived;
    arrived.swap(inFlight);
    for (const Posted& p : arrived)
        if (NativeWindow* window = findWindow(p.window)) window->queueEvent(p.event);
}

}  // namespace toolkit::platform
