#include "canvas/pixel_memory.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

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

LayerPixels NewLayerPixels(size_t count) {
  if (count > kMaxLayerPixels || !WithinPixelLimit(count * sizeof(uint32_t))) return nullptr;
  return LayerPixels(static_cast<uint32_t*>(std::malloc(count * sizeof(uint32_t))));
}

void PrefaultPixels(uint32_t* pixels, size_t count) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<uintptr_t>(pixels);
  const uintptr_t from = (start + page - 1) / page * page;
  const uintptr_t to = (start + count * sizeof(uint32_t)) / page * page;
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#else
  (void)pixels;
  (void)count;
#endif
}

std::optional<std::vector<uint32_t>> NewPixels(size_t count, uint32_t fill) {
  if (count > kMaxPixels || !PixelBlockAvailable(count * sizeof(uint32_t))) return std::nullopt;
  try {
    return std::vector<uint32_t>(count, fill);
  } catch (const std::bad_alloc&) {  // another thread took the memory meanwhile
    return std::nullopt;
  }
}

std::optional<std::vector<uint32_t>> PixelsCopy(const uint32_t* pixels, size_t count) {
  if (count > kMaxPixels || !PixelBlockAvailable(count * sizeof(uint32_t))) return std::nullopt;
  try {
    return std::vector<uint32_t>(pixels, pixels + count);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

size_t SetPixelMemoryLimit(size_t bytes) { return limit.exchange(bytes); }

}  // namespace dravel
