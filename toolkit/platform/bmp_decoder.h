// Decoding of uncompressed 24-bit BMP files into raster surfaces.
#pragma once

#include <cstddef>
#include <cstdint>

namespace toolkit::platform {

class RasterSurface;

// Decodes a BMP file held in memory: a file header, an info header of 40
// bytes or one of its longer successors, no compression, 24 bits per pixel,
// rows bottom-up (positive height) or top-down (negative height), each row
// padded to 4 bytes. Anything else, and any file whose declared sizes do not
// fit in the bytes given, is rejected: the answer is false and `out` is left
// as it was. Sizes up to 16384 pixels a side are accepted.
bool decodeBmp(const uint8_t* data, size_t size, RasterSurface& out);

}  // namespace toolkit::platform
