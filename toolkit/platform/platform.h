// What the toolkit needs from the platform, in the toolkit's own types.
//
// Only the files under toolkit/platform/ know how these are provided. The
// drawing half is the same on every platform: software raster surfaces,
// fonts and text, and the library's embedded bitmap resources. The window
// half is implemented once per window system (and once without a display,
// for tests). No window-system header is included here or in any header that
// includes this one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "toolkit/basic_types.h"
#include "toolkit/platform/bmp_decoder.h"
#include "toolkit/platform/fonts.h"
#include "toolkit/platform/raster_surface.h"

namespace toolkit::platform {

// ===========================================================================
// Drawing half
// ===========================================================================
//
// Raster surfaces (raster_surface.h): every drawing context draws on a
// RasterSurface; offscreen buffers and bitmaps own theirs, a window context
// draws on the client-side image that the window half keeps.
//
// Fonts and text (fonts.h): findFont, fontTableRequest, drawTextInArea.
//
// BMP files (bmp_decoder.h): decodeBmp.

// The bytes of one embedded resource; data is null when there is none.
struct ResourceBytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// The resource table of the plug-in library: the BMP file embedded under a
// numeric id, looked up in the library `module` (the process-wide module
// handle). Answers an empty ResourceBytes for an id that is not in the table.
// Implemented by the resources library.
ResourceBytes findBitmapResource(void* module, int32_t resourceId);

// ===========================================================================
// Window half
// ===========================================================================
//
// One window system per process (windowSystem()): the platform's own, or a
// stand-in that tests install. Frames share one connection to it, opened by
// the first frame that needs a window and closed by the last. Each frame owns
// one child window inside the window that the host gave, sees its events as
// WindowEvents in the window's coordinates, and draws into the window's
// client-side image, whose changed part is pushed to the screen when a
// drawing context gives the image back.
//
// Everything here runs on the host's user-interface thread.

// The button-and-modifier mask of the toolkit's mouse operations. The left
// and right bits stand for the logical primary and secondary buttons: when
// the user has swapped the mouse buttons, the physical right button reports
// kLButton. A backend whose window system reports physical buttons applies
// the swap itself (an X server already reports logical buttons).
enum ButtonMask : int32_t {
    kLButton = 1,
    kMButton = 2,
    kRButton = 4,
    kShift = 8,
    kControl = 16,
    kAlt = 32,
};

// Cursor shapes of the frame's setCursor; any other number is the window's
// default cursor.
enum CursorShape : int32_t {
    kCursorDefault = 0,
    kCursorWait = 1,
    kCursorHSize = 2,     // west-east sizing
    kCursorVSize = 3,     // north-south sizing
    kCursorSizeAll = 4,   // four-way sizing
    kCursorNESWSize = 5,  // north-east / south-west sizing
    kCursorNWSESize = 6,  // north-west / south-east sizing
    kCursorNotAllowed = 8,
    kCursorHand = 9,
};

// What happened to a window, in the window's own coordinates.
struct WindowEvent {
    enum Kind : int32_t {
        expose,       // `area` must be repainted; pending exposes merge into one
        buttonPress,  // a mouse button went down at `where`
        wheel,        // one wheel notch at `where`
        destroyed,    // the window is gone (its parent was destroyed)
    };
    Kind kind = expose;
    CArea area;
    CSpot where;
    // buttonPress: the mask of this very press: its own button plus the
    // buttons and modifiers already held. It does not depend on when the
    // press is handled, so a quick click handled later keeps its button.
    int32_t buttons = 0;
    // wheel: +1 for a notch away from the user, -1 towards.
    float distance = 0.0f;
};

class NativeWindow;

// Receives the events of one window; the frame is one. A window without a
// handler drops its events.
class WindowEventHandler {
public:
    virtual void handleWindowEvent(NativeWindow* window, const WindowEvent& event) = 0;

protected:
    ~WindowEventHandler() = default;
};

// The pointer as the window system reports it now.
struct PointerState {
    CSpot screen;         // position in screen coordinates
    int32_t buttons = 0;  // ButtonMask of the buttons and modifiers held
};

// A native window as the toolkit sees it. The drawing contexts use the three
// operations declared first; the window backend (and its headless
// counterpart) implement them and the window operations after them. The
// event queue is shared by every backend.
class NativeWindow {
public:
    NativeWindow() = default;
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;
    virtual ~NativeWindow() = default;

