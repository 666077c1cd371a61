// Drawing contexts and offscreen contexts: the cached drawing state and the
// toolkit's drawing conventions on top of a raster surface.
#include "toolkit/draw_context.h"

#include <cstring>

#include "toolkit/frame_calls.h"
#include "toolkit/platform/fonts.h"
#include "toolkit/platform/platform.h"
#include "toolkit/platform/raster_surface.h"
#include "toolkit/view_container.h"

namespace toolkit {

CDrawContext::CDrawContext(platform::NativeWindow* window_, CFrame* frame_, platform::RasterSurface* surface_)
    : surface(surface_), window(window_), frame(frame_) {
    // The clip starts as the frame's size; it is only stored here.
    if (CViewContainer* root = frameAsContainer(frame))
        root->getViewSize(clipArea);
    else
        clipArea = CArea(0, 0, 1000, 1000);

    if (!surface && window) {
        surface = window->acquireSurface();
        ownsWindowSurface = surface != nullptr;
        if (surface) surface->clearChangedArea();
    }
    if (surface) {
        savedState = surface->saveState();
        hasSavedState = true;
        if (surface->backOpaque()) surface->setBackOpaque(false);
    }
    if (window) windowOrigin = window->getScreenOrigin();

    setLineColour(colourWhite);
    setLineWidth(1);
    setFillColour(colourBlack);
    setFontColour(colourWhite);
    setFont(0, 0);
}

CDrawContext::~CDrawContext() {
    if (surface && hasSavedState) surface->restoreState(savedState);
    if (ownsWindowSurface && window) {
        const CArea changed = surface->changedArea();
        window->releaseSurface(surface, changed);
    }
}

void CDrawContext::setClipArea(const CArea& area) {
    const CArea clip = area.offsetCopy(drawOffset.x, drawOffset.y);
    if (clip == clipArea) return;
    clipArea = clip;
    if (surface) surface->setClip(clipArea);
}

void CDrawContext::applyPen() {
    if (surface) surface->setPen(platform::Pen{lineColour.toPixel(), lineWidth});
}

void CDrawContext::setLineColour(const CRgb& colour) {
    if (colour == lineColour) return;
    lineColour = colour;
    applyPen();
}

void CDrawContext::setLineWidth(int32_t width) {
    if (width == lineWidth) return;
    lineWidth = width;
    applyPen();
}

void CDrawContext::setFillColour(const CRgb& colour) {
    if (colour == fillColour) return;
    fillColour = colour;
    if (surface) {
        surface->setBackColour(colour.toPixel());
        surface->setBrush(colour.toPixel());
    }
}

void CDrawContext::setFontColour(const CRgb& colour) {
    fontColour = colour;
    if (surface) surface->setTextColour(colour.toPixel());
}

void CDrawContext::setFont(int32_t id, int32_t style) {
    id = normaliseFontId(id);
    const int32_t size = fontTable[id].size;
    if (id == fontId && size == fontSize && style == fontStyle) return;
    fontId = id;
    fontSize = size;
    fontStyle = style;
    currentFont = platform::findFont(platform::fontTableRequest(id, style));
    if (surface) surface->selectFont(currentFont);
}

void CDrawContext::applyStateToSurface() {
    if (!surface) return;
    applyPen();
    surface->setBrush(fillColour.toPixel());
    surface->setBackColour(fillColour.toPixel());
    surface->setTextColour(fontColour.toPixel());
    surface->setBackOpaque(false);
    surface->selectFont(currentFont);
}

void CDrawContext::moveTo(const CSpot& point) {
    if (surface) surface->moveTo(CSpot(point.x + drawOffset.x, point.y + drawOffset.y));
}

void CDrawContext::lineTo(const CSpot& point) {
    if (surface) surface->lineTo(CSpot(point.x + drawOffset.x, point.y + drawOffset.y));
}

void CDrawContext::fillArea(const CArea& area) {
    if (!surface) return;
    surface->fillRect(CArea(area.left + 1 + drawOffset.x, area.top + 1 + drawOffset.y, area.right + drawOffset.x,
                            area.bottom + drawOffset.y));
}

void CDrawContext::fillRect(const CArea& area) {
    if (surface) surface->fillRect(area.offsetCopy(drawOffset.x, drawOffset.y));
}

void CDrawContext::drawString(const char* text, const CArea& area, bool opaque, int32_t alignment) {
    if (!text || !surface) return;
    if (opaque) surface->setBackOpaque(true);
    platform::drawTextInArea(*surface, std::string_view(text, std::strlen(text)),
                             area.offsetCopy(drawOffset.x, drawOffset.y), alignment);
    // The resting state leaves the text background alone.
    if (opaque) surface->setBackOpaque(false);
}

int32_t CDrawContext::getStringWidth(const char* text) const {
    if (!text || !currentFont) return 0;
    return currentFont->textWidth(std::string_view(text, std::strlen(text)));
}

void CDrawContext::copyFrom(CDrawContext* source, const CArea& destinationArea, const CSpot& sourceSpot) {
    if (!source || !surface || !source->surface) return;
    surface->copyFrom(*source->surface, destinationArea.offsetCopy(drawOffset.x, drawOffset.y), sourceSpot);
}

// --- offscreen ---------------------------------------------------------------

COffscreenContext::COffscreenContext(CFrame* frame_, int32_t width_, int32_t height_, const CRgb& backgroundColour_)
    : CDrawContext(nullptr, frame_, nullptr), height(height_), width(width_), backgroundColour(backgroundColour_) {
    // The clip is the buffer, its edges ordered.
    CArea clip(0, 0, width, height);
    if (clip.right < clip.left) std::swap(clip.left, clip.right);
    if (clip.bottom < clip.top) std::swap(clip.top, clip.bottom);
    setClipArea(clip);

    buffer = new platform::RasterSurface(width, height);
    // The fill and the outline below cover every pixel except in a 1 x 1
    // buffer, where each line has zero length; start in the colour anyway.
    buffer->fillAll(backgroundColour.toPixel());
    surface = buffer;
    applyStateToSurface();

    setFillColour(backgroundColour);
    setLineColour(backgroundColour);
    fillArea(CArea(0, 0, width, height));
    // fillArea leaves the first row and column alone; the outline covers them.
    moveTo(CSpot(0, 0));
    lineTo(CSpot(width - 1, 0));
    lineTo(CSpot(width - 1, height - 1));
    lineTo(CSpot(0, height - 1));
    lineTo(CSpot(0, 0));
}

COffscreenContext::~COffscreenContext() {
    // The base destructor has nothing of the buffer's to put back.
    surface = nullptr;
    if (ownsBuffer) delete buffer;
    buffer = nullptr;
}

}  // namespace toolkit
