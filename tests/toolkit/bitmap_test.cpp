// Bitmaps: the embedded resources, the BMP decoder's checks, and the three
// ways of drawing a bitmap, none of which reads outside it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/toolkit/pixel_helpers.h"
#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"
#include "toolkit/platform/bmp_decoder.h"
#include "toolkit/platform/platform.h"
#include "toolkit/platform/raster_surface.h"

using toolkit::CArea;
using toolkit::CBitmap;
using toolkit::CDrawContext;
using toolkit::CSpot;
using toolkit::platform::RasterSurface;
using toolkit_test::boundsOfOther;
using toolkit_test::describe;

namespace {

constexpr uint32_t kBack = 0x204060;

// A BMP file in memory. Pixel (x, y) (top row 0) is given by `colour`.
std::vector<uint8_t> makeBmp(int32_t w, int32_t h, bool topDown, uint32_t (*colour)(int32_t, int32_t),
                             uint16_t bitCount = 24, uint32_t compression = 0, uint32_t infoSize = 40) {
    const int32_t rowBytes = (w * 3 + 3) / 4 * 4;
    const uint32_t offset = 14 + infoSize;
    std::vector<uint8_t> file(offset + size_t(rowBytes) * size_t(h), 0);
    auto put16 = [&](size_t at, uint32_t v) {
        file[at] = uint8_t(v);
        file[at + 1] = uint8_t(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, uint32_t(file.size()));
    put32(10, offset);
    put32(14, infoSize);
    put32(18, uint32_t(w));
    put32(22, uint32_t(topDown ? -h : h));
    put16(26, 1);
    put16(28, bitCount);
    put32(30, compression);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = file.data() + offset + size_t(topDown ? y : h - 1 - y) * size_t(rowBytes);
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t p = colour(x, y);
            row[x * 3] = uint8_t(p);
            row[x * 3 + 1] = uint8_t(p >> 8);
            row[x * 3 + 2] = uint8_t(p >> 16);
        }
    }
    return file;
}

uint32_t gradient(int32_t x, int32_t y) { return uint32_t(0x010000 * (x + 1) + 0x000100 * (y + 1) + 0x7F); }

RasterSurface surfaceOf(int32_t w, int32_t h) {
    RasterSurface s(w, h);
    s.fillAll(kBack);
    s.clearChangedArea();
    return s;
}

}  // namespace

TEST(BmpDecoder, ReadsBottomUpAndTopDownRowsTheSameWay) {
    for (bool topDown : {false, true}) {
        const auto file = makeBmp(5, 3, topDown, gradient);  // 15-byte rows: padded to 16
        RasterSurface image;
        ASSERT_TRUE(toolkit::platform::decodeBmp(file.data(), file.size(), image))
            << "A valid " << (topDown ? "top-down" : "bottom-up") << " file must decode.";
        ASSERT_EQ(image.width(), 5);
        ASSERT_EQ(image.height(), 3);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 5; ++x)
                EXPECT_EQ(image.pixel(x, y), gradient(x, y))
                    << "Pixel (" << x << ", " << y << ") of a " << (topDown ? "top-down" : "bottom-up")
                    << " file is wrong.";
    }
}

TEST(BmpDecoder, AcceptsLongerInfoHeaders) {
    const auto file = makeBmp(2, 2, false, gradient, 24, 0, 124);
    RasterSurface image;
    EXPECT_TRUE(toolkit::platform::decodeBmp(file.data(), file.size(), image))
        << "A 124-byte info header with 24-bit uncompressed pixels must decode.";
}

