// CBitmap: embedded BMP resources and the three ways of drawing them.
#include "toolkit/bitmap.h"

#include "shell/module_handle.h"
#include "toolkit/draw_context.h"
#include "toolkit/platform/platform.h"
#include "toolkit/platform/raster_surface.h"

namespace toolkit {

CBitmap::CBitmap(int32_t id) : resourceId(id) { loadFromResource(id); }

CBitmap::CBitmap(platform::RasterSurface&& source) {
    if (source.isEmpty()) return;
    pixels = std::make_unique<platform::RasterSurface>(std::move(source));
    width = pixels->width();
    height = pixels->height();
}

CBitmap::~CBitmap() { unload(); }

void CBitmap::drawBitmap(CDrawContext* context, const CArea& area, const CSpot& offset) {
    if (!pixels || !context || !context->getSurface()) return;
    context->getSurface()->copyFrom(*pixels, area.offsetCopy(context->drawOffset.x, context->drawOffset.y), offset);
}

void CBitmap::drawTransparent(CDrawContext* context, const CArea& area, const CSpot& offset) {
    if (!pixels || !context || !context->getSurface()) return;
    context->getSurface()->copyKeyed(*pixels, area.offsetCopy(context->drawOffset.x, context->drawOffset.y), offset,
                                     transparentColour.toPixel());
}

void CBitmap::drawAlpha(CDrawContext* context, const CArea& area, const CSpot& offset, uint8_t alpha) {
    if (!pixels || !context || !context->getSurface()) return;
    context->getSurface()->blendConstant(*pixels, area.offsetCopy(context->drawOffset.x, context->drawOffset.y),
                                         offset, alpha);
}

void CBitmap::unload() {
    pixels.reset();
    width = 0;
    height = 0;
}

bool CBitmap::loadFromResource(int32_t id) {
    unload();
    const platform::ResourceBytes bytes = platform::findBitmapResource(moduleHandle, id);
    if (!bytes.data) return false;
    platform::RasterSurface decoded;
    if (!platform::decodeBmp(bytes.data, bytes.size, decoded)) return false;
    pixels = std::make_unique<platform::RasterSurface>(std::move(decoded));
    width = pixels->width();
    height = pixels->height();
    return true;
}

bool CBitmap::loadFromSource(const char*) {
    unload();
    return false;
}

}  // namespace toolkit
