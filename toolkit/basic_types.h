// Small value types shared by the whole toolkit: the rectangle CArea, the
// point CSpot, the colour CRgb with its predefined colours, and the font table.
#pragma once

#include <algorithm>
#include <cstdint>

namespace toolkit {

// A point in pixels. Which coordinate system it is in depends on who holds it
// (see CView: a view's `size` is in its parent's coordinates).
struct CSpot {
    int32_t x = 0;
    int32_t y = 0;

    constexpr CSpot() = default;
    constexpr CSpot(int32_t x_, int32_t y_) : x(x_), y(y_) {}

    constexpr CSpot& offset(int32_t dx, int32_t dy) {
        x += dx;
        y += dy;
        return *this;
    }
    constexpr bool operator==(const CSpot&) const = default;
};

// A rectangle in pixels. For drawing and sizes the right and bottom edges are
// exclusive; for hit tests (containsPoint, the overlap test) all four edges
// count as inside.
struct CArea {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    constexpr CArea() = default;
    constexpr CArea(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}

    constexpr int32_t width() const { return right - left; }
    constexpr int32_t height() const { return bottom - top; }

    constexpr CArea& offsetBy(int32_t x, int32_t y) {
        left += x;
        right += x;
        top += y;
        bottom += y;
        return *this;
    }
    // A copy moved by (x, y); the rectangle itself stays.
    constexpr CArea offsetCopy(int32_t x, int32_t y) const {
        CArea r = *this;
        return r.offsetBy(x, y);
    }

    // Inclusive on all four edges.
    constexpr bool containsPoint(const CSpot& p) const {
        return left <= p.x && p.x <= right && top <= p.y && p.y <= bottom;
    }

    // The common part of both areas. An empty result keeps a non-negative
    // size: it collapses onto its top or left edge instead of turning inside out.
    constexpr CArea& intersectWith(const CArea& other) {
        left = std::max(left, other.left);
        top = std::max(top, other.top);
        right = std::min(right, other.right);
        bottom = std::min(bottom, other.bottom);
        if (bottom < top) bottom = top;
        if (right < left) right = left;
        return *this;
    }
    constexpr CArea intersection(const CArea& other) const {
        CArea r = *this;
        return r.intersectWith(other);
    }

    // Touching edges overlap.
    constexpr bool overlaps(const CArea& other) const {
        return !(right < other.left || other.right < left || bottom < other.top || other.bottom < top);
    }

    constexpr bool isEmpty() const { return right <= left || bottom <= top; }

    constexpr bool operator==(const CArea&) const = default;
};

// A colour. Only red, green and blue reach a surface; alpha is carried and
// takes part in comparisons (two colours are equal when all four bytes are).
struct CRgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;

    constexpr CRgb() = default;
    constexpr CRgb(uint8_t r, uint8_t g, uint8_t b, uint8_t a) : red(r), green(g), blue(b), alpha(a) {}

    constexpr bool operator==(const CRgb&) const = default;
    constexpr bool sameRgb(const CRgb& o) const { return red == o.red && green == o.green && blue == o.blue; }
    // The surface pixel value 0x00RRGGBB.
    constexpr uint32_t toPixel() const {
        return (uint32_t(red) << 16) | (uint32_t(green) << 8) | uint32_t(blue);
    }
    static constexpr CRgb fromPixel(uint32_t p, uint8_t alpha = 255) {
        return CRgb(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), alpha);
    }
};

// The predefined colours, in table order.
inline constexpr CRgb colourClearWhite{255, 255, 255, 0};  // transparent colour of every bitmap
inline constexpr CRgb colourBlack{0, 0, 0, 255};
inline constexpr CRgb colourWhite{255, 255, 255, 255};
inline constexpr CRgb colourGrey{127, 127, 127, 255};
inline constexpr CRgb colourRed{255, 0, 0, 255};
inline constexpr CRgb colourGreen{0, 255, 0, 255};
inline constexpr CRgb colourBlue{0, 0, 255, 255};
inline constexpr CRgb colourYellow{255, 255, 0, 255};
inline constexpr CRgb colourMagenta{255, 0, 255, 255};
inline constexpr CRgb colourCyan{0, 255, 255, 255};

inline constexpr CRgb predefinedColours[] = {
    colourClearWhite, colourBlack, colourWhite, colourGrey, colourRed,
    colourGreen, colourBlue, colourYellow, colourMagenta, colourCyan,
};

// Font style mask bits.
inline constexpr int32_t kBoldFace = 1;       // weight 700 instead of 400
inline constexpr int32_t kItalicFace = 2;
inline constexpr int32_t kUnderlineFace = 4;

// Text alignment values of drawString.
inline constexpr int32_t kLeftText = 0;    // against the left edge, indented by 1 pixel
inline constexpr int32_t kCenterText = 1;
inline constexpr int32_t kRightText = 2;

// One entry of the font table: a face name and a character height in pixels.
struct FontTableEntry {
    const char* faceName;
    int32_t size;
    bool alwaysBold;   // font 0 is bold whatever the style asks
    bool decorative;   // font 7: decorative family instead of sans-serif
};

inline constexpr int32_t kFontCount = 8;
inline constexpr FontTableEntry fontTable[kFontCount] = {
    {"Arial", 12, true, false},
    {"Arial", 18, false, false},
    {"Arial", 14, false, false},
    {"Arial", 12, false, false},
    {"Arial", 11, false, false},
    {"Arial", 10, false, false},
    {"Arial", 9, false, false},
    {"Symbol", 13, false, true},
};

// Any id outside 0 to 7 means font 0.
constexpr int32_t normaliseFontId(int32_t fontId) { return (fontId < 0 || fontId >= kFontCount) ? 0 : fontId; }

}  // namespace toolkit
