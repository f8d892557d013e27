#include "canvas/canvas_properties.h"

#include <limits>

namespace dravel {
namespace {

// Reads fields off the front of the bytes; the first failure sticks, so a
// record can be read straight through and checked once at the end.
class FieldReader {
 public:
  explicit FieldReader(const QByteArray& bytes) : bytes_(bytes) {}

  int32_t Int() {
    if (!ok_ || bytes_.size() - at_ < 4) {
      ok_ = false;
      return 0;
    }
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes_[at_ + i]);
    at_ += 4;
    return static_cast<int32_t>(value);
  }

  // A length of 0 or less is an empty blob; one longer than the rest fails
  // before anything is allocated.
  QByteArray Blob() {
    const int32_t length = Int();
    if (!ok_ || length <= 0) return {};
    if (bytes_.size() - at_ < length) {
      ok_ = false;
      return {};
    }
    const QByteArray blob = bytes_.mid(at_, length);
    at_ += length;
    return blob;
  }

  template <typename Array>
  void Ints(Array& values, int count) {
    for (int i = 0; i < count; ++i) values[i] = Int();
  }

  bool Ok() const { return ok_; }

 private:
  const QByteArray& bytes_;
  qsizetype at_ = 0;
  bool ok_ = true;
};

void AppendInt(QByteArray& out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.append(static_cast<char>(bits >> (8 * i) & 0xFF));
}

void AppendBlob(QByteArray& out, const QByteArray& blob) {
  if (blob.size() > std::numeric_limits<int32_t>::max()) {
    AppendInt(out, 0);
    return;
  }
  AppendInt(out, static_cast<int32_t>(blob.size()));
  out.append(blob);
}

// The colours and the pen width, common to every version from 1.
void ReadBasics(FieldReader& in, CanvasProperties& p) {
  p.pen_colour = in.Int();
  p.background_colour = in.Int();
  p.fill_colour = in.Int();
  p.pen_width = in.Int();
}

void ReadVersion4(FieldReader& in, CanvasProperties& p) {
  in.Int();  // a field no version uses
  p.frame_interval = in.Int();
  p.frames[0] = in.Int();
  p.background_picture = in.Blob();
}

void ReadVersion5(FieldReader& in, CanvasProperties& p) {
  p.frame_interval = in.Int();
  p.frames[0] = in.Int();
  in.Ints(p.image_sets, 20);
  p.background_picture = in.Blob();
  for (int slot = 0; slot < 20; ++slot) p.own_images[slot] = in.Blob();
}

void ReadVersion6(FieldReader& in, CanvasProperties& p) {
  p.frame_interval = in.Int();
  in.Ints(p.frames, kPropertySlotCount);
  in.Ints(p.image_sets, kPropertySlotCount);
  p.background_picture = in.Blob();
  for (QByteArray& own : p.own_images) own = in.Blob();
}

}  // namespace

std::optional<CanvasProperties> ReadProperties(const QByteArray& bytes) {
  CanvasProperties p;
  if (bytes.isEmpty()) return p;
  FieldReader in(bytes);
  const int32_t version = in.Int();
  if (!in.Ok() || version < 0 || version > kPropertiesVersion) return std::nullopt;
  if (version >= 1) ReadBasics(in, p);
  if (version >= 2) p.edge_mode = in.Int();
  if (version >= 3) p.picture_mode = in.Int();
  if (version == 4) ReadVersion4(in, p);
  if (version == 5) ReadVersion5(in, p);
  if (version == 6) ReadVersion6(in, p);
  if (!in.Ok()) return std::nullopt;
  return p;
}

QByteArray WriteProperties(const CanvasProperties& p) {
  QByteArray out;
  for (int32_t value : {kPropertiesVersion, p.pen_colour, p.background_colour, p.fill_colour,
                        p.pen_width, p.edge_mode, p.picture_mode, p.frame_interval})
    AppendInt(out, value);
  for (int32_t frame : p.frames) AppendInt(out, frame);
  for (int32_t set : p.image_sets) AppendInt(out, set);
  AppendBlob(out, p.background_picture);
  for (const QByteArray& own : p.own_images) AppendBlob(out, own);
  return out;
}

}  // namespace dravel
