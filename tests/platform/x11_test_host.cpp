// The X server and the host side of the X11 tests.
#include "tests/platform/x11_test_host.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>

namespace x11test {

namespace {

pid_t serverPid = -1;

void stopServer() {
    if (serverPid <= 0) return;
    kill(serverPid, SIGTERM);
    waitpid(serverPid, nullptr, 0);
    serverPid = -1;
}

// Starts a private Xvfb on a display number of its own choosing (it writes
// the number to a pipe once it takes connections).
bool startServer() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
        }
        const std::string fd = std::to_string(fds[1]);
        execl(CORVANE_XVFB, "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0",
              "1280x800x24", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return false;
    }
    serverPid = pid;
    std::atexit(stopServer);

    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (number.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd wait{fds[0], POLLIN, 0};
        if (poll(&wait, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[16];
        const ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got <= 0) break;
        number.append(buffer, static_cast<size_t>(got));
    }
    close(fds[0]);
    while (!number.empty() && (number.back() == '\n' || number.back() == '\r')) number.pop_back();
    if (number.empty()) {
        stopServer();
        return false;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
}

template <typename Reply>
struct Freed {
    Reply* reply;
    ~Freed() { std::free(reply); }
    Reply* operator->() const { return reply; }
    explicit operator bool() const { return reply != nullptr; }
};

}  // namespace

bool ensureDisplay() {
    static const bool ready = [] {
        const char* display = std::getenv("DISPLAY");
        if (display && *display) return true;
        return startServer();
    }();
    return ready;
}

TestHost::TestHost() {
    if (!ensureDisplay()) return;
    int screenNumber = 0;
    link = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(link)) {
        xcb_disconnect(link);
        link = nullptr;
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(link));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&it);
    screen = it.data;
}

TestHost::~TestHost() {
    if (!link) return;
    restoreButtonMap();
    xcb_disconnect(link);
}

xcb_window_t TestHost::makeWindow(int16_t x, int16_t y, uint16_t width, uint16_t height) {
    const xcb_window_t window = xcb_generate_id(link);
    const uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(link, XCB_COPY_FROM_PARENT, window, screen->root, x, y, width, height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                      values);
    xcb_map_window(link, window);
    sync();
    return window;
}

xcb_window_t TestHost::makeAlphaWindow(int16_t x, int16_t y, uint16_t width, uint16_t height) {
    xcb_visualid_t visual = 0;
    for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(screen); d.rem > 0 && !visual;
         xcb_depth_next(&d)) {
        if (d.data->depth != 32) continue;
        for (xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v))
            if (v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR) {
                visual = v.data->visual_id;
                break;
            }
    }
    if (!visual) return XCB_NONE;
    const xcb_colormap_t colormap = xcb_generate_id(link);
    xcb_create_colormap(link, XCB_COLORMAP_ALLOC_NONE, colormap, screen->root, visual);
    const xcb_window_t window = xcb_generate_id(link);
    const uint32_t values[] = {0xFFFFFFFFu, 0, XCB_EVENT_MASK_STRUCTURE_NOTIFY, colormap};
    xcb_create_window(link, 32, window, screen->root, x, y, width, height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP, values);
    xcb_map_window(link, window);
    sync();
    return window;
}

void TestHost::destroyWindow(xcb_window_t window) {
    xcb_destroy_window(link, window);
    sync();
}

void TestHost::sync() { std::free(xcb_get_input_focus_reply(link, xcb_get_input_focus(link), nullptr)); }

void TestHost::movePointer(int16_t x, int16_t y) {
    xcb_test_fake_input(link, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen->root, x, y, 0);
    sync();
}

