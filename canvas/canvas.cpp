#include "canvas/canvas.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>

#include "canvas/pixel_memory.h"
#include "canvas/thin_line.h"
#include "canvas/wide_line.h"

namespace dravel {
namespace {

constexpr char kSnapshotMagic[8] = {'D', 'R', 'V', 'S', 'N', 'A', 'P', '2'};
// Text anchors are kept this near the canvas, so far-out turtles do not
// overflow the painter's coordinates.
constexpr int32_t kFarAnchor = 1 << 24;

struct SnapshotHeader {
  char magic[8];
  int32_t width;
  int32_t height;
  int32_t current;
  int32_t highest;
  uint64_t lines_drawn;
  std::array<TurtleState, kTurtleCount> turtles;
};

void CopyRows(const PixelTarget& target, const PixelView& source) {
  for (int y = 0; y < source.height; ++y) {
    std::copy_n(source.pixels + ptrdiff_t(y) * source.stride, source.width,
                target.pixels + ptrdiff_t(y) * target.stride);
  }
}

}  // namespace

std::unique_ptr<Canvas> Canvas::Create(int width, int height) {
  std::optional<CanvasLayers> layers = CanvasLayers::Create(width, height);
  if (!layers) return nullptr;
  return std::unique_ptr<Canvas>(new Canvas(std::move(*layers)));
}

Canvas::Canvas(CanvasLayers layers)
    : layers_(std::move(layers)), model_(*this, layers_.Width(), layers_.Height()) {
  model_.SetCheckpoint([this] { return Continue(); });
  model_.ResetTurtleZero();
}

bool Canvas::Continue() {
  if (!halted_ && go_on_ && !go_on_()) halted_ = true;
  return !halted_;
}

void Canvas::SetPenColour(uint32_t colour) {
  pen_colour_ = colour;
  pen_pixel_ = PixelOf(DrawnPenColour(colour));
}

void Canvas::SetBackgroundColour(uint32_t colour) {
  background_colour_ = colour & 0xFFFFFF;
  Rebuild();
}

void Canvas::SetBackgroundPicture(PixelImage picture) {
  picture_ = std::move(picture);
  Rebuild();
}

void Canvas::SetPictureMode(int32_t mode) {
  picture_mode_ = mode;
  Rebuild();
}

bool Canvas::Resize(int width, int height) {
  std::optional<CanvasLayers> layers = CanvasLayers::Create(width, height);
  if (!layers) return false;
  layers_ = std::move(*layers);
  model_.SetSize(layers_.Width(), layers_.Height());
  halted_ = false;
  model_.Clear();
  return true;
}

// The drawing effects: nothing reaches a layer once a checkpoint of the
// operation said stop.
void Canvas::DrawSegment(TurtlePoint from, TurtlePoint to) {
  if (halted_) return;
  const int32_t ax = RoundSaturated(from.x), ay = RoundSaturated(from.y);
  const int32_t bx = RoundSaturated(to.x), by = RoundSaturated(to.y);
  if (ax == bx && ay == by) return;
  ++lines_drawn_;
  // Rows from the centre, y down; the pen's width either side and a pixel of
  // rounding.
  const int64_t reach = pen_width_ + 1;
  const PixelLayers layers = layers_.Rows(Height() / 2 - int64_t(std::max(ay, by)) - reach,
                                          Height() / 2 - int64_t(std::min(ay, by)) + reach + 1);
  if (pen_width_ <= 1)
    DrawThinLine(layers, ax, ay, bx, by, pen_pixel_);
  else
    DrawWideLine(layers, ax, ay, bx, by, pen_width_, pen_pixel_);
  if (record_) record_->AddLine(from.x, from.y, to.x, to.y, ColourOf(pen_pixel_), pen_width_);
  RequestRepaint(false);
}

void Canvas::PutText(std::string_view gbk_text, TurtlePoint anchor, double heading) {
  if (halted_ || !text_painter_) return;
  const int32_t x = Width() / 2 + std::clamp(RoundSaturated(anchor.x), -kFarAnchor, kFarAnchor);
  const int32_t y = Height() / 2 - std::clamp(RoundSaturated(anchor.y), -kFarAnchor, kFarAnchor);
  // Escapement in tenths of a degree, anticlockwise from the x axis.
  const TextRequest request{gbk_text, x, y, TruncSaturated(450 - heading) * 10, Width(), Height()};
  const TextMask mask = text_painter_(request);
  LayMask(mask);
  if (record_) record_->AddText(gbk_text, x, y, heading, ColourOf(pen_pixel_), mask.ascent);
  RequestRepaint(false);
}

// A mask that does not hold its box's bytes is a painter's fault and is
// left out; one reaching past the layers is clipped.
void Canvas::LayMask(const TextMask& mask) {
  if (mask.width <= 0 || mask.height <= 0 ||
      mask.coverage.size() != size_t(mask.width) * size_t(mask.height)) {
    return;
  }
  const PixelLayers layers = layers_.Rows(mask.top, int64_t(mask.top) + mask.height);
  const int x0 = std::max(mask.left, 0), x1 = std::min(mask.left + mask.width, Width());
  const int y0 = std::max(mask.top, 0), y1 = std::min(mask.top + mask.height, Height());
  for (int y = y0; y < y1; ++y) {
    const uint8_t* row = mask.coverage.data() + size_t(y - mask.top) * size_t(mask.width);
    for (int x = x0; x < x1; ++x) {
      if (row[x - mask.left] == 0) continue;
      layers.visible[y * layers.stride + x] = pen_pixel_;
      layers.ink[y * layers.stride + x] = pen_pixel_;
    }
  }
}

void Canvas::RequestRepaint(bool) {
  if (repaint_) repaint_();
}

void Canvas::EraseInk() {
  layers_.EraseInk();
  lines_drawn_ = 0;
  if (record_) record_->Reset({Width(), Height()});
  // No ink is left to copy onto the background.
  LayBackground();
  RequestRepaint(true);
}

void Canvas::RefreshBackground() { Rebuild(); }

void Canvas::Rebuild() {
  LayBackground();
  if (!layers_.InkBlank()) {
    CopyKeyed(layers_.VisibleTarget(), layers_.Ink(), 0, 0, PixelOf(kKeyColour));
  }
  RequestRepaint(true);
}

void Canvas::LayBackground() {
  ++look_version_;
  layers_.FillVisible(PixelOf(background_colour_));
  if (!picture_.Empty())
    LayOutPicture(layers_.VisibleTarget(), picture_, PictureModeOf(picture_mode_));
}

void Canvas::PaintInto(const PixelTarget& frame) const {
  assert(frame.width == Width() && frame.height == Height());
  CopyRows(frame, layers_.Visible());
  LaySprites(frame, layers_.Visible(), SpritePoses());
}

// The layers are one block of rows, so the frame starts as a straight copy.
std::vector<uint32_t> Canvas::Paint() const {
  const PixelView visible = layers_.Visible();
  std::optional<std::vector<uint32_t>> frame = PixelsCopy(visible.pixels, layers_.PixelCount());
  if (!frame) return {};
  LaySprites({frame->data(), Width(), Width(), Height()}, visible, SpritePoses());
  return std::move(*frame);
}

std::vector<const uint32_t*> Canvas::FrameRows(bool with_turtles, LayerPixels& scratch) const {
  std::vector<const uint32_t*> rows(static_cast<size_t>(Height()));
  for (int y = 0; y < Height(); ++y) rows[size_t(y)] = layers_.VisibleRow(y);
  const std::vector<SpritePose> sprites = with_turtles ? SpritePoses() : std::vector<SpritePose>{};
  if (sprites.empty()) return rows;
  const PixelView visible = layers_.Visible();
  for (int y = 0; y < Height(); ++y) rows[size_t(y)] = visible.pixels + y * visible.stride;
  scratch = NewLayerPixels(layers_.PixelCount());
  if (!scratch) return {};
  const PixelTarget frame{scratch.get(), Width(), Width(), Height()};
  for (const SpritePose& sprite : sprites) {
    if (sprite.frame == nullptr) continue;
    // A frame turned any way, and the area wiped around it, stay within
    // its width plus its height of its centre.
    const int64_t reach = int64_t(sprite.frame->width) + sprite.frame->height + 2;
    const int64_t centre = TruncSaturated(Height() / 2 - sprite.position.y);
    const int top = int(std::clamp<int64_t>(centre - reach, 0, Height()));
    const int bottom = int(std::clamp<int64_t>(centre + reach, 0, Height()));
    for (int y = top; y < bottom; ++y) {
      uint32_t* row = frame.pixels + y * frame.stride;
      if (rows[size_t(y)] == row) continue;
      std::copy_n(rows[size_t(y)], Width(), row);
      rows[size_t(y)] = row;
    }
  }
  LaySprites(frame, visible, sprites);
  return rows;
}

PixelImage Canvas::BackgroundPicture() const {
  if (picture_.Empty()) return {};
  std::optional<std::vector<uint32_t>> pixels =
      NewPixels(layers_.PixelCount(), PixelOf(background_colour_));
  if (!pixels) return {};
  PixelImage background{Width(), Height(), std::move(*pixels)};
  LayOutPicture(background.Target(), picture_, PictureModeOf(picture_mode_));
  return background;
}

void Canvas::KeepRecord(bool keep) {
  if (!keep) {
    record_.reset();
    return;
  }
  if (record_) return;
  record_ = std::make_unique<DrawingRecord>();
  record_->Reset({Width(), Height()});
  if (layers_.InkBlank()) return;
  const PixelView ink = layers_.Ink();
  if (std::any_of(ink.pixels, ink.pixels + layers_.PixelCount(),
                  [](uint32_t pixel) { return pixel != PixelOf(kKeyColour); })) {
    record_->GiveUp();
  }
}

DrawingSnapshot Canvas::Drawing() const {
  DrawingSnapshot snapshot;
  if (record_) {
    snapshot.record = *record_;
  } else {
    snapshot.record.Reset({Width(), Height()});
    snapshot.record.GiveUp();
  }
  snapshot.background_colour = background_colour_;
  snapshot.background_picture = BackgroundPicture();
  if (snapshot.record.Incomplete()) snapshot.visible_layer = PixelImage::Of(layers_.Visible());
  snapshot.complete = snapshot.background_picture.Empty() != HasBackgroundPicture() &&
                      snapshot.visible_layer.Empty() != snapshot.record.Incomplete();
  return snapshot;
}

TurtleState Canvas::StateOf(int index) const {
  return model_.TurtleAt(index >= 0 && index < kTurtleCount ? index : 0);
}

void Canvas::SelectTurtle(int index) {
  model_.SelectTurtle(index);
  RequestRepaint(false);
}

void Canvas::SetImageSet(int slot, int image_set) {
  sprites_.SetImageSet(slot, image_set);
  RequestRepaint(false);
}

void Canvas::SetOwnFrames(int slot, SpriteFrames frames) {
  sprites_.SetOwnFrames(slot, std::move(frames));
  RequestRepaint(false);
}

void Canvas::SetFrame(int slot, int frame) {
  sprites_.SetFrame(slot, frame);
  RequestRepaint(false);
}

void Canvas::AdvanceFrames() {
  if (sprites_.Advance(model_)) RequestRepaint(false);
}

void Canvas::SetPreview(bool preview) {
  sprites_.SetPreview(preview);
  RequestRepaint(false);
}

std::string Canvas::Snapshot() const {
  SnapshotHeader header{};
  std::memcpy(header.magic, kSnapshotMagic, sizeof header.magic);
  header.width = Width();
  header.height = Height();
  header.current = model_.CurrentIndex();
  header.highest = model_.HighestIndex();
  header.lines_drawn = lines_drawn_;
  for (int i = 0; i < kTurtleCount; ++i) header.turtles[size_t(i)] = model_.TurtleAt(i);
  const size_t ink_bytes = layers_.PixelCount() * sizeof(uint32_t);
  if (!PixelBlockAvailable(sizeof header + ink_bytes)) return {};
  std::string bytes(sizeof header + ink_bytes, '\0');
  std::memcpy(bytes.data(), &header, sizeof header);
  std::memcpy(bytes.data() + sizeof header, layers_.Ink().pixels, ink_bytes);
  return bytes;
}

bool Canvas::Restore(std::string_view snapshot) {
  SnapshotHeader header;
  if (snapshot.size() < sizeof header) return false;
  std::memcpy(&header, snapshot.data(), sizeof header);
  const size_t ink_bytes = layers_.PixelCount() * sizeof(uint32_t);
  if (std::memcmp(header.magic, kSnapshotMagic, sizeof header.magic) != 0 ||
      header.width != Width() || header.height != Height() ||
      snapshot.size() != sizeof header + ink_bytes) {
    return false;
  }
  std::memcpy(layers_.InkTarget().pixels, snapshot.data() + sizeof header, ink_bytes);
  model_.RestoreTurtles(header.turtles, header.current, header.highest);
  lines_drawn_ = header.lines_drawn;
  // The record cannot tell what the restored ink holds.
  if (record_) record_->GiveUp();
  Rebuild();
  return true;
}

}  // namespace dravel
