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
// A native window as the toolkit sees it. The drawing contexts use the three
// operations declared first; the window backend (and its headless
// counterpart) implement them.
class NativeWindow {
public:
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

    // -----------------------------------------------------------------------
    // The window operations of the frame (child window, destroy, geometry,
    // events, pointer and button state, cursor, ticks, drop target) are added
    // here by the window backend.
    // -----------------------------------------------------------------------
};

}  // namespace toolkit::platform
