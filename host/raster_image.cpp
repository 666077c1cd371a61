#include "host/raster_image.h"

#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <csetjmp>

#include "host/atomic_output.h"
#include "host/host_error.h"

RasterImage::RasterImage(int width, int height, Rgb background)
    : w(std::max(width, 1)), h(std::max(height, 1)), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), background) {}

void RasterImage::set(int x, int y, Rgb colour) {
    if (x >= 0 && y >= 0 && x < w && y < h) {
        pixels[index(x, y)] = colour;
    }
}

void RasterImage::blend(int x, int y, Rgb colour, double opacity) {
    if (x < 0 || y < 0 || x >= w || y >= h) {
        return;
    }
    Rgb& pixel = pixels[index(x, y)];
    const double keep = 1.0 - opacity;
    auto mix = [&](uint8_t old, uint8_t add) {
        return static_cast<uint8_t>(std::lround(std::clamp(old * keep + add * opacity, 0.0, 255.0)));
    };
    pixel = {mix(pixel.r, colour.r), mix(pixel.g, colour.g), mix(pixel.b, colour.b)};
}

void RasterImage::fillRect(int x, int y, int width, int height, Rgb colour) {
    for (int row = std::max(y, 0); row < std::min(y + height, h); ++row) {
        for (int column = std::max(x, 0); column < std::min(x + width, w); ++column) {
            pixels[index(column, row)] = colour;
        }
    }
}

void RasterImage::frameRect(int x, int y, int width, int height, Rgb colour) {
    fillRect(x, y, width, 1, colour);
    fillRect(x, y + height - 1, width, 1, colour);
    fillRect(x, y, 1, height, colour);
    fillRect(x + width - 1, y, 1, height, colour);
}

namespace {

// libpng reports errors by jumping back to the setjmp point; only plain data
// lives across it.
bool encodePng(std::FILE* file, int width, int height, const std::vector<Rgb>& pixels) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    static_assert(sizeof(Rgb) == 3);
    for (int row = 0; row < height; ++row) {
        const Rgb* line = pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
        png_write_row(png, reinterpret_cast<png_const_bytep>(line));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

void RasterImage::writePng(const std::string& path) const {
    AtomicOutput output(path);
    std::FILE* file = ::fdopen(::dup(output.descriptor()), "wb");
    if (file == nullptr) {
        throw HostError("cannot write " + path + ": the file could not be opened");
    }
    const bool written = encodePng(file, w, h, pixels);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        throw HostError("cannot write " + path + ": the picture could not be encoded");
    }
    output.commit();
}
