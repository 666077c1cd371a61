#include "host/spectrogram_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/bitmap_font.h"
#include "host/raster_image.h"
#include "host/spectrum.h"

namespace {

constexpr int kScale = 2;  // the font at twice its size
constexpr int kPanelWidth = 520;
constexpr int kPanelHeight = 440;
constexpr int kLeftMargin = 84;   // frequency labels
constexpr int kTopMargin = 96;    // heading, panel titles and the axis unit
constexpr int kStripGap = 6;
constexpr int kStripWidth = 12;
constexpr int kMarkLabels = 104;  // band limit labels right of the strip
constexpr int kPanelGap = 70;     // the next panel's frequency labels
constexpr int kTimeAxis = 44;
constexpr int kLegendLine = 22;
constexpr double kMinHz = 50.0;
constexpr double kFloorDb = -110.0;  // levels mapped to the darkest colour and below
constexpr double kCeilingDb = -15.0;

const Rgb kBackground{18, 18, 24};
const Rgb kText{225, 225, 230};
const Rgb kDim{150, 150, 160};
const Rgb kTapColours[4] = {{80, 200, 255}, {120, 235, 100}, {255, 205, 60}, {255, 110, 210}};

Rgb levelColour(double level) {
    struct Stop {
        double at;
        Rgb colour;
    };
    static const Stop stops[] = {{0.00, {0, 0, 0}},       {0.25, {25, 12, 90}},   {0.50, {145, 30, 120}},
                                 {0.75, {240, 120, 35}}, {1.00, {255, 250, 205}}};
    const double t = std::clamp((level - kFloorDb) / (kCeilingDb - kFloorDb), 0.0, 1.0);
    for (std::size_t i = 1; i < std::size(stops); ++i) {
        if (t <= stops[i].at) {
            const double f = (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
            auto mix = [f](uint8_t a, uint8_t b) { return static_cast<uint8_t>(std::lround(a + (b - a) * f)); };
            const Rgb& a = stops[i - 1].colour;
            const Rgb& b = stops[i].colour;
            return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
        }
    }
    return stops[std::size(stops) - 1].colour;
}

std::string formatKhz(double hz) {
    char text[32];
    const double khz = hz / 1000.0;
    if (khz < 0.1) {
        std::snprintf(text, sizeof text, "%.2f", khz);
    } else if (khz < 1.0) {
        std::snprintf(text, sizeof text, "%.1f", khz);
    } else {
        std::snprintf(text, sizeof text, "%.0f", khz);
    }
    return text;
}

std::string formatHz(double hz) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f Hz", hz);
    return text;
}

std::string formatShift(double semitones) {
    char text[32];
    const double whole = std::round(semitones);
    if (std::abs(semitones - whole) < 0.005) {
        std::snprintf(text, sizeof text, "%+.0f st", whole);
    } else {
        std::snprintf(text, sizeof text, "%+.2f st", semitones);
    }
    return text;
}

struct Geometry {
    int left = 0;  // the panel's left edge
    int top = kTopMargin;
    SpectrogramGrid grid;

