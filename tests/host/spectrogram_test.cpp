// spectrogram: a picture per file, frequency up on a logarithmic axis.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>

#include "tests/host/host_test_support.h"

using namespace hosttest;

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

Picture readPng(const std::string& path) {
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        return picture;
    }
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
        picture.width = static_cast<int>(image.width);
        picture.height = static_cast<int>(image.height);
    }
    return picture;
}

// The mean height of the pixels in the loudest colour: where a loud steady
// tone is drawn.
double loudestRow(const Picture& picture) {
    double sum = 0.0;
    int count = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const unsigned char* p = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
            if (p[0] == 255 && p[1] == 250 && p[2] == 205) {
                sum += y;
                ++count;
            }
        }
    }
    return count > 0 ? sum / count : -1.0;
}

TEST(Spectrogram, DrawsOctavesAtEqualDistancesWithHigherTonesHigher) {
    ScratchFolder folder;
    double rows[3] = {};
    const double tones[3] = {1000.0, 2000.0, 4000.0};
    for (int i = 0; i < 3; ++i) {
        const std::string wav = folder.file("tone" + std::to_string(i) + ".wav");
        const std::string png = folder.file("tone" + std::to_string(i) + ".png");
        writeSound(wav, mono(sine(tones[i], 44100, 1.0), 44100));
        const RunResult run = runHost({"spectrogram", wav, png});
        ASSERT_EQ(run.status, 0) << run.err;
        const Picture picture = readPng(png);
        ASSERT_GT(picture.width, 0) << "spectrogram should write a readable PNG.";
        rows[i] = loudestRow(picture);
        ASSERT_GE(rows[i], 0.0) << "A loud tone should be drawn in the loudest colour.";
    }
    EXPECT_GT(rows[0] - rows[1], 20.0) << "A tone an octave higher should be drawn higher up.";
    EXPECT_NEAR(rows[0] - rows[1], rows[1] - rows[2], 2.0)
        << "On a logarithmic axis every octave should span the same height.";
}

TEST(Spectrogram, PutsASecondFileBesideTheFirst) {
    ScratchFolder folder;
    writeSound(folder.file("a.wav"), mono(sine(500.0, 44100, 0.5), 44100));
    writeSound(folder.file("b.wav"), mono(sine(900.0, 22050, 0.5), 22050));
    const RunResult one = runHost({"spectrogram", folder.file("a.wav"), folder.file("one.png")});
    const RunResult two = runHost({"spectrogram", folder.file("a.wav"), folder.file("b.wav"), folder.file("two.png"),
                                   "--set", "Tap 1=300Hz"});
    ASSERT_EQ(one.status, 0) << one.err;
    ASSERT_EQ(two.status, 0) << two.err;
    const Picture single = readPng(folder.file("one.png"));
    const Picture pair = readPng(folder.file("two.png"));
    EXPECT_EQ(pair.height, single.height) << "Panels side by side should not change the picture's height.";
    EXPECT_GT(pair.width, single.width * 3 / 2) << "Two files should be drawn as two panels side by side.";
}

}  // namespace
