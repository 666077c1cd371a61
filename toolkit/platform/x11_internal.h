// The X11 window backend, private to toolkit/platform/x11_*.cpp: the only
// place that sees xcb. Errors come back per request on our own connection,
// so nothing here can reach or end the host.
#pragma once

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <vector>

#include "toolkit/platform/platform.h"
#include "toolkit/platform/x11_testing.h"

namespace toolkit::platform::x11 {

class X11WindowSystem final : public WindowSystem {
public:
    X11WindowSystem() = default;
    ~X11WindowSystem() override;

    bool readPointer(PointerState& state) override;
    uint32_t ticks() override;
    void sleep(uint32_t milliseconds) override;

    xcb_connection_t* connection() const { return link; }
    xcb_screen_t* screenOf(xcb_window_t root) const;
    bool sharedMemoryUsable() const { return sharedMemory && allowSharedMemory; }
    // The largest request the connection takes, in bytes.
    uint32_t requestLimit() const;
    bool serverIsLsbFirst() const { return lsbFirst; }
    // Bits per pixel of images of that depth; 0 when the server has none.
    uint8_t bitsPerPixel(uint8_t depth) const;
    // The cursor of a shape, made on first use; XCB_NONE for the default.
    xcb_cursor_t cursorFor(int32_t shape);
    // Waits until the server has handled every request sent so far.
    void roundTrip();

    Statistics statistics;
    bool allowSharedMemory = true;
    uint32_t requestLimitOverride = 0;

protected:
    bool openConnection() override;
    void closeConnection() override;
    NativeWindow* makeChildWindow(uintptr_t parent, int32_t width, int32_t height, const char* title,
                                  const char* className) override;
    void disposeWindow(NativeWindow* window) override;
    void readEvents() override;

private:
    void queueEvent(const xcb_generic_event_t* event);

    xcb_connection_t* link = nullptr;
    xcb_window_t defaultRoot = XCB_NONE;
    bool sharedMemory = false;
    bool lsbFirst = true;
    bool brokenReported = false;
    uint32_t maximumRequestBytes = 0;
    xcb_font_t cursorFont = XCB_NONE;
    std::array<xcb_cursor_t, 10> cursors{};
};

class X11Window final : public NativeWindow {
public:
    // A mapped child window of `parent`; null when the parent is not a
    // window we can draw into.
    static X11Window* create(X11WindowSystem& system, xcb_window_t parent, int32_t width, int32_t height,
                             const char* title, const char* className);
    // Destroys the window unless it is already gone, and frees everything the
    // window holds on the server.
    ~X11Window() override;

    RasterSurface* acquireSurface() override;
    void releaseSurface(RasterSurface* surface, const CArea& changed) override;
    CSpot getScreenOrigin() override;
    uintptr_t nativeId() const override { return id; }
    bool isAlive() const override { return alive; }
    void resize(int32_t width, int32_t height) override;
    void setCursor(int32_t shape) override;
    std::vector<CArea> getAncestry() override;

    // The server reported the window destroyed.
    void markDestroyed() { alive = false; }
    bool usesSharedMemory() const { return sharedAddress != nullptr; }

private:
    X11Window(X11WindowSystem& system, xcb_window_t id, xcb_window_t root, uint8_t depth, xcb_colormap_t colormap);
    void makeImage(int32_t width, int32_t height);
    void freeImage();
    void push(const CArea& area);
    void pushThroughSocket(const CArea& area);

    X11WindowSystem& system;
    xcb_window_t id;
    xcb_window_t root;
    uint8_t depth;
    xcb_colormap_t colormap;  // our own, when the parent's visual did not suit
    xcb_gcontext_t gc = XCB_NONE;
    bool alive = true;
    RasterSurface image;
    int sharedId = -1;
    void* sharedAddress = nullptr;
    xcb_shm_seg_t sharedSegment = XCB_NONE;
    std::vector<uint32_t> strip;
};

}  // namespace toolkit::platform::x11
