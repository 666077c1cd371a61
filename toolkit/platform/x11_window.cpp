// An X11 child window with a client-side image of its pixels. Drawing goes
// into the image; the changed part is sent with put_image, from shared memory
// when the server offers it, otherwise through the socket in strips that fit
// the server's request limit.
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "toolkit/platform/x11_internal.h"

namespace toolkit::platform::x11 {

namespace {

// The window shows this until its first paint: the usual face colour of
// buttons and dialogs.
constexpr uint32_t kBackgroundPixel = 0xD4D0C8;
// Bytes of a put_image request before its data.
constexpr uint32_t kImageRequestHeader = 24;
// How many ancestors getAncestry follows at most.
constexpr int kAncestryLimit = 64;

// A visual whose pixels are our raster pixels as they are: 24-bit true colour
// with red, green and blue in the usual bytes.
bool isPlainTrueColour(const xcb_visualtype_t& visual) {
    return visual._class == XCB_VISUAL_CLASS_TRUE_COLOR && visual.red_mask == 0xFF0000u &&
           visual.green_mask == 0x00FF00u && visual.blue_mask == 0x0000FFu;
}

const xcb_visualtype_t* findVisual(xcb_screen_t* screen, uint8_t depth, xcb_visualid_t id) {
    for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(screen); d.rem > 0; xcb_depth_next(&d)) {
        if (d.data->depth != depth) continue;
        for (xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v))
            if (v.data->visual_id == id) return v.data;
    }
    return nullptr;
}

const xcb_visualtype_t* findPlainVisual(xcb_screen_t* screen) {
    for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(screen); d.rem > 0; xcb_depth_next(&d)) {
        if (d.data->depth != 24) continue;
        for (xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v))
            if (isPlainTrueColour(*v.data)) return v.data;
    }
    return nullptr;
}

void setTextProperty(xcb_connection_t* link, xcb_window_t window, xcb_atom_t property, const std::string& text) {
    xcb_change_property(link, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(text.size()), text.data());
}

}  // namespace

X11Window* X11Window::create(X11WindowSystem& system, xcb_window_t parent, int32_t width, int32_t height,
                             const char* title, const char* className) {
    xcb_connection_t* link = system.connection();
    if (!link || width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF) return nullptr;

    // Both questions also prove that the parent is a window that exists.
    const xcb_get_geometry_cookie_t geometryCookie = xcb_get_geometry(link, parent);
    const xcb_get_window_attributes_cookie_t attributesCookie = xcb_get_window_attributes(link, parent);
    xcb_generic_error_t* error = nullptr;
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(link, geometryCookie, &error);
    std::free(error);
    error = nullptr;
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(link, attributesCookie, &error);
    std::free(error);
    const bool parentUsable = geometry && attributes && attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT;
    const xcb_window_t root = geometry ? geometry->root : XCB_NONE;
    const uint8_t parentDepth = geometry ? geometry->depth : 0;
    const xcb_visualid_t parentVisual = attributes ? attributes->visual : 0;
    std::free(geometry);
    std::free(attributes);
    if (!parentUsable) return nullptr;
    xcb_screen_t* screen = system.screenOf(root);
    if (!screen) return nullptr;

    // The child shares the parent's visual when its pixels are ours as they
    // are; otherwise it gets a plain 24-bit visual and a colormap of its own.
    uint8_t depth = parentDepth;
    xcb_visualid_t visual = XCB_COPY_FROM_PARENT;
    xcb_colormap_t colormap = XCB_NONE;
    const xcb_visualtype_t* inherited = findVisual(screen, parentDepth, parentVisual);
    if (parentDepth != 24 || !inherited || !isPlainTrueColour(*inherited)) {
        const xcb_visualtype_t* plain = findPlainVisual(screen);
        if (!plain) return nullptr;
        depth = 24;
        visual = plain->visual_id;
        colormap = xcb_generate_id(link);
        xcb_create_colormap(link, XCB_COLORMAP_ALLOC_NONE, colormap, root, visual);
    }
    if (system.bitsPerPixel(depth) != 32) {
        if (colormap != XCB_NONE) xcb_free_colormap(link, colormap);
        return nullptr;
    }

    const xcb_window_t id = xcb_generate_id(link);
    uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK;
    uint32_t values[4];
    int count = 0;
    values[count++] = kBackgroundPixel;
    if (colormap != XCB_NONE) {
        mask |= XCB_CW_BORDER_PIXEL;
        values[count++] = 0;
    }
    values[count++] = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    if (colormap != XCB_NONE) {
        mask |= XCB_CW_COLORMAP;
        values[count++] = colormap;
    }
    const uint8_t createDepth = colormap != XCB_NONE ? depth : XCB_COPY_FROM_PARENT;
    error =
        xcb_request_check(link, xcb_create_window_checked(link, createDepth, id, parent, 0, 0,
                                                          static_cast<uint16_t>(width), static_cast<uint16_t>(height),
                                                          0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual, mask, values));
    if (error) {
        // The parent went away between the questions and the request.
        std::free(error);
        if (colormap != XCB_NONE) xcb_free_colormap(link, colormap);
        return nullptr;
    }

    setTextProperty(link, id, XCB_ATOM_WM_NAME, title);
    // WM_CLASS holds the instance name and the class name, each ending in a zero.
    std::string wmClass = std::string(title) + '\0' + className + '\0';
    setTextProperty(link, id, XCB_ATOM_WM_CLASS, wmClass);

    auto* window = new X11Window(system, id, root, depth, colormap);
    window->makeImage(width, height);
    xcb_map_window(link, id);
    xcb_flush(link);
    return window;
}

