// A tiny built-in font for the labels of the pictures: printable ASCII in
// cells of 6 × 8 pixels (5 × 7 glyphs and a pixel of space), drawn at any
// whole-number scale. Characters outside it draw as '?'.
#pragma once

#include <string>

#include "host/raster_image.h"

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kCellWidth = 6;
constexpr int kCellHeight = 8;

int textWidth(const std::string& text, int scale);
// Draws text with its top left corner at (x, y).
void drawText(RasterImage& image, int x, int y, const std::string& text, Rgb colour, int scale);
