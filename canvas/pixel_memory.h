// The canvas's large allocations: its two layers and the frames, snapshots
// and pictures made from them, each about the size of the canvas. They are
// asked for here first, so one that cannot be had is refused with an empty
// result instead of ending the program: on the desktop a failed allocation
// throws, and in the WebAssembly build nothing can catch it. A limit lets
// tests refuse them without exhausting memory. Small allocations (sprites,
// texts, the record) are left to the ordinary allocator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace dravel {

// Whether `bytes` is within the limit. The Qt side asks only this: its
// images come out null when the allocator refuses them.
bool WithinPixelLimit(size_t bytes);

// Whether a block of `bytes` can be allocated now: within the limit, and
// given by the allocator (tried and handed back at once).
bool PixelBlockAvailable(size_t bytes);

// `count` pixels of `fill`; nullopt when they cannot be allocated.
std::optional<std::vector<uint32_t>> NewPixels(size_t count, uint32_t fill);
// A copy of `pixels`; nullopt when it cannot be allocated.
std::optional<std::vector<uint32_t>> PixelsCopy(const std::vector<uint32_t>& pixels);

// For tests: from now on blocks of more than `bytes` are refused (0: no
// limit). Gives the limit it replaces.
size_t SetPixelMemoryLimit(size_t bytes);

}  // namespace dravel
