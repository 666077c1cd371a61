// Fonts through fontconfig and FreeType: matching the font table's faces,
// caching them with their rendered glyphs, and drawing antialiased text on a
// raster surface.
#include "toolkit/platform/fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "toolkit/platform/raster_surface.h"

namespace toolkit::platform {

namespace {

// The process's FreeType library and fontconfig configuration, made on first
// use. A configuration of our own keeps the host's fontconfig state untouched.
struct FontSystem {
    FT_Library library = nullptr;
    FcConfig* config = nullptr;
    std::vector<std::unique_ptr<Font>> fonts;

    FontSystem() {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
        config = FcInitLoadConfigAndFonts();
    }
    ~FontSystem() {
        fonts.clear();  // faces before the library that made them
        if (library) FT_Done_FreeType(library);
        if (config) FcConfigDestroy(config);
    }
    FontSystem(const FontSystem&) = delete;
    FontSystem& operator=(const FontSystem&) = delete;
};

FontSystem& fontSystem() {
    static FontSystem system;
    return system;
}

int32_t roundUp26_6(FT_Pos value) { return int32_t((value + 63) >> 6); }
int32_t round26_6(FT_Pos value) { return int32_t((value + 32) >> 6); }

}  // namespace

struct Font::Impl {
    struct Glyph {
        bool loaded = false;
        int32_t left = 0;     // from the pen position to the bitmap's left
        int32_t top = 0;      // from the baseline up to the bitmap's top
        int32_t width = 0;
        int32_t height = 0;
        int32_t advance = 0;
        std::vector<uint8_t> coverage;  // width x height, 8 bits
    };

    FT_Face face = nullptr;
    bool embolden = false;  // the matched face is not bold although bold was asked
    int32_t underlinePosition = 1;   // rows below the baseline
    int32_t underlineThickness = 1;
    std::array<Glyph, 256> glyphs;

    ~Impl() {
        if (face) FT_Done_Face(face);
    }

    const Glyph& glyph(uint8_t code) {
        Glyph& g = glyphs[code];
        if (g.loaded || !face) return g;
        g.loaded = true;
        // Each byte is a Latin-1 character, whose code equals its Unicode one.
        if (FT_Load_Char(face, FT_ULong(code), FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) != 0) return g;
        if (embolden) FT_GlyphSlot_Embolden(face->glyph);
        if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return g;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        g.advance = round26_6(slot->advance.x);
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0) return g;
        g.width = int32_t(bitmap.width);
        g.height = int32_t(bitmap.rows);
        g.coverage.resize(size_t(g.width) * size_t(g.height));
        for (int32_t y = 0; y < g.height; ++y) {
            const unsigned char* src = bitmap.pitch >= 0 ? bitmap.buffer + std::ptrdiff_t(y) * bitmap.pitch
                                                         : bitmap.buffer + std::ptrdiff_t(g.height - 1 - y) * -bitmap.pitch;
            for (int32_t x = 0; x < g.width; ++x) g.coverage[size_t(y) * size_t(g.width) + size_t(x)] = src[x];
        }
        return g;
    }
};

