// Bitmaps loaded from the plug-in library's embedded resources and drawn into
// a drawing context opaquely, with a colour key, or blended with a constant
// alpha. A film strip is one tall bitmap whose images lie one under the other;
// it is drawn by choosing the source offset.
//
// A bitmap is shared by reference counting: every view that draws one holds a
// reference. Drawing an empty bitmap (not loaded) does nothing, and a source
// rectangle that reaches past the bitmap reads only the part inside it.
#pragma once

#include <cstdint>
#include <memory>

#include "toolkit/basic_types.h"
#include "toolkit/reference_counter.h"

namespace toolkit {

namespace platform {
class RasterSurface;
}

class CDrawContext;

class CBitmap : public CReferenceCounter {
public:
    // Loads the resource with that id; a missing one leaves the bitmap empty.
    explicit CBitmap(int32_t resourceId);
    // A bitmap over pixels made by the program (resource id 0).
    explicit CBitmap(platform::RasterSurface&& pixels);
    ~CBitmap() override;

    // Copies a rectangle of area's size from the bitmap at `offset` to area's
    // top-left plus the context's drawOffset.
    virtual void drawBitmap(CDrawContext* context, const CArea& area, const CSpot& offset = CSpot(0, 0));
    // The same, except that source pixels whose red, green and blue equal the
    // transparent colour leave the destination unchanged (exact match).
    virtual void drawTransparent(CDrawContext* context, const CArea& area, const CSpot& offset = CSpot(0, 0));
    // The same rectangle blended over the destination with opacity `alpha`
    // (255 opaque); the bitmap's pixels carry no alpha of their own.
    virtual void drawAlpha(CDrawContext* context, const CArea& area, const CSpot& offset, uint8_t alpha);
    // Frees the pixels; width and height become 0.
    virtual void unload();
    // Unloads, then loads the embedded BMP with that id. False (and width and
    // height 0) when the library has no such resource or it cannot be read.
    virtual bool loadFromResource(int32_t resourceId);
    // Loading from any other source is not supported: unloads, answers false.
    virtual bool loadFromSource(const char* source);

    int32_t getResourceId() const { return resourceId; }
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    bool isLoaded() const { return pixels != nullptr; }
    CRgb getTransparentColour() const { return transparentColour; }
    void setTransparentColour(const CRgb& colour) { transparentColour = colour; }
    // The pixels, null when not loaded.
    const platform::RasterSurface* getPixels() const { return pixels.get(); }

private:
    int32_t resourceId = 0;
    int32_t width = 0;
    int32_t height = 0;
    CRgb transparentColour = colourClearWhite;
    std::unique_ptr<platform::RasterSurface> pixels;
};

}  // namespace toolkit
