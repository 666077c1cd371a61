// A plain RGB picture in memory, the few drawing operations the spectrogram
// needs, and PNG output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
};

class RasterImage {
public:
    RasterImage(int width, int height, Rgb background);

    int width() const { return w; }
    int height() const { return h; }
    Rgb at(int x, int y) const { return pixels[index(x, y)]; }

    // Drawing clips to the picture: coordinates outside it are skipped.
    void set(int x, int y, Rgb colour);
    void blend(int x, int y, Rgb colour, double opacity);
    void fillRect(int x, int y, int width, int height, Rgb colour);
    void frameRect(int x, int y, int width, int height, Rgb colour);

    // Writes the picture as an 8-bit RGB PNG, whole or not at all. Throws HostError.
    void writePng(const std::string& path) const;

private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x); }
    int w;
    int h;
    std::vector<Rgb> pixels;
};
