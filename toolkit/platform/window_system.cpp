// The part of the window half that every backend shares: the counted
// connection, the register of open windows, the windows' event queues and the
// choice of the window system in use.
#include <algorithm>

#include "toolkit/platform/platform.h"

namespace toolkit::platform {

namespace {

WindowSystem* installedSystem = nullptr;

CArea unite(const CArea& a, const CArea& b) {
    if (a.isEmpty()) return b;
    if (b.isEmpty()) return a;
    return CArea(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                 std::max(a.bottom, b.bottom));
}

bool isInput(const WindowEvent& event) {
    return event.kind == WindowEvent::buttonPress || event.kind == WindowEvent::wheel;
}

}  // namespace

// --- NativeWindow: the event queue ---------------------------------------------

void NativeWindow::queueEvent(const WindowEvent& event) {
    if (event.kind == WindowEvent::expose) {
        for (WindowEvent& queued : queue) {
            if (queued.kind == WindowEvent::expose) {
                queued.area = unite(queued.area, event.area);
                return;
            }
        }
    }
    queue.push_back(event);
}

bool NativeWindow::takeEvent(WindowEvent& event, bool inputToo) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!inputToo && isInput(*it)) continue;
        event = *it;
        queue.erase(it);
        return true;
    }
    return false;
}

bool NativeWindow::takeExpose(WindowEvent& event) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (it->kind != WindowEvent::expose) continue;
        event = *it;
        queue.erase(it);
        return true;
    }
    return false;
}

// --- WindowSystem ------------------------------------------------------------

bool WindowSystem::connect() {
    if (connections == 0 && !openConnection()) return false;
    ++connections;
    return true;
}

void WindowSystem::disconnect() {
    if (connections == 0) return;
    if (--connections == 0) {
        // Windows still open when the last user leaves cannot outlive the
        // connection they were made on.
        while (!windows.empty()) destroyWindow(windows.back());
        closeConnection();
    }
}

NativeWindow* WindowSystem::createChildWindow(uintptr_t parent, int32_t width, int32_t height, const char* title,
                                              const char* className) {
    if (connections == 0 || width <= 0 || height <= 0) return nullptr;
    NativeWindow* window = makeChildWindow(parent, width, height, title ? title : "", className ? className : "");
    if (window) windows.push_back(window);
    return window;
}

void WindowSystem::destroyWindow(NativeWindow* window) {
    auto it = std::find(windows.begin(), windows.end(), window);
    if (it == windows.end()) return;
    windows.erase(it);
    disposeWindow(window);
}

void WindowSystem::fetchEvents() {
    if (connections > 0) readEvents();
}

bool WindowSystem::dispatchOnePaint() {
    fetchEvents();
    for (NativeWindow* window : windows) {
        WindowEvent event;
        if (!window->takeExpose(event)) continue;
        if (WindowEventHandler* handler = window->getEventHandler()) handler->handleWindowEvent(window, event);
        return true;
    }
    return false;
}

NativeWindow* WindowSystem::findWindow(uintptr_t nativeId) const {
    for (NativeWindow* window : windows)
        if (window->nativeId() == nativeId) return window;
    return nullptr;
}

WindowSystem& windowSystem() { return installedSystem ? *installedSystem : platformWindowSystem(); }

void setWindowSystem(WindowSystem* system) { installedSystem = system; }

}  // namespace toolkit::platform
