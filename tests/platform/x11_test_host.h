// What the X11 tests share: an X server (the one DISPLAY names, or a private
// Xvfb started for the test process and stopped at its end), and a "host":
// a connection of its own with a top-level window to put an editor in, real
// pointer input through the server's test extension, and readers of the
// server's state.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <string>
#include <vector>

namespace x11test {

// Makes sure that DISPLAY names a running server; false when none can be had.
bool ensureDisplay();

class TestHost {
public:
    TestHost();
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    bool ok() const { return link != nullptr; }
    xcb_connection_t* connection() const { return link; }
    xcb_window_t root() const { return screen->root; }

    // A mapped top-level window at (x, y), as a host's editor window.
    xcb_window_t makeWindow(int16_t x, int16_t y, uint16_t width, uint16_t height);
    // The same with a 32-bit (alpha) visual, as a compositing host may use;
    // XCB_NONE when the server has none.
    xcb_window_t makeAlphaWindow(int16_t x, int16_t y, uint16_t width, uint16_t height);
    void destroyWindow(xcb_window_t window);
    // Waits until the server has handled every request of this connection.
    void sync();

    // Real pointer input, as from a mouse.
    void movePointer(int16_t x, int16_t y);
    void pressButton(uint8_t button);
    void releaseButton(uint8_t button);
    // Physical to logical button map, e.g. {3, 2, 1} swaps left and right.
    bool setButtonMap(const std::vector<uint8_t>& map);
    void restoreButtonMap();

    // The children of a window, and every window below the root.
    std::vector<xcb_window_t> children(xcb_window_t window);
    size_t countWindows();
    struct Geometry {
        int16_t x, y;
        uint16_t width, height;
    };
    bool geometry(xcb_window_t window, Geometry& out);
    std::string textProperty(xcb_window_t window, xcb_atom_t property);
    // The pixel at (x, y) of a window as 0x00RRGGBB; false when it cannot be read.
    bool pixel(xcb_window_t window, int16_t x, int16_t y, uint32_t& value);
    // Errors the server sent to this connection so far (events are dropped).
    uint32_t drainErrors();

private:
    xcb_connection_t* link = nullptr;
    xcb_screen_t* screen = nullptr;
    std::vector<uint8_t> savedMap;
};

// The shared-memory segments of the system (from /proc/sysvipc/shm).
size_t countSharedMemorySegments();

}  // namespace x11test