X11Window::X11Window(X11WindowSystem& system_, xcb_window_t id_, xcb_window_t root_, uint8_t depth_,
                     xcb_colormap_t colormap_)
    : system(system_), id(id_), root(root_), depth(depth_), colormap(colormap_) {
    xcb_connection_t* link = system.connection();
    gc = xcb_generate_id(link);
    const uint32_t noExposures = 0;
    xcb_create_gc(link, gc, id, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
}

X11Window::~X11Window() {
    xcb_connection_t* link = system.connection();
    if (!link) return;
    if (alive) {
        // The host may have destroyed its own window (and ours with it) just
        // before closing the editor; ask before destroying, so that no error
        // comes back for a window that is no longer there.
        xcb_generic_error_t* error = nullptr;
        std::free(xcb_get_geometry_reply(link, xcb_get_geometry(link, id), &error));
        if (error) {
            std::free(error);
            alive = false;
        }
    }
    if (alive) xcb_destroy_window(link, id);
    freeImage();
    xcb_free_gc(link, gc);
    if (colormap != XCB_NONE) xcb_free_colormap(link, colormap);
    xcb_flush(link);
}

void X11Window::makeImage(int32_t width, int32_t height) {
    freeImage();
    xcb_connection_t* link = system.connection();
    const size_t bytes = size_t(width) * size_t(height) * 4u;
    if (system.sharedMemoryUsable() && system.serverIsLsbFirst()) {
        const int segmentId = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (segmentId >= 0) {
            void* address = shmat(segmentId, nullptr, 0);
            bool attached = false;
            if (address != reinterpret_cast<void*>(-1)) {
                const xcb_shm_seg_t segment = xcb_generate_id(link);
                xcb_generic_error_t* error =
                    xcb_request_check(link, xcb_shm_attach_checked(link, segment, static_cast<uint32_t>(segmentId), 1));
                if (!error) {
                    attached = true;
                    sharedId = segmentId;
                    sharedAddress = address;
                    sharedSegment = segment;
                } else {
                    std::free(error);  // a server on another machine cannot see our memory
                    shmdt(address);
                }
            }
            // Both sides hold it now (or nobody does): it goes when both let go.
            shmctl(segmentId, IPC_RMID, nullptr);
            if (attached) {
                std::memset(sharedAddress, 0, bytes);
                image = RasterSurface(static_cast<uint32_t*>(sharedAddress), width, height, width);
                return;
            }
        }
    }
    image = RasterSurface(width, height);
}

void X11Window::freeImage() {
    if (sharedAddress) {
        if (xcb_connection_t* link = system.connection()) xcb_shm_detach(link, sharedSegment);
        shmdt(sharedAddress);
        sharedAddress = nullptr;
        sharedSegment = XCB_NONE;
        sharedId = -1;
    }
    image = RasterSurface();
    strip.clear();
    strip.shrink_to_fit();
}

RasterSurface* X11Window::acquireSurface() { return alive ? &image : nullptr; }

void X11Window::releaseSurface(RasterSurface* surface, const CArea& changed) {
    if (surface == &image) push(changed);
}

void X11Window::push(const CArea& changed) {
    xcb_connection_t* link = system.connection();
    const CArea area = changed.intersection(image.bounds());
    if (!link || !alive || area.isEmpty()) return;
    if (sharedAddress) {
        xcb_shm_put_image(link, id, gc, static_cast<uint16_t>(image.width()), static_cast<uint16_t>(image.height()),
                          static_cast<uint16_t>(area.left), static_cast<uint16_t>(area.top),
                          static_cast<uint16_t>(area.width()), static_cast<uint16_t>(area.height()),
                          static_cast<int16_t>(area.left), static_cast<int16_t>(area.top), depth,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, 0, sharedSegment, 0);
        ++system.statistics.sharedImageRequests;
        // The server reads the pixels while it handles the request: wait for
        // that before anything draws into the image again.
        system.roundTrip();
        return;
    }
    pushThroughSocket(area);
    xcb_flush(link);
}

void X11Window::pushThroughSocket(const CArea& area) {
    xcb_connection_t* link = system.connection();
    const uint32_t limit = system.requestLimit();
    if (limit <= kImageRequestHeader + 4u) return;
    const auto pixelsPerRequest =
        static_cast<int32_t>(std::min<uint32_t>((limit - kImageRequestHeader) / 4u, 0x7FFFFFFFu));
    // Strips of whole rows; a row longer than a request is cut into pieces.
    const int32_t columns = std::min(area.width(), pixelsPerRequest);
    const int32_t rows = std::max(1, std::min(area.height(), pixelsPerRequest / columns));
    strip.resize(size_t(columns) * size_t(rows));
    const bool swapBytes = !system.serverIsLsbFirst();
    for (int32_t top = area.top; top < area.bottom; top += rows) {
        const int32_t stripRows = std::min(rows, area.bottom - top);
        for (int32_t left = area.left; left < area.right; left += columns) {
            const int32_t stripColumns = std::min(columns, area.right - left);
            for (int32_t y = 0; y < stripRows; ++y) {
                const uint32_t* source = image.row(top + y) + left;
                uint32_t* target = strip.data() + size_t(y) * size_t(stripColumns);
                if (swapBytes)
                    for (int32_t x = 0; x < stripColumns; ++x) target[x] = __builtin_bswap32(source[x]);
                else
                    std::memcpy(target, source, size_t(stripColumns) * 4u);
            }
            xcb_put_image(link, XCB_IMAGE_FORMAT_Z_PIXMAP, id, gc, static_cast<uint16_t>(stripColumns),
                          static_cast<uint16_t>(stripRows), static_cast<int16_t>(left), static_cast<int16_t>(top), 0,
                          depth, static_cast<uint32_t>(size_t(stripColumns) * size_t(stripRows) * 4u),
                          reinterpret_cast<const uint8_t*>(strip.data()));
            ++system.statistics.imageRequests;
        }
    }
}

CSpot X11Window::getScreenOrigin() {
    xcb_connection_t* link = system.connection();
    if (!link || !alive) return CSpot();
    xcb_generic_error_t* error = nullptr;
    xcb_translate_coordinates_reply_t* reply =
        xcb_translate_coordinates_reply(link, xcb_translate_coordinates(link, id, root, 0, 0), &error);
    std::free(error);
    if (!reply) return CSpot();
    const CSpot origin(reply->dst_x, reply->dst_y);
    std::free(reply);
    return origin;
}

void X11Window::resize(int32_t width, int32_t height) {
    xcb_connection_t* link = system.connection();
    if (!link || !alive || width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF) return;
    const uint32_t values[] = {static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
    xcb_configure_window(link, id, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    makeImage(width, height);
    xcb_flush(link);
}

void X11Window::setCursor(int32_t shape) {
    xcb_connection_t* link = system.connection();
    if (!link || !alive) return;
    const uint32_t cursor = system.cursorFor(shape);
    xcb_change_window_attributes(link, id, XCB_CW_CURSOR, &cursor);
    xcb_flush(link);
}

std::vector<CArea> X11Window::getAncestry() {
    std::vector<CArea> chain;
    xcb_connection_t* link = system.connection();
    if (!link || !alive) return chain;
    xcb_window_t current = id;
    for (int level = 0; level < kAncestryLimit; ++level) {
        const xcb_get_geometry_cookie_t geometryCookie = xcb_get_geometry(link, current);
        const xcb_query_tree_cookie_t treeCookie = xcb_query_tree(link, current);
        xcb_generic_error_t* error = nullptr;
        xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(link, geometryCookie, &error);
        std::free(error);
        error = nullptr;
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(link, treeCookie, &error);
        std::free(error);
        if (geometry)
            chain.emplace_back(geometry->x, geometry->y, geometry->x + geometry->width, geometry->y + geometry->height);
        const xcb_window_t parent = tree ? tree->parent : XCB_NONE;
        const bool more = geometry && tree && parent != XCB_NONE && parent != tree->root;
        std::free(geometry);
        std::free(tree);
        if (!more) break;
        current = parent;
    }
    return chain;
}

}  // namespace toolkit::platform::x11
