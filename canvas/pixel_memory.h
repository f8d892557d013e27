// The canvas's large allocations: its two layers and the frames, snapshots
// and pictures made from them, each about the size of the canvas. They are
// asked for here first, and this is the one place that decides whether they
// can be had: a layer past kMaxLayerPixels never, a block past the limit set
// for tests never, anything else when the allocator gives it. One that
// cannot be had is refused with an empty result instead of ending the
// program: on the desktop a failed allocation ends it with a run-time error,
// and in the WebAssembly build nothing can catch it. Small allocations
// (sprites, texts, the record) are left to the ordinary allocator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

namespace dravel {

// 8192 x 8192: two layers of 256 MiB each.
inline constexpr size_t kMaxLayerPixels = size_t{1} << 26;

// Whether `bytes` is within the limit. The Qt side asks only this: its
// images come out null when the allocator refuses them.
bool WithinPixelLimit(size_t bytes);

// Whether a block of `bytes` can be allocated now: within the limit, and
// given by the allocator (tried and handed back at once).
bool PixelBlockAvailable(size_t bytes);

// A layer's pixels, from malloc rather than the program's operator new, so
// that a refusal is a result and not the end of the program.
struct FreePixels {
  void operator()(uint32_t* pixels) const { std::free(pixels); }
};
using LayerPixels = std::unique_ptr<uint32_t[], FreePixels>;
// `count` pixels for a layer, not yet written (so not yet touched); null
// when `count` is past kMaxLayerPixels or the pixels cannot be had.
LayerPixels NewLayerPixels(size_t count);
// Maps the fresh pages under `count` pixels in one call, ahead of writing
// them (best effort): touched one by one, each page is a fault of its own,
// and a virtual machine makes faults dear.
void PrefaultPixels(uint32_t* pixels, size_t count);

// `count` pixels of `fill`, and a copy of the `count` pixels at `pixels`;
// nullopt when they cannot be allocated.
std::optional<std::vector<uint32_t>> NewPixels(size_t count, uint32_t fill);
std::optional<std::vector<uint32_t>> PixelsCopy(const uint32_t* pixels, size_t count);

// For tests: from now on blocks of more than `bytes` are refused (0: no
// limit). Gives the limit it replaces.
size_t SetPixelMemoryLimit(size_t bytes);

}  // namespace dravel
