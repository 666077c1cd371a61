// Drawing contexts: the fill and offset conventions, setters that reach the
// surface only on a change, offscreen buffers, fonts and text placement.
#include <gtest/gtest.h>

#include "tests/toolkit/pixel_helpers.h"
#include "toolkit/draw_context.h"
#include "toolkit/platform/fonts.h"
#include "toolkit/platform/raster_surface.h"

using toolkit::CArea;
using toolkit::CDrawContext;
using toolkit::COffscreenContext;
using toolkit::CRgb;
using toolkit::CSpot;
using toolkit::platform::RasterSurface;
using toolkit_test::boundsOfOther;
using toolkit_test::countColour;
using toolkit_test::describe;
using toolkit_test::firstMismatch;

namespace {

constexpr uint32_t kBack = 0x336699;

// A surface and a context over it; the context is released at the end.
struct Canvas {
    RasterSurface surface;
    CDrawContext* context;

    Canvas(int32_t w, int32_t h, uint32_t colour = kBack) : surface(w, h) {
        surface.fillAll(colour);
        context = new CDrawContext(nullptr, nullptr, &surface);
        surface.resetStateChanges();
        surface.clearChangedArea();
    }
    ~Canvas() { context->release(); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
};

}  // namespace

TEST(DrawContext, FillAreaLeavesTheFirstColumnAndRowUntouched) {
    Canvas c(40, 40);
    c.context->setFillColour(toolkit::colourRed);
    c.context->fillArea(CArea(10, 10, 20, 20));
    EXPECT_EQ(firstMismatch(c.surface, CArea(11, 11, 20, 20), 0xFF0000), "")
        << "Pixels 11 to 19 in both directions must be filled.";
    EXPECT_EQ(boundsOfOther(c.surface, kBack), CArea(11, 11, 20, 20))
        << "Row 10, column 10 and everything from 20 on must keep their colour.";
}

TEST(DrawContext, DrawOffsetIsAddedToEveryCoordinate) {
    Canvas c(60, 60);
    c.context->drawOffset = CSpot(5, 7);
    c.context->setFillColour(toolkit::colourRed);
    c.context->fillArea(CArea(10, 10, 20, 20));
    EXPECT_EQ(boundsOfOther(c.surface, kBack), CArea(16, 18, 25, 27)) << "fillArea must be moved by the offset.";

    c.context->setLineColour(toolkit::colourGreen);
    c.context->moveTo(CSpot(0, 0));
    c.context->lineTo(CSpot(3, 0));
    EXPECT_EQ(countColour(c.surface, CArea(5, 7, 8, 8), 0x00FF00), 3) << "Lines must be moved by the offset.";

    c.context->setClipArea(CArea(0, 0, 10, 10));
    EXPECT_EQ(c.context->getClipArea(), CArea(5, 7, 15, 17)) << "The clip is kept in surface coordinates.";
}

TEST(DrawContext, SettersReachTheSurfaceOnlyWhenTheValueChanges) {
    Canvas c(10, 10);
    const auto& counts = c.surface.stateChanges();
    const CRgb colour(10, 20, 30, 255);

    c.context->setFillColour(colour);
    c.context->setFillColour(colour);
    EXPECT_EQ(counts.brush, 1u) << "Two equal fill colours in a row must make one brush.";
    c.context->setFillColour(CRgb(10, 20, 30, 0));
    EXPECT_EQ(counts.brush, 2u) << "A colour that differs only in alpha is a different colour.";
    EXPECT_EQ(counts.backColour, 2u) << "The fill colour is also the text background colour.";

    c.context->setLineColour(colour);
    c.context->setLineColour(colour);
    c.context->setLineWidth(1);
    EXPECT_EQ(counts.pen, 1u) << "An equal line colour or width must not replace the pen.";

    c.context->setFont(0, 0);
    c.context->setFont(8, 0);
    EXPECT_EQ(counts.font, 0u) << "setFont with the current font (8 meaning 0) must not make a new one.";
    c.context->setFont(1, 0);
    EXPECT_EQ(counts.font, 1u) << "A new font id must select a new font.";

    c.context->setClipArea(CArea(1, 1, 5, 5));
    c.context->setClipArea(CArea(1, 1, 5, 5));
    EXPECT_EQ(counts.clip, 1u) << "An unchanged clip area must not be applied again.";

    c.context->setFontColour(colour);
    c.context->setFontColour(colour);
    EXPECT_EQ(counts.textColour, 2u) << "The font colour is applied on every call.";
}

TEST(DrawContext, NewContextStartsWithTheDefaults) {
    RasterSurface surface(10, 10);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &surface);
    EXPECT_EQ(context->getLineColour(), toolkit::colourWhite) << "Lines start white.";
    EXPECT_EQ(context->getFillColour(), toolkit::colourBlack) << "Fills start black.";
    EXPECT_EQ(context->getFontColour(), toolkit::colourWhite) << "Text starts white.";
    EXPECT_EQ(context->getLineWidth(), 1) << "The pen starts one pixel wide.";
    EXPECT_EQ(context->getFont(), 0) << "The font starts as font 0.";
    EXPECT_EQ(context->getFontSize(), 12) << "Font 0 is 12 pixels high.";
    EXPECT_EQ(context->getClipArea(), CArea(0, 0, 1000, 1000)) << "Without a frame the clip starts at 1000 x 1000.";
    EXPECT_FALSE(surface.isClipped()) << "The starting clip is only stored, not applied.";
    EXPECT_EQ(surface.pen().colour, 0xFFFFFFu) << "The white pen is in effect on the surface.";
    context->release();
}