    int yOf(double hz) const { return top + static_cast<int>(std::lround(grid.rowOf(hz))); }
    bool shows(double hz) const { return hz >= grid.minHz && hz <= grid.maxHz; }
};

void drawPanel(RasterImage& image, const Geometry& g, const PicturePanel& panel) {
    for (int row = 0; row < g.grid.rows; ++row) {
        for (int column = 0; column < g.grid.columns; ++column) {
            image.set(g.left + column, g.top + row, levelColour(g.grid.at(column, row)));
        }
    }
    image.frameRect(g.left - 1, g.top - 1, kPanelWidth + 2, kPanelHeight + 2, kDim);
    drawText(image, g.left, g.top - 2 * kCellHeight * kScale - 12, panel.title, kText, kScale);

    // Frequency axis: ticks and labels in kHz on the left.
    static const double ticks[] = {50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};
    for (double hz : ticks) {
        if (!g.shows(hz)) {
            continue;
        }
        const int y = std::min(g.yOf(hz), g.top + kPanelHeight - 1);
        image.fillRect(g.left - 6, y, 5, 1, kText);
        for (int x = 0; x < kPanelWidth; x += 4) {
            image.blend(g.left + x, y, kText, 0.25);  // a faint grid line
        }
        const std::string label = formatKhz(hz);
        const int labelY = std::clamp(y - kGlyphHeight * kScale / 2, g.top, g.top + kPanelHeight - kGlyphHeight * kScale);
        drawText(image, g.left - 10 - textWidth(label, kScale), labelY, label, kText, kScale);
    }
    drawText(image, g.left - 10 - textWidth("kHz", kScale), g.top - kCellHeight * kScale - 4, "kHz", kDim, kScale);

    // Time axis: a tick a second (or every half second for short signals).
    const double seconds = static_cast<double>(panel.samples->size()) / panel.sampleRate;
    const double step = seconds > 12.0 ? std::ceil(seconds / 8.0) : seconds > 2.0 ? 1.0 : 0.5;
    for (double t = 0.0; t <= seconds + 1e-9 && seconds > 0.0; t += step) {
        const int x = g.left + static_cast<int>(std::lround(t / seconds * (kPanelWidth - 1)));
        image.fillRect(x, g.top + kPanelHeight + 1, 1, 5, kText);
        char label[32];
        std::snprintf(label, sizeof label, step < 1.0 ? "%.1f" : "%.0f", t);
        const int width = textWidth(label, kScale);
        drawText(image, std::clamp(x - width / 2, g.left, g.left + kPanelWidth - width), g.top + kPanelHeight + 10,
                 label, kText, kScale);
    }
    drawText(image, g.left + kPanelWidth + kStripGap, g.top + kPanelHeight + 10, "s", kDim, kScale);
}

void drawBands(RasterImage& image, const Geometry& g, bool shifted, const BandMarks& marks) {
    // Band limits: dashed lines across the panel in their tap's colour.
    for (int tap = 0; tap < 4; ++tap) {
        if (!g.shows(marks.limitsHz[tap])) {
            continue;
        }
        const int y = g.yOf(marks.limitsHz[tap]);
        for (int x = 0; x < kPanelWidth; ++x) {
            if ((x / 6) % 2 == 0) {
                image.set(g.left + x, y, kTapColours[tap]);
            }
        }
    }
    // The strip: each tap's band, where it is read (input) or where it lands
    // after the shift (output). Tap 1's band starts at 0 Hz, below the axis.
    const int stripLeft = g.left + kPanelWidth + kStripGap;
    image.frameRect(stripLeft - 1, g.top - 1, kStripWidth + 2, kPanelHeight + 2, kDim);
    for (int tap = 0; tap < 4; ++tap) {
        const double ratio = shifted ? std::pow(2.0, marks.semitones[tap] / 12.0) : 1.0;
        const double low = (tap == 0 ? 0.0 : marks.limitsHz[tap - 1]) * ratio;
        const double high = marks.limitsHz[tap] * ratio;
        if (high <= low) {
            continue;
        }
        const int yTop = std::clamp(g.yOf(std::max(high, g.grid.minHz)), g.top, g.top + kPanelHeight);
        const int yBottom = std::clamp(g.yOf(std::max(low, g.grid.minHz)), g.top, g.top + kPanelHeight);
        const double opacity = shifted ? 0.35 + 0.65 * std::clamp(marks.volumes[tap], 0.0, 1.0) : 1.0;
        for (int y = yTop; y < yBottom; ++y) {
            for (int x = 0; x < kStripWidth; ++x) {
                image.blend(stripLeft + x, y, kTapColours[tap], opacity);
            }
        }
        if (yBottom - yTop >= kGlyphHeight + 2) {
            drawText(image, stripLeft + 3, (yTop + yBottom - kGlyphHeight) / 2, std::to_string(tap + 1), kBackground, 1);
        }
    }
    // Labels of the limits right of the strip, pushed apart where they would overlap.
    int labelY[4];
    for (int tap = 0; tap < 4; ++tap) {
        labelY[tap] = g.yOf(std::clamp(marks.limitsHz[tap], g.grid.minHz, g.grid.maxHz)) - kGlyphHeight * kScale / 2;
    }
    const int spacing = kCellHeight * kScale;
    for (int tap = 2; tap >= 0; --tap) {
        labelY[tap] = std::max(labelY[tap], labelY[tap + 1] + spacing);
    }
    for (int tap = 0; tap < 4; ++tap) {
        drawText(image, stripLeft + kStripWidth + 6, labelY[tap], formatHz(marks.limitsHz[tap]), kTapColours[tap], kScale);
    }
}

void drawLegend(RasterImage& image, int left, int top, const BandMarks& marks) {
    for (int tap = 0; tap < 4; ++tap) {
        const int y = top + tap * kLegendLine;
        image.fillRect(left, y, 14, 14, kTapColours[tap]);
        const double low = tap == 0 ? 0.0 : marks.limitsHz[tap - 1];
        char line[160];
        std::snprintf(line, sizeof line, "Tap %d: band %.0f to %.0f Hz, shift %s, volume %.2f", tap + 1, low,
                      marks.limitsHz[tap], formatShift(marks.semitones[tap]).c_str(), marks.volumes[tap]);
        drawText(image, left + 22, y, line, kTapColours[tap], kScale);
    }
}

}  // namespace

void writeSpectrogramPicture(const std::string& path, const std::string& heading,
                             const std::vector<PicturePanel>& panels, const BandMarks& marks) {
    const int panelStride = kPanelWidth + kStripGap + kStripWidth + kMarkLabels + kPanelGap;
    const int count = static_cast<int>(panels.size());
    const int legendWidth = kLeftMargin + 22 + textWidth("Tap 4: band 20000 to 20000 Hz, shift +12.00 st, volume 1.00", kScale) + 10;
    const int width = std::max(kLeftMargin + count * panelStride - kPanelGap + 10, marks.present ? legendWidth : 0);
    const int legendTop = kTopMargin + kPanelHeight + kTimeAxis;
    const int height = legendTop + (marks.present ? 4 * kLegendLine + 10 : 0);
    RasterImage image(width, height, kBackground);
    drawText(image, kLeftMargin, 10, heading, kText, kScale);

    for (int i = 0; i < count; ++i) {
        const PicturePanel& panel = panels[static_cast<std::size_t>(i)];
        Geometry g;
        g.left = kLeftMargin + i * panelStride;
        const double nyquist = panel.sampleRate / 2.0;
        g.grid = computeSpectrogram(*panel.samples, panel.sampleRate, kPanelWidth, kPanelHeight, kMinHz,
                                    std::max(nyquist, kMinHz * 2.0));
        drawPanel(image, g, panel);
        if (marks.present) {
            drawBands(image, g, panel.shifted, marks);
        }
    }
    if (marks.present) {
        drawLegend(image, kLeftMargin, legendTop, marks);
    }
    image.writePng(path);
}
