// Drawing contexts: a short-lived object over one raster surface (a window's
// image or an offscreen buffer) that keeps the drawing state, so that views can
// draw in their own coordinates.
//
// Rules a caller relies on:
// - `drawOffset` is added to every coordinate before it reaches the surface;
//   containers shift it (and `windowOrigin`) while they draw or route events
//   to a child and restore both before returning.
// - The clip area is kept in surface coordinates (offset already added).
// - Colours, font and clip are caches of what is in effect on the surface:
//   each setter compares with the cached value first and leaves the surface
//   alone when nothing changes, so every change must go through the setters.
// - A context puts the surface's state back as it found it when destroyed.
#pragma once

#include <cstdint>

#include "toolkit/basic_types.h"
#include "toolkit/platform/raster_surface.h"
#include "toolkit/reference_counter.h"

namespace toolkit {

namespace platform {
class NativeWindow;
class Font;
}  // namespace platform

class CFrame;

class CDrawContext : public CReferenceCounter {
public:
    // Any of the three may be null. Without a surface but with a window the
    // window's surface is obtained, and given back (with the changed area) at
    // destruction. The clip area starts as the frame's view size, or
    // (0, 0, 1000, 1000) without a frame; it is only stored, not applied.
    CDrawContext(platform::NativeWindow* window, CFrame* frame, platform::RasterSurface* surface);
    ~CDrawContext() override;

    // Subtracted from the pointer's screen position to give frame coordinates.
    CSpot windowOrigin;
    // Added to every coordinate before it reaches the surface.
    CSpot drawOffset;

    // --- clip --------------------------------------------------------------
    // area + drawOffset becomes the clip; applied only when it differs.
    void setClipArea(const CArea& area);
    // The clip in surface coordinates.
    CArea getClipArea() const { return clipArea; }

    // --- pen and brush -----------------------------------------------------
    void setLineColour(const CRgb& colour);
    CRgb getLineColour() const { return lineColour; }
    void setLineWidth(int32_t width);
    int32_t getLineWidth() const { return lineWidth; }
    // Also the text background colour.
    void setFillColour(const CRgb& colour);
    CRgb getFillColour() const { return fillColour; }

    // --- text ----------------------------------------------------------------
    // Always reaches the surface (no comparison).
    void setFontColour(const CRgb& colour);
    CRgb getFontColour() const { return fontColour; }
    // Ids outside 0 to 7 become 0; style bits 1 bold, 2 italic, 4 underline.
    void setFont(int32_t fontId, int32_t style = 0);
    int32_t getFont() const { return fontId; }
    int32_t getFontSize() const { return fontSize; }
    int32_t getFontStyle() const { return fontStyle; }
    // One line of text, vertically centred in the area and clipped to it.
    // Alignment 1 centres, 2 right, any other value left with the area's left
    // moved in by 1 pixel. With `opaque` the text cell is painted in the fill
    // colour. A null text draws nothing.
    void drawString(const char* text, const CArea& area, bool opaque = false, int32_t alignment = kCenterText);
    // Width of a text in the current font (0 without a font).
    int32_t getStringWidth(const char* text) const;

    // --- drawing -------------------------------------------------------------
    void moveTo(const CSpot& point);
    // The end point of a line is not drawn.
    void lineTo(const CSpot& point);
    // Fills (left + 1, top + 1) to (right, bottom), right and bottom exclusive:
    // the area's left column and top row are left untouched.
    void fillArea(const CArea& area);
    // The surface's plain rectangle fill with the current fill colour: every
    // pixel from (left, top) up to but not including (right, bottom).
    void fillRect(const CArea& area);
    // Copies a rectangle of destinationArea's size from the source context's
    // surface at sourceSpot (source surface coordinates) to destinationArea's
    // top-left plus drawOffset.
    void copyFrom(CDrawContext* source, const CArea& destinationArea, const CSpot& sourceSpot);

    // --- access ------------------------------------------------------------
    platform::RasterSurface* getSurface() const { return surface; }
    platform::NativeWindow* getWindow() const { return window; }
    CFrame* getFrame() const { return frame; }

protected:
    // Puts the context's pen, brush, font and colours into effect on a surface
    // that was attached after construction (an offscreen buffer).
    void applyStateToSurface();

    platform::RasterSurface* surface = nullptr;
    platform::NativeWindow* window = nullptr;
    CFrame* frame = nullptr;

private:
    void applyPen();

    int32_t fontSize = -1;
    int32_t fontStyle = 0;
    int32_t fontId = 8;  // no font yet
    CRgb fontColour{0, 0, 0, 0};
    int32_t lineWidth = 0;
    CRgb lineColour{0, 0, 0, 0};
    CRgb fillColour{0, 0, 0, 0};
    CArea clipArea;
    const platform::Font* currentFont = nullptr;

    bool ownsWindowSurface = false;  // obtained from the window: given back at destruction
    bool hasSavedState = false;  // the surface was given: its state is put back at destruction
    platform::SurfaceState savedState;
};

// A drawing context over a private buffer of a given size. Containers compose
// their redraws in one and copy the result to the window in one copy.
class COffscreenContext : public CDrawContext {
public:
    // The whole buffer starts in backgroundColour, first row and column
    // included. A negative width or height gives an empty buffer.
    COffscreenContext(CFrame* frame, int32_t width, int32_t height, const CRgb& backgroundColour = colourBlack);
    ~COffscreenContext() override;

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    CRgb getBackgroundColour() const { return backgroundColour; }
    platform::RasterSurface* getBuffer() const { return buffer; }

private:
    int32_t height = 0;
    int32_t width = 0;
    bool ownsBuffer = true;
    CRgb backgroundColour;
    platform::RasterSurface* buffer = nullptr;
};

}  // namespace toolkit
