// The raster surface's pixel conventions: exact fills and clips, lines that
// leave out their end point, and copies that read only inside their source.
#include <gtest/gtest.h>

#include <vector>

#include "tests/toolkit/pixel_helpers.h"
#include "toolkit/platform/raster_surface.h"

using toolkit::CArea;
using toolkit::CSpot;
using toolkit::platform::Pen;
using toolkit::platform::RasterSurface;
using toolkit_test::countColour;
using toolkit_test::describe;
using toolkit_test::firstMismatch;

namespace {

constexpr uint32_t kBack = 0x102030;
constexpr uint32_t kInk = 0xFF8000;

RasterSurface surfaceOf(int32_t w, int32_t h, uint32_t colour = kBack) {
    RasterSurface s(w, h);
    s.fillAll(colour);
    s.clearChangedArea();
    return s;
}

// A source image whose every pixel tells its own position: 0x00XXYY (+1 so
// no pixel is black).
RasterSurface positionImage(int32_t w, int32_t h) {
    RasterSurface s(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) s.setPixel(x, y, (uint32_t(x + 1) << 8) | uint32_t(y + 1));
    return s;
}

}  // namespace

TEST(RasterSurface, FillRectFillsExactlyItsHalfOpenRectangle) {
    RasterSurface s = surfaceOf(20, 20);
    s.setBrush(kInk);
    s.fillRect(CArea(2, 3, 5, 7));
    EXPECT_EQ(firstMismatch(s, CArea(2, 3, 5, 7), kInk), "") << "Every pixel of the rectangle must be filled.";
    EXPECT_EQ(countColour(s, s.bounds(), kInk), 3 * 4) << "No pixel outside [2,5) x [3,7) may be filled.";
    EXPECT_EQ(s.changedArea(), CArea(2, 3, 5, 7)) << "The changed area must be the filled rectangle.";
}

TEST(RasterSurface, ClipIsExactlyTheClipArea) {
    RasterSurface s = surfaceOf(20, 20);
    s.setBrush(kInk);
    s.setClip(CArea(4, 5, 9, 11));
    s.fillRect(CArea(0, 0, 20, 20));
    EXPECT_EQ(toolkit_test::boundsOfOther(s, kBack), CArea(4, 5, 9, 11)) << "Drawing must stop exactly at the clip.";
    s.clearClip();
    s.fillRect(CArea(-5, -5, 100, 100));
    EXPECT_EQ(firstMismatch(s, s.bounds(), kInk), "") << "Without a clip the whole surface can be drawn.";
}

TEST(RasterSurface, AnInvertedClipHoldsNoPixel) {
    RasterSurface s = surfaceOf(10, 10);
    s.setBrush(kInk);
    s.setClip(CArea(8, 8, 2, 2));
    s.fillRect(CArea(0, 0, 10, 10));
    EXPECT_EQ(countColour(s, s.bounds(), kInk), 0) << "A clip whose edges are reversed must let nothing through.";
}

TEST(RasterSurface, LinesLeaveOutTheirEndPoint) {
    struct Case {
        const char* name;
        CSpot from, to;
        std::vector<CSpot> pixels;
    } cases[] = {
        {"rightwards", {2, 5}, {6, 5}, {{2, 5}, {3, 5}, {4, 5}, {5, 5}}},
        {"leftwards", {6, 5}, {2, 5}, {{6, 5}, {5, 5}, {4, 5}, {3, 5}}},
        {"downwards", {3, 1}, {3, 4}, {{3, 1}, {3, 2}, {3, 3}}},
        {"upwards", {3, 4}, {3, 1}, {{3, 4}, {3, 3}, {3, 2}}},
        {"diagonal", {0, 0}, {3, 3}, {{0, 0}, {1, 1}, {2, 2}}},
        {"anti-diagonal", {3, 0}, {0, 3}, {{3, 0}, {2, 1}, {1, 2}}},
        {"zero length", {4, 4}, {4, 4}, {}},
        {"one step", {4, 4}, {5, 4}, {{4, 4}}},
    };
    for (const Case& c : cases) {
        RasterSurface s = surfaceOf(10, 10);
        s.setPen(Pen{kInk, 1});
        s.moveTo(c.from);
        s.lineTo(c.to);
        for (const CSpot& p : c.pixels)
            EXPECT_EQ(s.pixel(p.x, p.y), kInk) << "The " << c.name << " line must set (" << p.x << ", " << p.y << ").";
        EXPECT_EQ(countColour(s, s.bounds(), kInk), int(c.pixels.size()))
            << "The " << c.name << " line must set only its own pixels and leave out its end point.";
        EXPECT_EQ(s.currentPosition(), c.to) << "The current position must move to the end point.";
    }
}