TEST(DrawContext, ReleasingAContextPutsTheSurfaceStateBack) {
    RasterSurface surface(10, 10);
    const toolkit::platform::SurfaceState before = surface.saveState();
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &surface);
    context->setFillColour(toolkit::colourRed);
    context->setLineColour(toolkit::colourBlue);
    context->setClipArea(CArea(2, 2, 4, 4));
    context->setFont(3, toolkit::kItalicFace);
    context->release();
    const toolkit::platform::SurfaceState after = surface.saveState();
    EXPECT_EQ(after.brush, before.brush) << "The brush in effect before the context must be back.";
    EXPECT_TRUE(after.pen == before.pen) << "The pen in effect before the context must be back.";
    EXPECT_EQ(after.font, before.font) << "The font in effect before the context must be back.";
    EXPECT_EQ(after.clipped, before.clipped) << "The clip in effect before the context must be back.";
}

TEST(OffscreenContext, NewBufferIsTheBackgroundColourEverywhere) {
    struct Case {
        int32_t w, h;
        CRgb colour;
    } cases[] = {{640, 400, toolkit::colourBlack}, {30, 20, toolkit::colourYellow}, {1, 1, toolkit::colourCyan}};
    for (const Case& c : cases) {
        // Start the pixels in another colour, so that a missed pixel shows.
        COffscreenContext* offscreen = new COffscreenContext(nullptr, c.w, c.h, c.colour);
        RasterSurface* buffer = offscreen->getSurface();
        ASSERT_NE(buffer, nullptr) << "An offscreen context must have a buffer.";
        ASSERT_EQ(buffer->width(), c.w);
        ASSERT_EQ(buffer->height(), c.h);
        EXPECT_EQ(firstMismatch(*buffer, buffer->bounds(), c.colour.toPixel()), "")
            << "A new " << c.w << " x " << c.h << " buffer must be in its background colour, first row and column included.";
        EXPECT_EQ(offscreen->getClipArea(), CArea(0, 0, c.w, c.h)) << "The clip is the buffer.";
        offscreen->release();
    }
}

TEST(OffscreenContext, OutlineCoversTheFirstRowAndColumnOfAColouredBuffer) {
    // The fill leaves row 0 and column 0 alone; the outline must paint them,
    // including the corner pixels, even where the zero pixels would pass as black.
    COffscreenContext* offscreen = new COffscreenContext(nullptr, 7, 5, toolkit::colourMagenta);
    const RasterSurface& b = *offscreen->getSurface();
    for (CSpot p : {CSpot(0, 0), CSpot(6, 0), CSpot(6, 4), CSpot(0, 4), CSpot(3, 0), CSpot(0, 2)})
        EXPECT_EQ(b.pixel(p.x, p.y), 0xFF00FFu) << "Pixel (" << p.x << ", " << p.y << ") of the outline is missing.";
    offscreen->release();
}

TEST(OffscreenContext, NegativeSizeGivesAnEmptyBufferAndAnOrderedClip) {
    COffscreenContext* offscreen = new COffscreenContext(nullptr, -20, 10, toolkit::colourBlack);
    EXPECT_TRUE(offscreen->getSurface()->isEmpty()) << "A negative width must give an empty buffer.";
    EXPECT_EQ(offscreen->getClipArea(), CArea(-20, 0, 0, 10)) << "The clip's edges must be ordered.";
    offscreen->release();
}