    // The client-side image of the window's pixels, for a drawing context
    // that was given the window but no surface. Stays valid until
    // releaseSurface; null when the window cannot be drawn on.
    virtual RasterSurface* acquireSurface() = 0;
    // The context is done with the surface; `changed` (surface pixels) is the
    // part that was drawn and must reach the screen (may be empty).
    virtual void releaseSurface(RasterSurface* surface, const CArea& changed) = 0;
    // The window's top-left corner in screen coordinates.
    virtual CSpot getScreenOrigin() = 0;

    // The window system's own id of the window.
    virtual uintptr_t nativeId() const = 0;
    // False once the window has been destroyed from outside; from then on
    // every operation on it does nothing.
    virtual bool isAlive() const = 0;
    // New width and height, position kept; the image follows (its pixels are
    // lost: the next drawing fills it).
    virtual void resize(int32_t width, int32_t height) = 0;
    // A CursorShape; other numbers give the window's default cursor back.
    virtual void setCursor(int32_t shape) = 0;
    // The window's area and those of its ancestors, each in the coordinates
    // of its own parent: [0] is this window, the last one a top-level window
    // (a child of the screen). Empty when they cannot be read.
    virtual std::vector<CArea> getAncestry() = 0;

    // --- Events --------------------------------------------------------------
    void setEventHandler(WindowEventHandler* handler) { eventHandler = handler; }
    WindowEventHandler* getEventHandler() const { return eventHandler; }
    // Adds an event to the window's queue; an expose merges into an expose
    // that is still pending (the result covers both areas).
    void queueEvent(const WindowEvent& event);
    // Takes the oldest queued event. Without `inputToo`, button and wheel
    // events are passed over and stay queued in their order.
    bool takeEvent(WindowEvent& event, bool inputToo);
    // Takes the pending expose, if any.
    bool takeExpose(WindowEvent& event);
    size_t queuedEvents() const { return queue.size(); }

private:
    std::deque<WindowEvent> queue;
    WindowEventHandler* eventHandler = nullptr;
};

// The window system: the process-wide connection, child windows, events,
// the pointer and the clock.
class WindowSystem {
public:
    WindowSystem() = default;
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;
    virtual ~WindowSystem() = default;

    // The connection is counted: the first connect opens it and answers false
    // (counting nothing) when the window system cannot be reached; every
    // successful connect needs one disconnect, and the last one closes it.
    bool connect();
    void disconnect();
    int32_t connectionCount() const { return connections; }

    // A visible child window at (0, 0) of `width` x `height` inside the
    // window `parent` (the window system's id that the host gave). `title`
    // names the window, `className` is its class. Null when there is no
    // connection or the window cannot be made (a bad or destroyed parent).
    NativeWindow* createChildWindow(uintptr_t parent, int32_t width, int32_t height, const char* title,
                                    const char* className);
    // Destroys the window (unless it is already gone) and frees it.
    void destroyWindow(NativeWindow* window);
    size_t windowCount() const { return windows.size(); }

    // Moves every event the window system holds for our windows onto their
    // queues, without waiting.
    void fetchEvents();
    // Fetches, then hands one pending expose of any of our windows (the
    // oldest window first) to its handler. True when one was handled.
    bool dispatchOnePaint();

    // The pointer now; false when it cannot be read (no connection).
    virtual bool readPointer(PointerState& state) = 0;
    // Milliseconds of a monotonic clock; wraps after about 49.7 days.
    virtual uint32_t ticks() = 0;
    virtual void sleep(uint32_t milliseconds) = 0;

protected:
    virtual bool openConnection() = 0;
    virtual void closeConnection() = 0;
    virtual NativeWindow* makeChildWindow(uintptr_t parent, int32_t width, int32_t height, const char* title,
                                          const char* className) = 0;
    virtual void disposeWindow(NativeWindow* window) = 0;
    // Reads what the connection holds and queues it on the windows
    // (findWindow); events of other windows are dropped.
    virtual void readEvents() = 0;

    NativeWindow* findWindow(uintptr_t nativeId) const;
    const std::vector<NativeWindow*>& openWindows() const { return windows; }

private:
    int32_t connections = 0;
    std::vector<NativeWindow*> windows;  // in creation order
};

// The window system in use: the platform's own unless a test installed one.
WindowSystem& windowSystem();
// Installs a window system (null: the platform's own again). Only while no
// connection is open.
void setWindowSystem(WindowSystem* system);
// The platform's own window system; each window backend defines it.
WindowSystem& platformWindowSystem();

}  // namespace toolkit::platform
