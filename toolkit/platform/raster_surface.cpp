// Software raster surface: pixels, drawing state and the raster operations
// every drawing context relies on.
#include "toolkit/platform/raster_surface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace toolkit::platform {

namespace {

constexpr uint32_t kRgbMask = 0x00FFFFFFu;

inline uint32_t blendChannel(uint32_t source, uint32_t destination, uint32_t alpha) {
    return (source * alpha + destination * (255u - alpha) + 127u) / 255u;
}

inline uint32_t blendPixel(uint32_t source, uint32_t destination, uint32_t alpha) {
    const uint32_t r = blendChannel((source >> 16) & 0xFF, (destination >> 16) & 0xFF, alpha);
    const uint32_t g = blendChannel((source >> 8) & 0xFF, (destination >> 8) & 0xFF, alpha);
    const uint32_t b = blendChannel(source & 0xFF, destination & 0xFF, alpha);
    return (r << 16) | (g << 8) | b;
}

CArea unite(const CArea& a, const CArea& b) {
    if (a.isEmpty()) return b;
    if (b.isEmpty()) return a;
    return CArea(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                 std::max(a.bottom, b.bottom));
}

}  // namespace

RasterSurface::RasterSurface(int32_t width, int32_t height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    stride_ = width_;
    storage_.assign(size_t(width_) * size_t(height_), 0u);
    pixels_ = storage_.empty() ? nullptr : storage_.data();
    if (!pixels_) width_ = height_ = stride_ = 0;
}

RasterSurface::RasterSurface(uint32_t* pixels, int32_t width, int32_t height, int32_t stride) {
    if (pixels && width > 0 && height > 0 && stride >= width) {
        pixels_ = pixels;
        width_ = width;
        height_ = height;
        stride_ = stride;
    }
}

RasterSurface::RasterSurface(RasterSurface&& other) noexcept { *this = std::move(other); }

RasterSurface& RasterSurface::operator=(RasterSurface&& other) noexcept {
    if (this == &other) return *this;
    const bool owned = other.pixels_ != nullptr && !other.storage_.empty() && other.pixels_ == other.storage_.data();
    storage_ = std::move(other.storage_);
    pixels_ = owned ? storage_.data() : other.pixels_;
    width_ = other.width_;
    height_ = other.height_;
    stride_ = other.stride_;
    state_ = other.state_;
    changes_ = other.changes_;
    draws_ = other.draws_;
    changed_ = other.changed_;
    other.storage_.clear();
    other.pixels_ = nullptr;
    other.width_ = other.height_ = other.stride_ = 0;
    return *this;
}

uint32_t RasterSurface::pixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return row(y)[x];
}

void RasterSurface::setPixel(int32_t x, int32_t y, uint32_t value) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    row(y)[x] = value & kRgbMask;
    markChanged(CArea(x, y, x + 1, y + 1));
}

void RasterSurface::fillAll(uint32_t value) {
    for (int32_t y = 0; y < height_; ++y) std::fill_n(row(y), width_, value & kRgbMask);
    markChanged(bounds());
}

// --- state -------------------------------------------------------------------

void RasterSurface::setClip(const CArea& area) {
    state_.clipped = true;
    state_.clip = area;
    ++changes_.clip;
}

void RasterSurface::clearClip() {
    state_.clipped = false;
    state_.clip = CArea();
    ++changes_.clip;
}

CArea RasterSurface::effectiveClip() const {
    CArea c = bounds();
    if (state_.clipped) {
        // An inverted clip area holds no pixel.
        if (state_.clip.right < state_.clip.left || state_.clip.bottom < state_.clip.top) return CArea();
        c.intersectWith(state_.clip);
    }
    return c;
}

void RasterSurface::setPen(const Pen& pen) {
    state_.pen = Pen{pen.colour & kRgbMask, pen.width};
    ++changes_.pen;
}

void RasterSurface::setBrush(uint32_t colour) {
    state_.brush = colour & kRgbMask;
    ++changes_.brush;
}

void RasterSurface::setTextColour(uint32_t colour) {
    state_.textColour = colour & kRgbMask;
    ++changes_.textColour;
}

void RasterSurface::setBackColour(uint32_t colour) {
    state_.backColour = colour & kRgbMask;
    ++changes_.backColour;
}

void RasterSurface::setBackOpaque(bool opaque) {
    state_.backOpaque = opaque;
    ++changes_.backMode;
}

void RasterSurface::selectFont(const Font* font) {
    state_.font = font;
    ++changes_.font;
}

SurfaceState RasterSurface::saveState() const { return state_; }

