// Fonts and text on raster surfaces, through fontconfig (to find a face for a
// family name) and FreeType (to render it). Sizes are character heights in
// pixels (the em size), as the toolkit's font table gives them.
//
// Fonts are made once per request and kept for the life of the process; the
// pointers handed out stay valid. Everything here runs on the editor's thread
// (one FreeType library per process, made on first use); it is not locked.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "toolkit/basic_types.h"

namespace toolkit::platform {

class RasterSurface;

struct FontRequest {
    std::string family;       // "Arial", "Symbol", ...
    int32_t pixelHeight = 12; // character height in pixels
    int32_t weight = 400;     // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool decorative = false;  // decorative family instead of sans-serif
    bool operator==(const FontRequest&) const = default;
};

// One face at one size, with the glyphs it has rendered so far.
class Font {
public:
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    const FontRequest& request() const { return request_; }
    // False when no face could be opened: such a font measures and draws nothing.
    bool isValid() const;
    // The family and style fontconfig answered, e.g. "Liberation Sans", "Bold".
    const std::string& resolvedFamily() const { return resolvedFamily_; }
    const std::string& resolvedStyle() const { return resolvedStyle_; }
    int32_t resolvedWeight() const { return resolvedWeight_; }
    bool resolvedItalic() const { return resolvedItalic_; }

    // Cell metrics in pixels: ascent above the baseline, descent below it;
    // the line height is their sum.
    int32_t ascent() const { return ascent_; }
    int32_t descent() const { return descent_; }
    int32_t lineHeight() const { return ascent_ + descent_; }
    // Advance width of a text on one line (each byte one Latin-1 character).
    int32_t textWidth(std::string_view text) const;

    // Draws `text` with its cell's top-left at (x, y) in `colour`, limited to
    // `limit` and the surface's clip. With `opaque` the text cell is painted in
    // `backColour` first.
    void drawText(RasterSurface& surface, std::string_view text, int32_t x, int32_t y, uint32_t colour,
                  bool opaque, uint32_t backColour, const CArea& limit) const;

private:
    friend const Font* findFont(const FontRequest& request);
    struct Impl;
    explicit Font(FontRequest request);

    FontRequest request_;
    std::unique_ptr<Impl> impl_;
    std::string resolvedFamily_;
    std::string resolvedStyle_;
    int32_t resolvedWeight_ = 400;
    bool resolvedItalic_ = false;
    int32_t ascent_ = 0;
    int32_t descent_ = 0;
};

// The font for a request, made on first use and cached. Never null.
const Font* findFont(const FontRequest& request);

// The request that the font table gives for a font id and style mask: ids
// outside 0 to 7 mean font 0; bit 1 of the style (and always font 0) asks for
// weight 700, bit 2 italic, bit 4 underline.
FontRequest fontTableRequest(int32_t fontId, int32_t style);

// Draws one line of text in the surface's font, text colour and text
// background mode, vertically centred in `area` and clipped to it.
// Alignment 1 centres, 2 puts the text against the right edge, any other value
// against the left edge moved in by 1 pixel. Nothing without a font.
void drawTextInArea(RasterSurface& surface, std::string_view text, const CArea& area, int32_t alignment);

}  // namespace toolkit::platform