TEST(RasterSurface, SlantedLineStepsOnePixelPerMajorAxisStep) {
    RasterSurface s = surfaceOf(20, 10);
    s.setPen(Pen{kInk, 1});
    s.moveTo(CSpot(0, 0));
    s.lineTo(CSpot(10, 3));
    EXPECT_EQ(countColour(s, s.bounds(), kInk), 10) << "A line ten columns long must set one pixel in each column.";
    for (int32_t x = 0; x < 10; ++x)
        EXPECT_EQ(countColour(s, CArea(x, 0, x + 1, 10), kInk), 1) << "Column " << x << " must hold one pixel.";
    EXPECT_EQ(s.pixel(0, 0), kInk) << "The start point is drawn.";
    EXPECT_NE(s.pixel(10, 3), kInk) << "The end point is not drawn.";
    for (int32_t x = 0; x < 10; ++x) {
        int32_t y = 0;
        while (y < 10 && s.pixel(x, y) != kInk) ++y;
        const double ideal = 3.0 * x / 10.0;
        EXPECT_LE(std::abs(double(y) - ideal), 0.5) << "Column " << x << " must hold the pixel nearest to the line.";
    }
}

TEST(RasterSurface, OutlineDrawnPointToPointSetsEveryBorderPixelOnce) {
    // The convention the toolkit relies on for outlines: moveTo (0, 0), then
    // lineTo the three other corners and back.
    RasterSurface s = surfaceOf(8, 6);
    s.setPen(Pen{kInk, 1});
    s.moveTo(CSpot(0, 0));
    s.lineTo(CSpot(7, 0));
    s.lineTo(CSpot(7, 5));
    s.lineTo(CSpot(0, 5));
    s.lineTo(CSpot(0, 0));
    EXPECT_EQ(countColour(s, s.bounds(), kInk), 2 * 8 + 2 * 6 - 4) << "Every border pixel must be set.";
    EXPECT_EQ(firstMismatch(s, CArea(1, 1, 7, 5), kBack), "") << "The inside must stay untouched.";
}

TEST(RasterSurface, WiderPenIsCentredOnTheLine) {
    RasterSurface s = surfaceOf(12, 12);
    s.setPen(Pen{kInk, 3});
    s.moveTo(CSpot(2, 5));
    s.lineTo(CSpot(8, 5));
    // The path is x 2 to 7 (the end point left out); each step covers one
    // pixel on either side.
    EXPECT_EQ(toolkit_test::boundsOfOther(s, kBack), CArea(1, 4, 9, 7))
        << "A 3-pixel pen must cover one row above and one below the line, and one column on either side.";
}

TEST(RasterSurface, LinesAreClipped) {
    RasterSurface s = surfaceOf(10, 10);
    s.setPen(Pen{kInk, 1});
    s.setClip(CArea(3, 0, 6, 10));
    s.moveTo(CSpot(-100, 4));
    s.lineTo(CSpot(100, 4));
    EXPECT_EQ(toolkit_test::boundsOfOther(s, kBack), CArea(3, 4, 6, 5)) << "A line must stop at the clip.";
}