TEST(BmpDecoder, RejectsAnythingButSoundUncompressed24BitFiles) {
    const auto good = makeBmp(4, 4, false, gradient);
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
    };
    std::vector<Case> cases;
    cases.push_back({"32 bits per pixel", makeBmp(4, 4, false, gradient, 32)});
    cases.push_back({"8 bits per pixel", makeBmp(4, 4, false, gradient, 8)});
    cases.push_back({"run-length compressed", makeBmp(4, 4, false, gradient, 24, 1)});
    cases.push_back({"core header", makeBmp(4, 4, false, gradient, 24, 0, 12)});
    auto truncated = good;
    truncated.resize(good.size() - 1);
    cases.push_back({"one byte short", truncated});
    auto badMagic = good;
    badMagic[0] = 'X';
    cases.push_back({"wrong signature", badMagic});
    auto hugeWidth = good;
    hugeWidth[18] = 0xFF, hugeWidth[19] = 0xFF, hugeWidth[20] = 0xFF, hugeWidth[21] = 0x7F;
    cases.push_back({"huge width", hugeWidth});
    auto minHeight = good;
    minHeight[22] = 0, minHeight[23] = 0, minHeight[24] = 0, minHeight[25] = 0x80;
    cases.push_back({"most negative height", minHeight});
    auto zeroWidth = good;
    zeroWidth[18] = zeroWidth[19] = zeroWidth[20] = zeroWidth[21] = 0;
    cases.push_back({"zero width", zeroWidth});
    auto offsetPast = good;
    offsetPast[10] = 0xF0, offsetPast[11] = 0xFF, offsetPast[12] = 0xFF, offsetPast[13] = 0x7F;
    cases.push_back({"pixel offset past the end", offsetPast});
    auto infoPast = good;
    infoPast[14] = 0xFF, infoPast[15] = 0xFF, infoPast[16] = 0;
    cases.push_back({"info header past the end", infoPast});
    cases.push_back({"only the file header", std::vector<uint8_t>(good.begin(), good.begin() + 14)});

    for (const Case& c : cases) {
        RasterSurface image(3, 3);
        EXPECT_FALSE(toolkit::platform::decodeBmp(c.file.data(), c.file.size(), image))
            << "A file with " << c.name << " must be rejected.";
        EXPECT_EQ(image.width(), 3) << "A rejected file must leave the output as it was (" << c.name << ").";
    }
    RasterSurface image;
    EXPECT_FALSE(toolkit::platform::decodeBmp(nullptr, 100, image)) << "No data must be rejected.";
}

TEST(Resources, TheLibraryHoldsTheFourBitmapsWithTheirSizes) {
    struct Case {
        int32_t id, width, height;
    } cases[] = {{1, 46, 1848}, {100, 52, 1874}, {128, 640, 400}, {129, 27, 36}};
    for (const Case& c : cases) {
        CBitmap* bitmap = new CBitmap(c.id);
        EXPECT_TRUE(bitmap->isLoaded()) << "Resource " << c.id << " must load.";
        EXPECT_EQ(bitmap->getWidth(), c.width) << "Resource " << c.id << " has the wrong width.";
        EXPECT_EQ(bitmap->getHeight(), c.height) << "Resource " << c.id << " has the wrong height.";
        EXPECT_EQ(bitmap->getResourceId(), c.id);
        bitmap->release();
    }
}

TEST(Resources, UnknownIdAnswersFalseAndLeavesTheBitmapEmpty) {
    CBitmap* bitmap = new CBitmap(128);
    ASSERT_TRUE(bitmap->isLoaded());
    for (int32_t id : {0, 2, 127, 130, -1}) {
        EXPECT_FALSE(bitmap->loadFromResource(id)) << "Resource " << id << " is not in the library.";
        EXPECT_EQ(bitmap->getWidth(), 0) << "A failed load must leave the width 0.";
        EXPECT_EQ(bitmap->getHeight(), 0) << "A failed load must leave the height 0.";
        EXPECT_TRUE(bitmap->loadFromResource(128)) << "Loading a known id again must work.";
    }
    EXPECT_FALSE(bitmap->loadFromSource("/tmp/anything.bmp")) << "Loading from another source is not supported.";
    EXPECT_FALSE(bitmap->isLoaded()) << "loadFromSource must unload the bitmap.";
    EXPECT_EQ(toolkit::platform::findBitmapResource(nullptr, 55).data, nullptr) << "An unknown id has no bytes.";
    bitmap->release();
}