TEST(DrawContext, CopyFromCopiesBetweenContexts) {
    COffscreenContext* source = new COffscreenContext(nullptr, 10, 10, toolkit::colourGreen);
    Canvas c(30, 30);
    c.context->drawOffset = CSpot(3, 4);
    c.context->copyFrom(source, CArea(10, 10, 15, 13), CSpot(2, 2));
    EXPECT_EQ(boundsOfOther(c.surface, kBack), CArea(13, 14, 18, 17))
        << "copyFrom must copy the destination area's size to its top-left plus the offset.";
    source->release();
}

// --- fonts and text ------------------------------------------------------------

TEST(Fonts, FontTableRequestsFollowTheIdAndStyleRules) {
    struct Case {
        int32_t id, style;
        int32_t size, weight;
        bool italic, underline;
        const char* family;
    } cases[] = {
        {8, 0, 12, 700, false, false, "Arial"},   // outside the table: font 0
        {-1, 0, 12, 700, false, false, "Arial"},
        {0, 0, 12, 700, false, false, "Arial"},   // always bold
        {3, 0, 12, 400, false, false, "Arial"},
        {3, 1, 12, 700, false, false, "Arial"},
        {1, 2, 18, 400, true, false, "Arial"},
        {6, 4, 9, 400, false, true, "Arial"},
        {7, 0, 13, 400, false, false, "Symbol"},
    };
    for (const Case& c : cases) {
        const auto r = toolkit::platform::fontTableRequest(c.id, c.style);
        EXPECT_EQ(r.pixelHeight, c.size) << "Font " << c.id << " has the wrong height.";
        EXPECT_EQ(r.weight, c.weight) << "Font " << c.id << " with style " << c.style << " has the wrong weight.";
        EXPECT_EQ(r.italic, c.italic) << "Font " << c.id << " with style " << c.style << " has the wrong slant.";
        EXPECT_EQ(r.underline, c.underline) << "Font " << c.id << " with style " << c.style << " has the wrong underline.";
        EXPECT_EQ(r.family, c.family) << "Font " << c.id << " has the wrong face name.";
    }
}

TEST(Fonts, ArialResolvesToABoldTwelvePixelFaceForFontEight) {
    RasterSurface surface(10, 10);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &surface);
    context->setFont(8, 0);
    const toolkit::platform::Font* font = surface.font();
    ASSERT_NE(font, nullptr) << "setFont must select a font into the surface.";
    ASSERT_TRUE(font->isValid()) << "fontconfig must find a face for Arial (fonts-liberation2 provides one).";
    EXPECT_EQ(font->resolvedFamily(), "Liberation Sans") << "Arial must resolve to its metric-compatible face.";
    EXPECT_EQ(font->resolvedWeight(), 700) << "Font id 8 means font 0, which is always bold.";
    EXPECT_EQ(font->request().pixelHeight, 12) << "Font 0 is 12 pixels high.";
    EXPECT_GE(font->lineHeight(), 12) << "A 12-pixel character height gives a cell at least 12 pixels high.";
    EXPECT_LE(font->lineHeight(), 16) << "A 12-pixel character height gives a cell of about 14 pixels.";
    context->release();
}

TEST(Fonts, ItalicStyleGivesAnItalicFace) {
    const auto* font = toolkit::platform::findFont(toolkit::platform::fontTableRequest(2, toolkit::kItalicFace));
    ASSERT_TRUE(font->isValid());
    EXPECT_TRUE(font->resolvedItalic()) << "Style bit 2 must give an italic face.";
    const auto* again = toolkit::platform::findFont(toolkit::platform::fontTableRequest(2, toolkit::kItalicFace));
    EXPECT_EQ(font, again) << "The same request must answer the cached font.";
}

namespace {

// Draws "Hi" in white on black into an area and answers the bounding box of
// the lit pixels.
CArea textBox(int32_t alignment, const CArea& area, bool opaque = false, CRgb fill = toolkit::colourBlack) {
    RasterSurface surface(200, 60);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &surface);
    context->setFont(3, 0);
    context->setFontColour(toolkit::colourWhite);
    context->setFillColour(fill);
    context->drawString("Hi", area, opaque, alignment);
    context->release();
    return boundsOfOther(surface, 0x000000);
}

}  // namespace