TEST(RasterSurface, OpaqueCopyReadsOnlyInsideTheSource) {
    const RasterSurface source = positionImage(4, 5);
    struct Case {
        const char* name;
        CArea dst;
        CSpot from;
        CArea expectedChanged;
    } cases[] = {
        {"inside", {10, 10, 12, 13}, {1, 1}, {10, 10, 12, 13}},
        {"one row past the end", {10, 10, 14, 13}, {0, 3}, {10, 10, 14, 12}},
        {"past the right edge", {10, 10, 14, 12}, {2, 0}, {10, 10, 12, 12}},
        {"from above and left", {10, 10, 14, 14}, {-2, -1}, {12, 11, 14, 14}},
        {"wholly outside", {10, 10, 14, 14}, {4, 0}, {}},
    };
    for (const Case& c : cases) {
        RasterSurface s = surfaceOf(20, 20);
        s.copyFrom(source, c.dst, c.from);
        EXPECT_EQ(s.changedArea(), c.expectedChanged) << "Copy " << c.name << " changed " << describe(s.changedArea())
                                                      << ".";
        EXPECT_EQ(toolkit_test::boundsOfOther(s, kBack), c.expectedChanged)
            << "Copy " << c.name << " must leave every destination pixel outside the source's part unchanged.";
        for (int32_t y = c.expectedChanged.top; y < c.expectedChanged.bottom; ++y)
            for (int32_t x = c.expectedChanged.left; x < c.expectedChanged.right; ++x)
                ASSERT_EQ(s.pixel(x, y), source.pixel(c.from.x + x - c.dst.left, c.from.y + y - c.dst.top))
                    << "Copy " << c.name << " put the wrong source pixel at (" << x << ", " << y << ").";
    }
}

TEST(RasterSurface, KeyedCopyLeavesKeyPixelsAndCopiesNearKeyPixels) {
    RasterSurface source(3, 1);
    source.setPixel(0, 0, 0xFFFFFF);  // the key: stays
    source.setPixel(1, 0, 0xFFFFFE);  // one step from the key: copied
    source.setPixel(2, 0, 0x000000);
    RasterSurface s = surfaceOf(3, 1);
    s.copyKeyed(source, CArea(0, 0, 3, 1), CSpot(0, 0), 0xFFFFFF);
    EXPECT_EQ(s.pixel(0, 0), kBack) << "A pixel equal to the key must leave the destination unchanged.";
    EXPECT_EQ(s.pixel(1, 0), 0xFFFFFEu) << "A pixel (255, 255, 254) is not the key and must be copied.";
    EXPECT_EQ(s.pixel(2, 0), 0x000000u) << "Other pixels must be copied.";
}

TEST(RasterSurface, ConstantAlphaBlendsSourceOverDestination) {
    RasterSurface source(1, 1);
    source.setPixel(0, 0, 0xFF0080);
    struct Case {
        uint8_t alpha;
        uint32_t expected;
    } cases[] = {{255, 0xFF0080}, {0, 0x000000}, {128, 0x800040}};
    for (const Case& c : cases) {
        RasterSurface s = surfaceOf(1, 1, 0x000000);
        s.blendConstant(source, CArea(0, 0, 1, 1), CSpot(0, 0), c.alpha);
        EXPECT_EQ(s.pixel(0, 0), c.expected) << "Blending at alpha " << int(c.alpha) << " gave "
                                             << toolkit_test::hex(s.pixel(0, 0)) << ".";
    }
}

TEST(RasterSurface, CopyWithinOneSurfaceHandlesOverlap) {
    RasterSurface s = positionImage(10, 10);
    const RasterSurface reference = positionImage(10, 10);
    s.copyFrom(s, CArea(2, 2, 10, 10), CSpot(0, 0));  // down and right, overlapping
    for (int32_t y = 2; y < 10; ++y)
        for (int32_t x = 2; x < 10; ++x)
            ASSERT_EQ(s.pixel(x, y), reference.pixel(x - 2, y - 2))
                << "An overlapping copy must read every source pixel before it is overwritten.";
}

TEST(RasterSurface, SurfaceOverCallerMemoryHonoursItsStride) {
    std::vector<uint32_t> memory(8 * 4, 0xABCDEF);
    RasterSurface s(memory.data(), 5, 4, 8);
    s.setBrush(kInk);
    s.fillRect(CArea(0, 0, 100, 100));
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(memory[size_t(y * 8 + x)], kInk) << "Pixels inside are drawn.";
        for (int32_t x = 5; x < 8; ++x)
            EXPECT_EQ(memory[size_t(y * 8 + x)], 0xABCDEFu) << "The padding past the width must stay untouched.";
    }
}
