// Uncompressed 24-bit BMP decoding with every size checked against the data.
#include "toolkit/platform/bmp_decoder.h"

#include <cstdint>
#include <limits>

#include "toolkit/platform/raster_surface.h"

namespace toolkit::platform {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr int64_t kMaxSide = 16384;

uint16_t read16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t read32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

bool decodeBmp(const uint8_t* data, size_t size, RasterSurface& out) {
    if (!data || size < kFileHeaderSize + kInfoHeaderSize) return false;
    if (data[0] != 'B' || data[1] != 'M') return false;
    const uint32_t pixelOffset = read32(data + 10);
    const uint8_t* info = data + kFileHeaderSize;
    const uint32_t infoSize = read32(info);
    // The 40-byte header and its longer successors (52, 56, 108, 124 bytes)
    // start with the same fields; the 12-byte core header is not accepted.
    if (infoSize < kInfoHeaderSize || infoSize > size - kFileHeaderSize) return false;
    const int64_t width = int32_t(read32(info + 4));
    const int64_t rawHeight = int32_t(read32(info + 8));
    const uint16_t planes = read16(info + 12);
    const uint16_t bitCount = read16(info + 14);
    const uint32_t compression = read32(info + 16);
    if (planes != 1 || bitCount != 24 || compression != 0) return false;
    if (width <= 0 || width > kMaxSide || rawHeight == 0 || rawHeight < -kMaxSide || rawHeight > kMaxSide) return false;
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -rawHeight : rawHeight;

    const int64_t rowBytes = (width * 3 + 3) / 4 * 4;
    if (pixelOffset < kFileHeaderSize + infoSize) return false;
    if (int64_t(pixelOffset) + rowBytes * height > int64_t(size)) return false;

    RasterSurface image{int32_t(width), int32_t(height)};
    const uint8_t* pixelsStart = data + pixelOffset;
    for (int64_t y = 0; y < height; ++y) {
        const int64_t fileRow = topDown ? y : height - 1 - y;
        const uint8_t* src = pixelsStart + fileRow * rowBytes;
        uint32_t* dst = image.row(int32_t(y));
        for (int64_t x = 0; x < width; ++x) {
            const uint8_t* p = src + x * 3;  // blue, green, red
            dst[x] = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | uint32_t(p[0]);
        }
    }
    image.clearChangedArea();
    out = std::move(image);
    return true;
}

}  // namespace toolkit::platform
