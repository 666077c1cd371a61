// The X11 window system: one xcb connection per process, the pointer, the
// cursors, the clock, and the translation of X events into window events.
#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "toolkit/platform/x11_internal.h"

namespace toolkit::platform {

WindowSystem& platformWindowSystem() {
    static x11::X11WindowSystem system;
    return system;
}

}  // namespace toolkit::platform

namespace toolkit::platform::x11 {

namespace {

X11WindowSystem& theSystem() { return static_cast<X11WindowSystem&>(platformWindowSystem()); }

// Modifier and button bits of an X event's state and of a pointer query.
constexpr uint16_t kStateShift = 1;
constexpr uint16_t kStateControl = 4;
constexpr uint16_t kStateAlt = 8;  // mod1
constexpr uint16_t kStateButton1 = 256;
constexpr uint16_t kStateButton2 = 512;
constexpr uint16_t kStateButton3 = 1024;

// The toolkit's mask for an X state. The server reports logical buttons (its
// pointer mapping, which is where a user swaps the buttons, is already
// applied), so button 1 is the primary button.
int32_t maskOfState(uint16_t state) {
    int32_t mask = 0;
    if (state & kStateButton1) mask |= kLButton;
    if (state & kStateButton2) mask |= kMButton;
    if (state & kStateButton3) mask |= kRButton;
    if (state & kStateShift) mask |= kShift;
    if (state & kStateControl) mask |= kControl;
    if (state & kStateAlt) mask |= kAlt;
    return mask;
}

int32_t maskOfButton(uint8_t button) {
    switch (button) {
        case 1: return kLButton;
        case 2: return kMButton;
        case 3: return kRButton;
        default: return 0;
    }
}

// Glyphs of the core cursor font for each cursor shape.
int cursorGlyph(int32_t shape) {
    switch (shape) {
        case kCursorWait: return 150;      // watch
        case kCursorHSize: return 108;     // sb_h_double_arrow
        case kCursorVSize: return 116;     // sb_v_double_arrow
        case kCursorSizeAll: return 52;    // fleur
        case kCursorNESWSize: return 136;  // top_right_corner
        case kCursorNWSESize: return 134;  // top_left_corner
        case kCursorNotAllowed: return 0;  // X_cursor
        case kCursorHand: return 60;       // hand2
        default: return -1;
    }
}

}  // namespace

X11WindowSystem::~X11WindowSystem() {
    // A host that unloads the library with an editor still open: the
    // connection goes with the library.
    while (!openWindows().empty()) destroyWindow(openWindows().back());
    if (link) closeConnection();
}

bool X11WindowSystem::openConnection() {
    int screenNumber = 0;
    xcb_connection_t* candidate = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(candidate)) {
        xcb_disconnect(candidate);
        return false;
    }
    link = candidate;
    brokenReported = false;
    const xcb_setup_t* setup = xcb_get_setup(link);
    lsbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    defaultRoot = screens.data ? screens.data->root : XCB_NONE;
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem > 0) defaultRoot = screens.data->root;
    maximumRequestBytes = xcb_get_maximum_request_length(link) * 4u;

    sharedMemory = false;
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(link, &xcb_shm_id);
    if (shm && shm->present) {
        xcb_shm_query_version_reply_t* version =
            xcb_shm_query_version_reply(link, xcb_shm_query_version(link), nullptr);
        sharedMemory = version != nullptr;
        std::free(version);
    }
    return true;
}

void X11WindowSystem::closeConnection() {
    if (!link) return;
    for (xcb_cursor_t& cursor : cursors) {
        if (cursor != XCB_NONE) xcb_free_cursor(link, cursor);
        cursor = XCB_NONE;
    }
    if (cursorFont != XCB_NONE) xcb_close_font(link, cursorFont);
    cursorFont = XCB_NONE;
    xcb_disconnect(link);
    link = nullptr;
    defaultRoot = XCB_NONE;
}

xcb_screen_t* X11WindowSystem::screenOf(xcb_window_t root) const {
    if (!link) return nullptr;
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(link)); it.rem > 0; xcb_screen_next(&it))
        if (it.data->root == root) return it.data;
    return nullptr;
}

uint32_t X11WindowSystem::requestLimit() const {
    if (requestLimitOverride != 0 && requestLimitOverride < maximumRequestBytes) return requestLimitOverride;
    return maximumRequestBytes;
}

uint8_t X11WindowSystem::bitsPerPixel(uint8_t depth) const {
    if (!link) return 0;
    const xcb_setup_t* setup = xcb_get_setup(link);
    for (xcb_format_iterator_t it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it))
        if (it.data->depth == depth) return it.data->bits_per_pixel;
    return 0;
}

