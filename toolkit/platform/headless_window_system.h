// A window system without a display, for tests of the frame and the editor.
//
// It records what the toolkit asks of it (connections, windows made and
// destroyed, pixels pushed, resizes, cursors, sleeps) and lets a test play
// the window system's part: post events to a window (they reach the window's
// queue when the toolkit next fetches events, as from a real connection),
// destroy a window from outside, set the pointer and move the clock. Its
// windows keep a client-side image like real ones, and a screen image that
// only the pushed areas reach, so a test sees what would be on the screen.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "toolkit/platform/platform.h"

namespace toolkit::platform {

class HeadlessWindow : public NativeWindow {
public:
    HeadlessWindow(uintptr_t id, uintptr_t parent, int32_t width, int32_t height);

    RasterSurface* acquireSurface() override;
    void releaseSurface(RasterSurface* surface, const CArea& changed) override;
    CSpot getScreenOrigin() override { return screenOrigin; }
    uintptr_t nativeId() const override { return id; }
    bool isAlive() const override { return alive; }
    void resize(int32_t width, int32_t height) override;
    void setCursor(int32_t shape) override { cursors.push_back(shape); }
    std::vector<CArea> getAncestry() override;

    // Set by the test.
    CSpot screenOrigin;
    // The ancestors above the window, each in its parent's coordinates, from
    // the parent up to the top-level window; getAncestry answers the window's
    // own area followed by these.
    std::vector<CArea> ancestors;

    // Recorded.
    uintptr_t id;
    uintptr_t parent;
    bool alive = true;
    int32_t surfacesAcquired = 0;
    int32_t surfacesReleased = 0;
    std::vector<CArea> pushed;     // every non-empty changed area, in order
    std::vector<CSpot> resizes;    // (width, height) of each resize
    std::vector<int32_t> cursors;  // every setCursor, in order
    RasterSurface image;           // the client-side image
    RasterSurface screen;          // what the pushes have put on the screen

    int32_t width() const { return image.width(); }
    int32_t height() const { return image.height(); }
};

class HeadlessWindowSystem : public WindowSystem {
public:
    HeadlessWindowSystem() = default;
    ~HeadlessWindowSystem() override;

    // --- What the test plays ---------------------------------------------------
    bool displayAvailable = true;       // false: connect fails, as without a display
    std::set<uintptr_t> badParents{0};  // parents that refuse a child window
    bool pointerAvailable = true;
    PointerState pointer;
    uint32_t now = 1000;           // the clock; sleep() moves it on
    bool exposeNewWindows = true;  // a new window gets an expose of its whole area

    // Queues an event for the window; it reaches the window's queue at the
    // next fetch, like an event still on its way through a connection.
    void post(HeadlessWindow* window, const WindowEvent& event);
    // The host destroyed the window's parent: the window is gone and a
    // destroyed event is on its way.
    void destroyFromOutside(HeadlessWindow* window);

    // --- What was recorded ---------------------------------------------------
    int32_t connectionsOpened = 0;
    int32_t connectionsClosed = 0;
    struct ChildRequest {
        uintptr_t parent;
        int32_t width;
        int32_t height;
        std::string title;
        std::string className;
    };
    std::vector<ChildRequest> childRequests;  // every request, also refused ones
    int32_t windowsDestroyed = 0;             // destroyed by the toolkit while alive
    std::vector<uint32_t> sleeps;
    int32_t pointerReads = 0;
    HeadlessWindow* lastWindow() const;

    bool readPointer(PointerState& state) override;
    uint32_t ticks() override { return now; }
    void sleep(uint32_t milliseconds) override;

protected:
    bool openConnection() override;
    void closeConnection() override;
    NativeWindow* makeChildWindow(uintptr_t parent, int32_t width, int32_t height, const char* title,
                                  const char* className) override;
    void disposeWindow(NativeWindow* window) override;
    void readEvents() override;

private:
    struct Posted {
        uintptr_t window;
        WindowEvent event;
    };
    std::vector<Posted> inFlight;
    uintptr_t nextId = 0x400001;
};

// Installs a headless window system for the lifetime of the object.
class ScopedHeadlessWindowSystem {
public:
    ScopedHeadlessWindowSystem() { setWindowSystem(&system); }
    ~ScopedHeadlessWindowSystem() { setWindowSystem(nullptr); }
    ScopedHeadlessWindowSystem(const ScopedHeadlessWindowSystem&) = delete;
    ScopedHeadlessWindowSystem& operator=(const ScopedHeadlessWindowSystem&) = delete;
    HeadlessWindowSystem system;
};

}  // namespace toolkit::platform
