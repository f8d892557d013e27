// Cuts a fuzz input into the arguments of one call: short texts, flags and
// small numbers from the front, the rest of the bytes last. Plain C++, so a
// target reads its input alike under libFuzzer and in the corpus replay.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace dravel::fuzz {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Bool() { return (Next() & 1) != 0; }
  // A number from `low` to `high`, taken from one byte.
  int IntInRange(int low, int high) { return low + Next() % (high - low + 1); }
  // A text of at most `longest` bytes; its length comes from one byte.
  std::string String(size_t longest) {
    const size_t length = std::min<size_t>(Next() % (longest + 1), size_ - at_);
    std::string text(reinterpret_cast<const char*>(data_ + at_), length);
    at_ += length;
    return text;
  }
  std::string Rest() {
    std::string text(reinterpret_cast<const char*>(data_ + at_), size_ - at_);
    at_ = size_;
    return text;
  }

 private:
  // The next byte, or 0 once the input is used up.
  uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }

  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

}  // namespace dravel::fuzz