TEST(DrawString, AlignmentPlacesTheTextInItsArea) {
    const CArea area(20, 10, 120, 40);
    const CArea left = textBox(0, area);
    ASSERT_FALSE(left.isEmpty()) << "drawString must draw something.";
    const int32_t textWidth = left.width();

    // "H" has no left side bearing worth a pixel in Liberation Sans at 12 px:
    // its stem starts at the pen position or one pixel after it.
    EXPECT_GE(left.left, 21) << "Alignment 0 starts one pixel right of the area's left edge.";
    EXPECT_LE(left.left, 22) << "Alignment 0 starts the text at the left edge plus one pixel.";
    EXPECT_EQ(textBox(5, area), left) << "Alignment 5 behaves as alignment 0.";

    const CArea centre = textBox(1, area);
    const int32_t centreMid = (centre.left + centre.right) / 2;
    EXPECT_LE(std::abs(centreMid - 70), 2) << "Alignment 1 centres the text; its middle is at " << centreMid << ".";
    EXPECT_EQ(centre.width(), textWidth) << "Alignment does not change the text.";

    const CArea right = textBox(2, area);
    EXPECT_GE(right.right, 117) << "Alignment 2 puts the text against the right edge.";
    EXPECT_LE(right.right, 120) << "Right-aligned text must stay inside the area.";

    const int32_t mid = (left.top + left.bottom) / 2;
    EXPECT_LE(std::abs(mid - 25), 2) << "The text is centred vertically; its middle is at " << mid << ".";
}

TEST(DrawString, TextIsClippedToItsArea) {
    const CArea area(20, 10, 26, 40);  // narrower than the text
    const CArea box = textBox(0, area);
    EXPECT_GE(box.left, area.left) << "No text pixel may lie left of the area.";
    EXPECT_LE(box.right, area.right) << "No text pixel may lie right of the area.";
}

TEST(DrawString, OpaqueTextPaintsItsCellInTheFillColour) {
    const CArea area(20, 10, 120, 40);
    RasterSurface surface(200, 60);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &surface);
    context->setFont(3, 0);
    context->setFillColour(toolkit::colourBlue);
    context->drawString("Hi", area, true, 0);
    const CArea cell = boundsOfOther(surface, 0x000000);
    EXPECT_FALSE(cell.isEmpty()) << "An opaque string must paint its cell.";
    EXPECT_EQ(cell.left, 21) << "The cell starts at the text, one pixel in.";
    EXPECT_EQ(surface.pixel(cell.left, cell.top), 0x0000FFu) << "The cell is painted in the fill colour.";
    EXPECT_FALSE(surface.backOpaque()) << "After drawing, the surface leaves text backgrounds alone again.";

    RasterSurface plain(200, 60);
    CDrawContext* second = new CDrawContext(nullptr, nullptr, &plain);
    second->setFont(3, 0);
    second->setFillColour(toolkit::colourBlue);
    second->drawString("Hi", area, false, 0);
    EXPECT_EQ(countColour(plain, plain.bounds(), 0x0000FF), 0) << "Transparent text must not paint its cell.";
    second->release();
    context->release();
}

TEST(DrawString, NullTextDrawsNothing) {
    Canvas c(20, 20);
    c.context->drawString(nullptr, CArea(0, 0, 20, 20), true, 0);
    EXPECT_FALSE(c.surface.hasChanged()) << "A null text must not touch the surface.";
}

TEST(DrawString, GlyphsAreAntialiasedInTheFontColour) {
    RasterSurface surface(200, 60);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &surface);
    context->setFont(1, 0);
    context->setFontColour(CRgb(255, 0, 0, 255));
    context->drawString("Ov", CArea(0, 0, 200, 60), false, 0);
    int full = 0;
    int partial = 0;
    for (int32_t y = 0; y < 60; ++y)
        for (int32_t x = 0; x < 200; ++x) {
            const uint32_t p = surface.pixel(x, y);
            EXPECT_EQ(p & 0x00FFFF, 0u) << "Text in pure red on black may only contain shades of red.";
            if (p == 0xFF0000) ++full;
            else if (p != 0) ++partial;
        }
    EXPECT_GT(full, 0) << "Some pixels must be fully covered.";
    EXPECT_GT(partial, 0) << "Curved glyphs must have partly covered, blended edge pixels.";
    context->release();
}