namespace {

// A bitmap whose pixels tell their own position, 4 wide and 6 high.
CBitmap* positionBitmap() {
    RasterSurface pixels(4, 6);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 4; ++x) pixels.setPixel(x, y, 0x010000u * uint32_t(x + 1) + uint32_t(y + 1));
    return new CBitmap(std::move(pixels));
}

}  // namespace

TEST(Bitmap, SourceRectangleReachingPastTheEndDrawsNothingFromOutside) {
    // A film-strip knob at its last image asks for one row more than the strip holds.
    CBitmap* bitmap = positionBitmap();
    RasterSurface surface = surfaceOf(20, 20);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &surface);
    context->drawOffset = CSpot(1, 1);
    bitmap->drawBitmap(context, CArea(5, 5, 9, 8), CSpot(0, 4));  // rows 4, 5 and the missing 6
    EXPECT_EQ(boundsOfOther(surface, kBack), CArea(6, 6, 10, 8))
        << "Only the two rows inside the bitmap may be drawn; the row past its end stays as it was.";
    EXPECT_EQ(surface.pixel(6, 6), 0x010005u) << "The first drawn row is the bitmap's row 4.";
    EXPECT_EQ(surface.pixel(9, 7), 0x040006u) << "The last drawn row is the bitmap's row 5.";
    context->release();
    bitmap->release();
}

TEST(Bitmap, TransparentDrawKeepsPureWhiteAndCopiesNearWhite) {
    RasterSurface pixels(2, 1);
    pixels.setPixel(0, 0, 0xFFFFFF);
    pixels.setPixel(1, 0, 0xFFFFFE);
    CBitmap* bitmap = new CBitmap(std::move(pixels));
    EXPECT_EQ(bitmap->getTransparentColour(), toolkit::colourClearWhite) << "The key is clear white.";
    RasterSurface surface = surfaceOf(4, 4);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &surface);
    bitmap->drawTransparent(context, CArea(1, 1, 3, 2), CSpot(0, 0));
    EXPECT_EQ(surface.pixel(1, 1), kBack) << "A pure white pixel must leave the destination unchanged.";
    EXPECT_EQ(surface.pixel(2, 1), 0xFFFFFEu) << "A (255, 255, 254) pixel must be copied.";
    context->release();
    bitmap->release();
}

TEST(Bitmap, AlphaDrawBlendsWithConstantOpacity) {
    RasterSurface pixels(1, 1);
    pixels.setPixel(0, 0, 0xFFFFFF);
    CBitmap* bitmap = new CBitmap(std::move(pixels));
    RasterSurface surface(2, 1);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &surface);
    bitmap->drawAlpha(context, CArea(0, 0, 1, 1), CSpot(0, 0), 51);
    EXPECT_EQ(surface.pixel(0, 0), 0x333333u) << "White at opacity 51 over black gives (51, 51, 51).";
    EXPECT_EQ(surface.pixel(1, 0), 0u) << "Pixels outside the area stay.";
    context->release();
    bitmap->release();
}

TEST(Bitmap, AnEmptyBitmapDrawsNothing) {
    CBitmap* bitmap = new CBitmap(4242);
    EXPECT_FALSE(bitmap->isLoaded());
    RasterSurface surface = surfaceOf(10, 10);
    CDrawContext* context = new CDrawContext(nullptr, nullptr, &surface);
    bitmap->drawBitmap(context, CArea(0, 0, 10, 10), CSpot(0, 0));
    bitmap->drawTransparent(context, CArea(0, 0, 10, 10), CSpot(0, 0));
    bitmap->drawAlpha(context, CArea(0, 0, 10, 10), CSpot(0, 0), 255);
    EXPECT_FALSE(surface.hasChanged()) << "Drawing an empty bitmap must not touch the surface.";
    context->release();
    bitmap->release();
}
