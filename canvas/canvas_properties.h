// The canvas component's stored properties: the record, and reading and
// writing its byte format (32-bit little-endian fields and length-prefixed
// blobs). Version 6 is always written; versions 0 to 6 are read. Applying
// the values to a canvas is the component's business.
#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>
#include <optional>

namespace dravel {

inline constexpr int kPropertySlotCount = 21;  // turtles 0..19, 20 = preview
inline constexpr int32_t kPropertiesVersion = 6;

constexpr std::array<int32_t, kPropertySlotCount> FilledWith(int32_t value) {
  std::array<int32_t, kPropertySlotCount> values{};
  values.fill(value);
  return values;
}

struct CanvasProperties {
  int32_t pen_colour = 0;  // 0x00BBGGRR
  int32_t background_colour = 0xFFFFFF;
  int32_t fill_colour = 0;
  int32_t pen_width = 1;
  int32_t edge_mode = 0;  // 0 = Fence, 1 = Wrap, 2 = Unbounded, other = 0
  int32_t picture_mode = 0;
  int32_t frame_interval = 0;  // milliseconds, 0 = no animation
  std::array<int32_t, kPropertySlotCount> frames{};
  // Records older than version 5 store no image sets: every slot shows set 1.
  std::array<int32_t, kPropertySlotCount> image_sets = FilledWith(1);
  QByteArray background_picture;
  std::array<QByteArray, kPropertySlotCount> own_images;

  friend bool operator==(const CanvasProperties&, const CanvasProperties&) = default;
};

// Reads a record of version 0 to 6. Fields a version does not store keep the
// construction values. Empty bytes give the construction values. A short
// record, a blob longer than the bytes left or another version gives nullopt;
// bytes after a complete record are ignored.
std::optional<CanvasProperties> ReadProperties(const QByteArray& bytes);

// The version 6 record. Blobs of 2 GiB or more cannot be stored and are
// written empty.
QByteArray WriteProperties(const CanvasProperties& properties);

}  // namespace dravel
