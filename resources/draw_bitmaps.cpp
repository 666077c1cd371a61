// Draws the editor's four bitmaps and writes them as 24-bit BMP files into the
// folder given as the only argument. The build runs it and embeds the files in
// the plug-in library; each image has the size and division that the editor
// expects (knob strips of equally high images, the button's two states).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Image {
    int width;
    int height;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first

    Image(int w, int h, uint32_t colour) : width(w), height(h), pixels(size_t(w) * size_t(h), colour) {}

    void set(int x, int y, uint32_t colour) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[size_t(y) * size_t(width) + size_t(x)] = colour;
    }
    void fill(int left, int top, int right, int bottom, uint32_t colour) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) set(x, y, colour);
    }
};

uint32_t rgb(int r, int g, int b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }

uint32_t mix(uint32_t a, uint32_t b, double t) {
    auto channel = [&](int shift) {
        const double va = double((a >> shift) & 0xFF);
        const double vb = double((b >> shift) & 0xFF);
        return uint32_t(std::lround(va + (vb - va) * t)) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

bool writeBmp(const std::string& path, const Image& image) {
    const int rowBytes = (image.width * 3 + 3) / 4 * 4;
    const uint32_t dataSize = uint32_t(rowBytes) * uint32_t(image.height);
    const uint32_t fileSize = 54 + dataSize;
    std::vector<uint8_t> file(fileSize, 0);
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
    put32(2, fileSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(image.width));
    put32(22, uint32_t(image.height));  // positive: bottom-up rows
    put16(26, 1);
    put16(28, 24);
    put32(34, dataSize);
    put32(38, 2835);  // 72 dots per inch
    put32(42, 2835);
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = file.data() + 54 + size_t(image.height - 1 - y) * size_t(rowBytes);
        for (int x = 0; x < image.width; ++x) {
            const uint32_t p = image.pixels[size_t(y) * size_t(image.width) + size_t(x)];
            row[x * 3 + 0] = uint8_t(p);
            row[x * 3 + 1] = uint8_t(p >> 8);
            row[x * 3 + 2] = uint8_t(p >> 16);
        }
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

// One knob image: a disc with a pointer from 225 degrees (value 0) clockwise
// to -45 degrees (value 1).
void drawKnob(Image& image, int top, int size, int imageHeight, double value, uint32_t back) {
    const double cx = (size - 1) / 2.0;
    const double cy = top + (imageHeight - 1) / 2.0;
    const double radius = size / 2.0 - 3.0;
    for (int y = top; y < top + imageHeight && y < image.height; ++y) {
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x - cx, y - cy);
            if (d <= radius) {
                const double shade = 0.35 + 0.4 * (1.0 - (y - (cy - radius)) / (2.0 * radius));
                image.set(x, y, mix(rgb(40, 44, 48), rgb(200, 205, 210), shade));
            } else if (d <= radius + 1.0) {
                image.set(x, y, rgb(20, 20, 20));
            } else {
                image.set(x, y, back);
            }
        }
    }
    const double pi = 3.14159265358979323846;
    const double angle = (225.0 - 270.0 * value) * pi / 180.0;
    for (double r = radius * 0.25; r <= radius - 1.0; r += 0.25) {
        const int x = int(std::lround(cx + r * std::cos(angle)));
        const int y = int(std::lround(cy - r * std::sin(angle)));
        image.set(x, y, rgb(255, 255, 255));
        image.set(x + 1, y, rgb(255, 255, 255));
    }
}

Image knobStrip(int width, int height, int count, int imageHeight, int knobSize) {
    const uint32_t back = rgb(58, 64, 70);
    Image image(width, height, back);
    for (int i = 0; i < count; ++i) drawKnob(image, i * imageHeight, knobSize, imageHeight, double(i) / (count - 1), back);
    return image;
}

Image background() {
    Image image(640, 400, 0);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x) image.set(x, y, mix(rgb(74, 82, 90), rgb(40, 44, 50), y / 399.0));
    // The band display's screen and its frequency scale.
    image.fill(387, 32, 606, 177, rgb(168, 203, 131));
    for (int k = 0; k <= 4; ++k) image.fill(388 + k * 217 / 4, 166, 389 + k * 217 / 4, 176, rgb(30, 40, 20));
    image.fill(388, 166, 605, 167, rgb(30, 40, 20));
    // A frame around the whole editor.
    image.fill(0, 0, 640, 2, rgb(20, 22, 24));
    image.fill(0, 398, 640, 400, rgb(20, 22, 24));
    image.fill(0, 0, 2, 400, rgb(20, 22, 24));
    image.fill(638, 0, 640, 400, rgb(20, 22, 24));
    return image;
}

Image button() {
    Image image(27, 36, rgb(58, 64, 70));
    image.fill(2, 2, 22, 16, rgb(90, 20, 20));    // off, above
    image.fill(2, 20, 22, 34, rgb(60, 220, 60));  // on, below
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    struct Output {
        const char* name;
        Image image;
    };
    const Output outputs[] = {
        {"bitmap_1.bmp", knobStrip(46, 1848, 37, 50, 46)},
        {"bitmap_100.bmp", knobStrip(52, 1874, 39, 48, 48)},
        {"bitmap_128.bmp", background()},
        {"bitmap_129.bmp", button()},
    };
    for (const Output& out : outputs) {
        if (!writeBmp(folder + "/" + out.name, out.image)) {
            std::fprintf(stderr, "cannot write %s/%s\n", folder.c_str(), out.name);
            return 1;
        }
    }
    return 0;
}
