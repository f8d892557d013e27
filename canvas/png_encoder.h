// PNG encoding of the canvas's 32-bit pixels, fast for what a canvas holds:
// a few colours (a background and some pens) become an 8-bit palette image,
// anything else 24-bit RGB; either is deflated with zlib's run-length
// strategy, which finds the long runs of one colour at a fraction of the
// cost of a full search. Plain C++ over zlib; the result is an ordinary PNG
// every reader opens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace dravel {

// `pixels` holds `height` rows of `width` 0xAARRGGBB values (alpha ignored),
// `stride` values apart. Gives the PNG file's bytes; empty when zlib fails
// or there is not the memory to encode them (pixel_memory.h).
std::string EncodePng(const uint32_t* pixels, int width, int height, ptrdiff_t stride);
// The same from the rows' own pointers, top to bottom, each `width` values.
using PngRows = std::span<const uint32_t* const>;
std::string EncodePng(PngRows rows, int width);

}  // namespace dravel
