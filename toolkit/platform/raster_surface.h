// A software raster surface: 32-bit pixels 0x00RRGGBB, row-major, stride in
// pixels. Every drawing context draws on one (an offscreen buffer, a bitmap's
// pixels, or the client-side image of a window).
//
// Like a device context, the surface carries the drawing state that is in
// effect on it: clip area, pen, brush, text colour, text background colour and
// mode, font, current position. Drawing contexts cache that state and change
// it only through the setters here; every change is counted, so a test can
// see whether a setter reached the surface.
//
// Conventions (all coordinates are surface pixels):
// - fillRect fills exactly [left, right) x [top, bottom).
// - lineTo draws from the current position up to, but not including, the end
//   point, stepping one pixel at a time along the major axis as a width-1 pen
//   does; wider pens stamp a square of the pen width centred on each pixel.
// - Every drawing operation is clipped to the clip area and the surface.
// - Copies from another surface read only the part of the source rectangle
//   that lies inside the source; destination pixels opposite the rest are
//   left unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "toolkit/basic_types.h"

namespace toolkit::platform {

class Font;

struct Pen {
    uint32_t colour = 0;
    int32_t width = 1;
    bool operator==(const Pen&) const = default;
};

// How many times each part of the drawing state was changed on the surface.
struct StateChangeCounts {
    uint32_t pen = 0;
    uint32_t brush = 0;
    uint32_t font = 0;
    uint32_t clip = 0;
    uint32_t textColour = 0;
    uint32_t backColour = 0;
    uint32_t backMode = 0;

    uint32_t total() const { return pen + brush + font + clip + textColour + backColour + backMode; }
};

// How many drawing operations of each kind were asked of the surface
// (whether or not the clip left anything to draw).
struct DrawCounts {
    uint32_t fills = 0;   // rectangle fills
    uint32_t lines = 0;   // lineTo calls
    uint32_t copies = 0;  // copies and blends from another surface
    uint32_t masks = 0;   // coverage masks (glyphs)
};

// The whole drawing state, as a context remembers it at construction and puts
// it back at destruction.
struct SurfaceState {
    Pen pen;
    uint32_t brush = 0;
    uint32_t textColour = 0xFFFFFF;
    uint32_t backColour = 0;
    bool backOpaque = false;
    const Font* font = nullptr;
    bool clipped = false;
    CArea clip;
    CSpot position;
};

class RasterSurface {
public:
    // An empty surface (0 x 0); drawing on it does nothing.
    RasterSurface() = default;
    // A surface that owns its pixels, all 0 (black). Negative sizes give 0.
    RasterSurface(int32_t width, int32_t height);
    // A surface over pixels owned by the caller (for example a window image
    // in shared memory); they must outlive the surface. stride >= width.
    RasterSurface(uint32_t* pixels, int32_t width, int32_t height, int32_t stride);

    RasterSurface(RasterSurface&& other) noexcept;
    RasterSurface& operator=(RasterSurface&& other) noexcept;
    RasterSurface(const RasterSurface&) = delete;
    RasterSurface& operator=(const RasterSurface&) = delete;
    ~RasterSurface() = default;

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t stride() const { return stride_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }
    CArea bounds() const { return CArea(0, 0, width_, height_); }
    uint32_t* pixels() { return pixels_; }
    const uint32_t* pixels() const { return pixels_; }
    uint32_t* row(int32_t y) { return pixels_ + std::ptrdiff_t(y) * stride_; }
    const uint32_t* row(int32_t y) const { return pixels_ + std::ptrdiff_t(y) * stride_; }

    // Reads a pixel; 0 outside the surface.
    uint32_t pixel(int32_t x, int32_t y) const;
    // Writes a pixel inside the surface, ignoring clip and state (for building
    // images and for tests); outside it nothing happens.
    void setPixel(int32_t x, int32_t y, uint32_t value);
    // Sets every pixel, ignoring the clip.
    void fillAll(uint32_t value);

