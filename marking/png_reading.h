// Reading the PNG pictures a folder run is given (a teacher's reference) and
// makes (its children's): the size from the header alone, and the pixels of
// an 8-bit, non-interlaced picture of any colour type (grey, RGB, palette,
// with or without alpha, alpha dropped as drawing it opaque would). Plain
// C++ over zlib, so the folder mode reads pictures without Qt. And plain
// pixels as PNG bytes, through the canvas's encoder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "canvas/pixel_image.h"

namespace dravel {

// The width and height the header gives; nullopt when `bytes` do not start
// as a PNG.
std::optional<BoxSize> PngSize(std::string_view bytes);

// The pixels as 0xFFRRGGBB; empty when `bytes` are not a whole PNG of a kind
// read here, or the pixels cannot be allocated (pixel_memory.h).
PixelImage ReadPng(std::string_view bytes);
// The same from a file; empty too when it cannot be read.
PixelImage ReadPngFile(const std::string& path);

// Empty for an empty image, or when encoding failed.
std::string PngOf(const PixelImage& image);

}  // namespace dravel
