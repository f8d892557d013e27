#include "canvas/pixel_memory.h"

#include <atomic>
#include <cstdlib>
#include <limits>
#include <new>

namespace dravel {
namespace {

std::atomic<size_t> limit{0};

constexpr size_t kMaxPixels = std::numeric_limits<size_t>::max() / sizeof(uint32_t);

}  // namespace

bool WithinPixelLimit(size_t bytes) {
  const size_t most = limit.load(std::memory_order_relaxed);
  return most == 0 || bytes <= most;
}

bool PixelBlockAvailable(size_t bytes) {
  if (!WithinPixelLimit(bytes)) return false;
  if (bytes == 0) return true;
  void* block = std::malloc(bytes);
  std::free(block);
  return block != nullptr;
}

std::optional<std::vector<uint32_t>> NewPixels(size_t count, uint32_t fill) {
  if (count > kMaxPixels || !PixelBlockAvailable(count * sizeof(uint32_t))) return std::nullopt;
  try {
    return std::vector<uint32_t>(count, fill);
  } catch (const std::bad_alloc&) {  // another thread took the memory meanwhile
    return std::nullopt;
  }
}

std::optional<std::vector<uint32_t>> PixelsCopy(const std::vector<uint32_t>& pixels) {
  if (!PixelBlockAvailable(pixels.size() * sizeof(uint32_t))) return std::nullopt;
  try {
    return pixels;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

size_t SetPixelMemoryLimit(size_t bytes) { return limit.exchange(bytes); }

}  // namespace dravel