    // --- Drawing state ---------------------------------------------------
    // The clip is exactly `area`; drawing is also always limited to the surface.
    void setClip(const CArea& area);
    // No clip: the whole surface.
    void clearClip();
    bool isClipped() const { return state_.clipped; }
    // The clip in effect: the clip area (when set) within the surface.
    CArea effectiveClip() const;
    CArea clip() const { return state_.clipped ? state_.clip : bounds(); }

    void setPen(const Pen& pen);
    const Pen& pen() const { return state_.pen; }
    void setBrush(uint32_t colour);
    uint32_t brush() const { return state_.brush; }
    void setTextColour(uint32_t colour);
    uint32_t textColour() const { return state_.textColour; }
    void setBackColour(uint32_t colour);
    uint32_t backColour() const { return state_.backColour; }
    // Opaque: text cells are painted in the back colour; transparent (the
    // resting state): the text background is left alone.
    void setBackOpaque(bool opaque);
    bool backOpaque() const { return state_.backOpaque; }
    void selectFont(const Font* font);
    const Font* font() const { return state_.font; }

    SurfaceState saveState() const;
    // Puts a saved state back; only the parts that differ count as changes.
    void restoreState(const SurfaceState& state);

    const StateChangeCounts& stateChanges() const { return changes_; }
    void resetStateChanges() { changes_ = {}; }
    const DrawCounts& drawCounts() const { return draws_; }
    void resetDrawCounts() { draws_ = {}; }

    // --- Drawing -----------------------------------------------------------
    // Fills exactly [left, right) x [top, bottom) with the brush colour.
    void fillRect(const CArea& area);
    // Fills with a given colour (no brush change).
    void fillRectWith(const CArea& area, uint32_t colour);
    void moveTo(CSpot point);
    // A line with the current pen from the current position to `point`, the
    // end point left out; the current position becomes `point`.
    void lineTo(CSpot point);
    CSpot currentPosition() const { return state_.position; }

    // Plain copy of the rectangle of dst's size from `source` at `sourceSpot`
    // to dst's top-left. `source` may be this surface.
    void copyFrom(const RasterSurface& source, const CArea& dst, CSpot sourceSpot);
    // The same, except that source pixels equal to `key` (red, green and blue,
    // exactly) leave the destination unchanged.
    void copyKeyed(const RasterSurface& source, const CArea& dst, CSpot sourceSpot, uint32_t key);
    // Source-over blend with a constant opacity (255 opaque, 0 nothing).
    void blendConstant(const RasterSurface& source, const CArea& dst, CSpot sourceSpot, uint8_t alpha);

    // Blends one coverage mask (8-bit, 0 none to 255 full) in `colour` with its
    // top-left at (x, y), clipped to `limit` and the clip. Used by text.
    void blendMask(const uint8_t* mask, int32_t maskWidth, int32_t maskHeight, int32_t maskPitch, int32_t x,
                   int32_t y, uint32_t colour, const CArea& limit);

    // --- Changed area ------------------------------------------------------
    // The bounding box of every pixel written since the last clearChangedArea
    // (empty when nothing was written); a window pushes that part to the screen.
    CArea changedArea() const { return changed_; }
    bool hasChanged() const { return !changed_.isEmpty(); }
    void clearChangedArea() { changed_ = CArea(); }

private:
    void markChanged(const CArea& area);
    void plot(int32_t x, int32_t y, const CArea& clip, uint32_t colour);
    void stampPen(int32_t x, int32_t y, const CArea& clip);
    // Clips the copy: returns false when nothing is left; otherwise adjusts
    // dst and the source position to the part inside both surfaces and the clip.
    bool clipCopy(const RasterSurface& source, CArea& dst, CSpot& sourceSpot);
    template <typename PixelOp>
    void forEachCopiedPixel(const RasterSurface& source, const CArea& dst, CSpot sourceSpot, PixelOp op);

    std::vector<uint32_t> storage_;
    uint32_t* pixels_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;

    SurfaceState state_;
    StateChangeCounts changes_;
    DrawCounts draws_;
    CArea changed_;
};

}  // namespace toolkit::platform