void RasterSurface::restoreState(const SurfaceState& s) {
    if (!(s.pen == state_.pen)) setPen(s.pen);
    if (s.brush != state_.brush) setBrush(s.brush);
    if (s.textColour != state_.textColour) setTextColour(s.textColour);
    if (s.backColour != state_.backColour) setBackColour(s.backColour);
    if (s.backOpaque != state_.backOpaque) setBackOpaque(s.backOpaque);
    if (s.font != state_.font) selectFont(s.font);
    if (s.clipped != state_.clipped || !(s.clip == state_.clip)) {
        if (s.clipped)
            setClip(s.clip);
        else
            clearClip();
    }
    state_.position = s.position;
}

// --- drawing -----------------------------------------------------------------

void RasterSurface::markChanged(const CArea& area) { changed_ = unite(changed_, area); }

void RasterSurface::fillRect(const CArea& area) { fillRectWith(area, state_.brush); }

void RasterSurface::fillRectWith(const CArea& area, uint32_t colour) {
    ++draws_.fills;
    if (area.right <= area.left || area.bottom <= area.top) return;
    CArea r = area;
    r.intersectWith(effectiveClip());
    if (r.isEmpty()) return;
    colour &= kRgbMask;
    for (int32_t y = r.top; y < r.bottom; ++y) std::fill_n(row(y) + r.left, r.width(), colour);
    markChanged(r);
}

void RasterSurface::moveTo(CSpot point) { state_.position = point; }

void RasterSurface::plot(int32_t x, int32_t y, const CArea& clip, uint32_t colour) {
    if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom) return;
    row(y)[x] = colour;
    markChanged(CArea(x, y, x + 1, y + 1));
}

void RasterSurface::stampPen(int32_t x, int32_t y, const CArea& clip) {
    const int32_t w = state_.pen.width;
    if (w <= 1) {
        plot(x, y, clip, state_.pen.colour);
        return;
    }
    // A wider pen is centred on the path: a square of the pen width.
    CArea square(x - w / 2, y - w / 2, x - w / 2 + w, y - w / 2 + w);
    square.intersectWith(clip);
    if (square.isEmpty()) return;
    for (int32_t yy = square.top; yy < square.bottom; ++yy) std::fill_n(row(yy) + square.left, square.width(), state_.pen.colour);
    markChanged(square);
}