Font::Font(FontRequest request) : request_(std::move(request)), impl_(std::make_unique<Impl>()) {
    FontSystem& system = fontSystem();
    if (!system.library || !system.config || request_.pixelHeight <= 0) return;

    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request_.family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, request_.weight >= 700 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, request_.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, double(request_.pixelHeight));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(system.config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(system.config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return;

    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        FcChar8* family = nullptr;
        FcChar8* style = nullptr;
        int weight = FC_WEIGHT_REGULAR;
        int slant = FC_SLANT_ROMAN;
        if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch && family)
            resolvedFamily_ = reinterpret_cast<const char*>(family);
        if (FcPatternGetString(match, FC_STYLE, 0, &style) == FcResultMatch && style)
            resolvedStyle_ = reinterpret_cast<const char*>(style);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        resolvedItalic_ = slant != FC_SLANT_ROMAN;
        FT_Face face = nullptr;
        if (FT_New_Face(system.library, reinterpret_cast<const char*>(file), index, &face) == 0) {
            impl_->face = face;
            // A regular face standing in for a bold request is emboldened.
            impl_->embolden = request_.weight >= 700 && weight < FC_WEIGHT_DEMIBOLD;
            resolvedWeight_ = (weight >= FC_WEIGHT_DEMIBOLD || impl_->embolden) ? 700 : 400;
        }
    }
    FcPatternDestroy(match);

    FT_Face face = impl_->face;
    if (!face) return;
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(request_.pixelHeight)) != 0) {
        FT_Done_Face(face);
        impl_->face = nullptr;
        return;
    }
    ascent_ = roundUp26_6(face->size->metrics.ascender);
    descent_ = roundUp26_6(-face->size->metrics.descender);
    if (FT_IS_SCALABLE(face)) {
        const FT_Fixed scale = face->size->metrics.y_scale;
        const int32_t position = round26_6(FT_MulFix(-face->underline_position, scale));
        const int32_t thickness = round26_6(FT_MulFix(face->underline_thickness, scale));
        impl_->underlinePosition = std::max(position, 1);
        impl_->underlineThickness = std::max(thickness, 1);
    }
}

Font::~Font() = default;

bool Font::isValid() const { return impl_ && impl_->face; }

int32_t Font::textWidth(std::string_view text) const {
    if (!isValid()) return 0;
    int32_t width = 0;
    for (char c : text) width += impl_->glyph(uint8_t(c)).advance;
    return width;
}

void Font::drawText(RasterSurface& surface, std::string_view text, int32_t x, int32_t y, uint32_t colour, bool opaque,
                    uint32_t backColour, const CArea& limit) const {
    if (!isValid()) return;
    if (opaque) {
        CArea cell(x, y, x + textWidth(text), y + lineHeight());
        cell.intersectWith(limit);
        surface.fillRectWith(cell, backColour);
    }
    const int32_t baseline = y + ascent_;
    int32_t penX = x;
    for (char c : text) {
        const Impl::Glyph& g = impl_->glyph(uint8_t(c));
        if (!g.coverage.empty())
            surface.blendMask(g.coverage.data(), g.width, g.height, g.width, penX + g.left, baseline - g.top, colour,
                              limit);
        penX += g.advance;
    }
    if (request_.underline && penX > x) {
        CArea line(x, baseline + impl_->underlinePosition - impl_->underlineThickness / 2, penX, 0);
        line.bottom = line.top + impl_->underlineThickness;
        line.intersectWith(limit);
        surface.fillRectWith(line, colour);
    }
}

const Font* findFont(const FontRequest& request) {
    FontSystem& system = fontSystem();
    for (const auto& font : system.fonts)
        if (font->request() == request) return font.get();
    system.fonts.push_back(std::unique_ptr<Font>(new Font(request)));
    return system.fonts.back().get();
}

FontRequest fontTableRequest(int32_t fontId, int32_t style) {
    const FontTableEntry& entry = fontTable[normaliseFontId(fontId)];
    FontRequest request;
    request.family = entry.faceName;
    request.pixelHeight = entry.size;
    request.weight = (entry.alwaysBold || (style & kBoldFace)) ? 700 : 400;
    request.italic = (style & kItalicFace) != 0;
    request.underline = (style & kUnderlineFace) != 0;
    request.decorative = entry.decorative;
    return request;
}

void drawTextInArea(RasterSurface& surface, std::string_view text, const CArea& area, int32_t alignment) {
    const Font* font = surface.font();
    if (!font || !font->isValid()) return;
    CArea box = area;
    if (alignment != kCenterText && alignment != kRightText) box.left += 1;
    const int32_t width = font->textWidth(text);
    int32_t x = box.left;
    if (alignment == kCenterText)
        x = box.left + (box.width() - width) / 2;
    else if (alignment == kRightText)
        x = box.right - width;
    const int32_t y = box.top + (box.height() - font->lineHeight()) / 2;
    font->drawText(surface, text, x, y, surface.textColour(), surface.backOpaque(), surface.backColour(), box);
}

}  // namespace toolkit::platform