void TestHost::pressButton(uint8_t button) {
    xcb_test_fake_input(link, XCB_BUTTON_PRESS, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    sync();
}

void TestHost::releaseButton(uint8_t button) {
    xcb_test_fake_input(link, XCB_BUTTON_RELEASE, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    sync();
}

bool TestHost::setButtonMap(const std::vector<uint8_t>& prefix) {
    Freed<xcb_get_pointer_mapping_reply_t> current{
        xcb_get_pointer_mapping_reply(link, xcb_get_pointer_mapping(link), nullptr)};
    if (!current) return false;
    const uint8_t* map = xcb_get_pointer_mapping_map(current.reply);
    std::vector<uint8_t> wanted(map, map + current->map_len);
    if (savedMap.empty()) savedMap = wanted;
    for (size_t i = 0; i < prefix.size() && i < wanted.size(); ++i) wanted[i] = prefix[i];
    Freed<xcb_set_pointer_mapping_reply_t> set{xcb_set_pointer_mapping_reply(
        link, xcb_set_pointer_mapping(link, static_cast<uint8_t>(wanted.size()), wanted.data()), nullptr)};
    return set && set->status == XCB_MAPPING_STATUS_SUCCESS;
}

void TestHost::restoreButtonMap() {
    if (savedMap.empty()) return;
    std::free(xcb_set_pointer_mapping_reply(
        link, xcb_set_pointer_mapping(link, static_cast<uint8_t>(savedMap.size()), savedMap.data()), nullptr));
    savedMap.clear();
}

std::vector<xcb_window_t> TestHost::children(xcb_window_t window) {
    Freed<xcb_query_tree_reply_t> tree{xcb_query_tree_reply(link, xcb_query_tree(link, window), nullptr)};
    if (!tree) return {};
    const xcb_window_t* first = xcb_query_tree_children(tree.reply);
    return std::vector<xcb_window_t>(first, first + xcb_query_tree_children_length(tree.reply));
}

size_t TestHost::countWindows() {
    std::function<size_t(xcb_window_t)> below = [&](xcb_window_t window) {
        size_t count = 0;
        for (xcb_window_t child : children(window)) count += 1 + below(child);
        return count;
    };
    return below(screen->root);
}

bool TestHost::geometry(xcb_window_t window, Geometry& out) {
    Freed<xcb_get_geometry_reply_t> reply{xcb_get_geometry_reply(link, xcb_get_geometry(link, window), nullptr)};
    if (!reply) return false;
    out = Geometry{reply->x, reply->y, reply->width, reply->height};
    return true;
}

std::string TestHost::textProperty(xcb_window_t window, xcb_atom_t property) {
    Freed<xcb_get_property_reply_t> reply{xcb_get_property_reply(
        link, xcb_get_property(link, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr)};
    if (!reply) return {};
    const char* text = static_cast<const char*>(xcb_get_property_value(reply.reply));
    return std::string(text, static_cast<size_t>(xcb_get_property_value_length(reply.reply)));
}

bool TestHost::pixel(xcb_window_t window, int16_t x, int16_t y, uint32_t& value) {
    Freed<xcb_get_image_reply_t> image{
        xcb_get_image_reply(link, xcb_get_image(link, XCB_IMAGE_FORMAT_Z_PIXMAP, window, x, y, 1, 1, ~0u), nullptr)};
    if (!image || xcb_get_image_data_length(image.reply) < 4) return false;
    const uint8_t* data = xcb_get_image_data(image.reply);
    value = (uint32_t(data[2]) << 16) | (uint32_t(data[1]) << 8) | uint32_t(data[0]);
    return true;
}

uint32_t TestHost::drainErrors() {
    uint32_t errors = 0;
    while (xcb_generic_event_t* event = xcb_poll_for_event(link)) {
        if (event->response_type == 0) ++errors;
        std::free(event);
    }
    return errors;
}

size_t countSharedMemorySegments() {
    std::ifstream table("/proc/sysvipc/shm");
    std::string line;
    size_t lines = 0;
    while (std::getline(table, line)) ++lines;
    return lines > 0 ? lines - 1 : 0;  // the first line names the columns
}

}  // namespace x11test