void RasterSurface::lineTo(CSpot point) {
    ++draws_.lines;
    const CSpot from = state_.position;
    state_.position = point;
    if (isEmpty()) return;
    const CArea clip = effectiveClip();
    if (clip.isEmpty()) return;

    // Integer stepping along the major axis; the end point is left out, so a
    // polyline drawn point to point sets every corner exactly once.
    int64_t x = from.x;
    int64_t y = from.y;
    const int64_t x1 = point.x;
    const int64_t y1 = point.y;
    const int64_t dx = std::llabs(x1 - x);
    const int64_t dy = -std::llabs(y1 - y);
    const int64_t sx = x < x1 ? 1 : -1;
    const int64_t sy = y < y1 ? 1 : -1;
    int64_t err = dx + dy;
    // Whole lines outside the clip (grown by the pen) are skipped quickly.
    const int64_t grow = std::max<int32_t>(state_.pen.width, 1);
    if (std::max(x, x1) < clip.left - grow || std::min(x, x1) >= clip.right + grow ||
        std::max(y, y1) < clip.top - grow || std::min(y, y1) >= clip.bottom + grow)
        return;
    while (!(x == x1 && y == y1)) {
        stampPen(int32_t(x), int32_t(y), clip);
        const int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

bool RasterSurface::clipCopy(const RasterSurface& source, CArea& dst, CSpot& sourceSpot) {
    ++draws_.copies;
    const int64_t w = int64_t(dst.right) - dst.left;
    const int64_t h = int64_t(dst.bottom) - dst.top;
    if (w <= 0 || h <= 0 || source.isEmpty() || isEmpty()) return false;
    // Work in 64 bits: offsets near the int32 limits must not wrap.
    int64_t sl = sourceSpot.x, st = sourceSpot.y;
    int64_t dl = dst.left, dt = dst.top;
    int64_t cw = w, ch = h;
    // Keep only the part of the source rectangle that lies inside the source.
    if (sl < 0) { dl -= sl; cw += sl; sl = 0; }
    if (st < 0) { dt -= st; ch += st; st = 0; }
    cw = std::min<int64_t>(cw, source.width() - sl);
    ch = std::min<int64_t>(ch, source.height() - st);
    if (cw <= 0 || ch <= 0) return false;
    // Then the part of the destination inside the clip.
    const CArea clip = effectiveClip();
    if (dl < clip.left) { const int64_t d = clip.left - dl; dl += d; sl += d; cw -= d; }
    if (dt < clip.top) { const int64_t d = clip.top - dt; dt += d; st += d; ch -= d; }
    cw = std::min<int64_t>(cw, clip.right - dl);
    ch = std::min<int64_t>(ch, clip.bottom - dt);
    if (cw <= 0 || ch <= 0) return false;
    dst = CArea(int32_t(dl), int32_t(dt), int32_t(dl + cw), int32_t(dt + ch));
    sourceSpot = CSpot(int32_t(sl), int32_t(st));
    return true;
}

void RasterSurface::copyFrom(const RasterSurface& source, const CArea& dstArea, CSpot sourceSpot) {
    CArea dst = dstArea;
    if (!clipCopy(source, dst, sourceSpot)) return;
    const int32_t w = dst.width();
    if (&source == this) {
        // Overlapping rows within one surface: go in the direction that reads
        // each row before it is overwritten; memmove handles one row.
        if (dst.top <= sourceSpot.y) {
            for (int32_t y = 0; y < dst.height(); ++y)
                std::memmove(row(dst.top + y) + dst.left, row(sourceSpot.y + y) + sourceSpot.x, size_t(w) * 4);
        } else {
            for (int32_t y = dst.height() - 1; y >= 0; --y)
                std::memmove(row(dst.top + y) + dst.left, row(sourceSpot.y + y) + sourceSpot.x, size_t(w) * 4);
        }
    } else {
        for (int32_t y = 0; y < dst.height(); ++y)
            std::memcpy(row(dst.top + y) + dst.left, source.row(sourceSpot.y + y) + sourceSpot.x, size_t(w) * 4);
    }
    markChanged(dst);
}

// Visits every pixel of a clipped copy as (source pixel, destination pixel),
// row by row and within a row in the direction that reads each source pixel
// before it is overwritten when source and destination are one surface.
template <typename PixelOp>
void RasterSurface::forEachCopiedPixel(const RasterSurface& source, const CArea& dst, CSpot sourceSpot, PixelOp op) {
    const int32_t w = dst.width();
    const bool down = &source != this || dst.top <= sourceSpot.y;
    for (int32_t i = 0; i < dst.height(); ++i) {
        const int32_t y = down ? i : dst.height() - 1 - i;
        const uint32_t* s = source.row(sourceSpot.y + y) + sourceSpot.x;
        uint32_t* d = row(dst.top + y) + dst.left;
        if (&source == this && d > s) {
            for (int32_t x = w - 1; x >= 0; --x) op(s[x], d[x]);
        } else {
            for (int32_t x = 0; x < w; ++x) op(s[x], d[x]);
        }
    }
}

void RasterSurface::copyKeyed(const RasterSurface& source, const CArea& dstArea, CSpot sourceSpot, uint32_t key) {
    CArea dst = dstArea;
    if (!clipCopy(source, dst, sourceSpot)) return;
    key &= kRgbMask;
    forEachCopiedPixel(source, dst, sourceSpot, [key](uint32_t s, uint32_t& d) {
        if ((s & kRgbMask) != key) d = s & kRgbMask;
    });
    markChanged(dst);
}

void RasterSurface::blendConstant(const RasterSurface& source, const CArea& dstArea, CSpot sourceSpot, uint8_t alpha) {
    if (alpha == 0) {
        ++draws_.copies;
        return;
    }
    if (alpha == 255) {
        copyFrom(source, dstArea, sourceSpot);
        return;
    }
    CArea dst = dstArea;
    if (!clipCopy(source, dst, sourceSpot)) return;
    forEachCopiedPixel(source, dst, sourceSpot, [alpha](uint32_t s, uint32_t& d) { d = blendPixel(s, d, alpha); });
    markChanged(dst);
}

void RasterSurface::blendMask(const uint8_t* mask, int32_t maskWidth, int32_t maskHeight, int32_t maskPitch, int32_t x,
                              int32_t y, uint32_t colour, const CArea& limit) {
    ++draws_.masks;
    if (!mask || maskWidth <= 0 || maskHeight <= 0) return;
    CArea r(x, y, x + maskWidth, y + maskHeight);
    r.intersectWith(limit);
    r.intersectWith(effectiveClip());
    if (r.isEmpty()) return;
    colour &= kRgbMask;
    for (int32_t yy = r.top; yy < r.bottom; ++yy) {
        const uint8_t* m = mask + std::ptrdiff_t(yy - y) * maskPitch;
        uint32_t* d = row(yy);
        for (int32_t xx = r.left; xx < r.right; ++xx) {
            const uint32_t c = m[xx - x];
            if (c == 0) continue;
            d[xx] = c == 255 ? colour : blendPixel(colour, d[xx], c);
        }
    }
    markChanged(r);
}

}  // namespace toolkit::platform
