// Helpers shared by the toolkit tests: reading regions of a raster surface and
// describing a pixel in failure messages.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "toolkit/basic_types.h"
#include "toolkit/platform/raster_surface.h"

namespace toolkit_test {

using toolkit::CArea;
using toolkit::platform::RasterSurface;

inline std::string hex(uint32_t pixel) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", unsigned(pixel));
    return text;
}

// The first pixel inside `area` that is not `colour`, as a message; empty when
// every pixel there has that colour.
inline std::string firstMismatch(const RasterSurface& surface, const CArea& area, uint32_t colour) {
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x)
            if (surface.pixel(x, y) != colour)
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + hex(surface.pixel(x, y)) +
                       ", expected " + hex(colour);
    return {};
}

// Number of pixels in `area` that have `colour`.
inline int countColour(const RasterSurface& surface, const CArea& area, uint32_t colour) {
    int count = 0;
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x) count += surface.pixel(x, y) == colour ? 1 : 0;
    return count;
}

// The bounding box of every pixel that differs from `colour` (empty if none).
inline CArea boundsOfOther(const RasterSurface& surface, uint32_t colour) {
    CArea box(surface.width(), surface.height(), 0, 0);
    bool any = false;
    for (int32_t y = 0; y < surface.height(); ++y)
        for (int32_t x = 0; x < surface.width(); ++x)
            if (surface.pixel(x, y) != colour) {
                any = true;
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return any ? box : CArea();
}

inline std::string describe(const CArea& a) {
    return "(" + std::to_string(a.left) + ", " + std::to_string(a.top) + ", " + std::to_string(a.right) + ", " +
           std::to_string(a.bottom) + ")";
}

}  // namespace toolkit_test