xcb_cursor_t X11WindowSystem::cursorFor(int32_t shape) {
    const int glyph = cursorGlyph(shape);
    if (!link || glyph < 0 || shape < 0 || shape >= static_cast<int32_t>(cursors.size())) return XCB_NONE;
    xcb_cursor_t& cursor = cursors[static_cast<size_t>(shape)];
    if (cursor != XCB_NONE) return cursor;
    if (cursorFont == XCB_NONE) {
        cursorFont = xcb_generate_id(link);
        static const char name[] = "cursor";
        xcb_open_font(link, cursorFont, sizeof name - 1, name);
    }
    cursor = xcb_generate_id(link);
    const auto index = static_cast<uint16_t>(glyph);
    xcb_create_glyph_cursor(link, cursor, cursorFont, cursorFont, index, static_cast<uint16_t>(index + 1), 0, 0, 0,
                            0xFFFF, 0xFFFF, 0xFFFF);
    return cursor;
}

void X11WindowSystem::roundTrip() {
    if (!link) return;
    std::free(xcb_get_input_focus_reply(link, xcb_get_input_focus(link), nullptr));
}

bool X11WindowSystem::readPointer(PointerState& state) {
    if (!link || defaultRoot == XCB_NONE) return false;
    xcb_generic_error_t* error = nullptr;
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(link, xcb_query_pointer(link, defaultRoot), &error);
    std::free(error);
    if (!reply) return false;
    state.screen = CSpot(reply->root_x, reply->root_y);
    state.buttons = maskOfState(reply->mask);
    std::free(reply);
    return true;
}

uint32_t X11WindowSystem::ticks() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t milliseconds = uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(milliseconds);
}

void X11WindowSystem::sleep(uint32_t milliseconds) {
    timespec wait{static_cast<time_t>(milliseconds / 1000u), static_cast<long>(milliseconds % 1000u) * 1000000L};
    timespec rest{};
    while (nanosleep(&wait, &rest) != 0 && errno == EINTR) wait = rest;
}

NativeWindow* X11WindowSystem::makeChildWindow(uintptr_t parent, int32_t width, int32_t height, const char* title,
                                               const char* className) {
    // Window ids are 29-bit numbers; anything else cannot name a window.
    if (!link || parent == 0 || parent > 0x1FFFFFFFu) return nullptr;
    return X11Window::create(*this, static_cast<xcb_window_t>(parent), width, height, title, className);
}

void X11WindowSystem::disposeWindow(NativeWindow* window) { delete static_cast<X11Window*>(window); }

void X11WindowSystem::readEvents() {
    if (!link) return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(link)) {
        queueEvent(event);
        std::free(event);
    }
    // A lost connection (the server went away) takes every window with it.
    if (xcb_connection_has_error(link) && !brokenReported) {
        brokenReported = true;
        for (NativeWindow* window : openWindows()) {
            static_cast<X11Window*>(window)->markDestroyed();
            WindowEvent gone;
            gone.kind = WindowEvent::destroyed;
            window->queueEvent(gone);
        }
    }
}

void X11WindowSystem::queueEvent(const xcb_generic_event_t* event) {
    switch (event->response_type & ~0x80) {
        case 0: ++statistics.errors; break;
        case XCB_EXPOSE: {
            const auto* expose = reinterpret_cast<const xcb_expose_event_t*>(event);
            if (NativeWindow* window = findWindow(expose->window)) {
                WindowEvent paint;
                paint.kind = WindowEvent::expose;
                paint.area = CArea(expose->x, expose->y, expose->x + expose->width, expose->y + expose->height);
                window->queueEvent(paint);
            }
            break;
        }
        case XCB_BUTTON_PRESS: {
            const auto* press = reinterpret_cast<const xcb_button_press_event_t*>(event);
            NativeWindow* window = findWindow(press->event);
            if (!window) break;
            WindowEvent input;
            input.where = CSpot(press->event_x, press->event_y);
            if (press->detail == 4 || press->detail == 5) {
                input.kind = WindowEvent::wheel;
                input.distance = press->detail == 4 ? 1.0f : -1.0f;
            } else if (const int32_t button = maskOfButton(press->detail); button != 0) {
                input.kind = WindowEvent::buttonPress;
                input.buttons = button | maskOfState(press->state);
            } else {
                break;  // horizontal wheel and extra buttons have no use here
            }
            window->queueEvent(input);
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto* destroy = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
            if (NativeWindow* window = findWindow(destroy->window)) {
                static_cast<X11Window*>(window)->markDestroyed();
                WindowEvent gone;
                gone.kind = WindowEvent::destroyed;
                window->queueEvent(gone);
            }
            break;
        }
        default: break;
    }
}

// --- test hooks --------------------------------------------------------------

bool connectionIsOpen() { return theSystem().connection() != nullptr; }
Statistics statistics() { return theSystem().statistics; }
void resetStatistics() { theSystem().statistics = Statistics{}; }
void allowSharedMemory(bool allowed) { theSystem().allowSharedMemory = allowed; }
void limitRequestSize(uint32_t bytes) { theSystem().requestLimitOverride = bytes; }

bool usesSharedMemory(NativeWindow* window) {
    auto* x11Window = dynamic_cast<X11Window*>(window);
    return x11Window && x11Window->usesSharedMemory();
}

}  // namespace toolkit::platform::x11
