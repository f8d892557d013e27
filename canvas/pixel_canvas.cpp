#include "canvas/pixel_canvas.h"

#include <cstring>

#include "canvas/pixel_format.h"

namespace dravel {
namespace {

constexpr char kSnapshotMagic[8] = {'D', 'R', 'V', 'S', 'N', 'A', 'P', '1'};

struct SnapshotHeader {
  char magic[8];
  int32_t width;
  int32_t height;
  int32_t current;
  int32_t highest;
  std::array<TurtleState, kTurtleCount> turtles;
};

}  // namespace

PixelCanvas::PixelCanvas(int width, int height, PixelSpriteSource sprites)
    : surface_(width, height),
      model_(surface_, surface_.Width(), surface_.Height()),
      sprites_(std::move(sprites)) {
  model_.SetCheckpoint([this] { return !stopped_ || !stopped_(); });
  model_.SetEdgeMode(EdgeMode::Fence);
  model_.ResetTurtleZero();
}

TurtleState PixelCanvas::StateOf(int index) const {
  return model_.TurtleAt(index >= 0 && index < kTurtleCount ? index : 0);
}

// As the desktop composes a frame: each visible turtle's sprite turned to its
// heading and centred on it, after the area of the frame turned by 45 degrees
// is copied back from the visible layer.
std::vector<uint32_t> PixelCanvas::Paint() const {
  std::vector<uint32_t> frame = surface_.VisibleLayer();
  const int width = surface_.Width(), height = surface_.Height();
  const PixelTarget target{frame.data(), width, width, height};
  const std::vector<PixelImage>& frames = sprites_(1);
  if (frames.empty()) return frame;
  for (int i = 0; i <= model_.HighestIndex(); ++i) {
    const TurtleState& turtle = model_.TurtleAt(i);
    if (!turtle.visible) continue;
    const PixelImage turned = TurnPixels(frames.front(), turtle.heading);
    const int64_t left = TruncSaturated(turtle.x - turned.width / 2 + width / 2);
    const int64_t top = TruncSaturated(height / 2 - (turned.height / 2 + turtle.y));
    CopyBack(target, surface_.VisibleLayer().data(), left, top,
             TurnedSize({frames.front().width, frames.front().height}, 45));
    CopyKeyed(target, turned.View(), left, top, kWhitePixel);
  }
  return frame;
}

std::string PixelCanvas::Snapshot() const {
  SnapshotHeader header{};
  std::memcpy(header.magic, kSnapshotMagic, sizeof header.magic);
  header.width = surface_.Width();
  header.height = surface_.Height();
  header.current = model_.CurrentIndex();
  header.highest = model_.HighestIndex();
  for (int i = 0; i < kTurtleCount; ++i) header.turtles[i] = model_.TurtleAt(i);
  const std::vector<uint32_t>& ink = surface_.InkLayer();
  std::string bytes(sizeof header + ink.size() * sizeof(uint32_t), '\0');
  std::memcpy(bytes.data(), &header, sizeof header);
  std::memcpy(bytes.data() + sizeof header, ink.data(), ink.size() * sizeof(uint32_t));
  return bytes;
}

bool PixelCanvas::Restore(std::string_view snapshot) {
  SnapshotHeader header;
  if (snapshot.size() < sizeof header) return false;
  std::memcpy(&header, snapshot.data(), sizeof header);
  const size_t pixels = size_t(surface_.Width()) * size_t(surface_.Height());
  if (std::memcmp(header.magic, kSnapshotMagic, sizeof header.magic) != 0 ||
      header.width != surface_.Width() || header.height != surface_.Height() ||
      snapshot.size() != sizeof header + pixels * sizeof(uint32_t)) {
    return false;
  }
  std::vector<uint32_t> ink(pixels);
  std::memcpy(ink.data(), snapshot.data() + sizeof header, pixels * sizeof(uint32_t));
  surface_.RestoreInk(ink);
  model_.RestoreTurtles(header.turtles, header.current, header.highest);
  return true;
}

}  // namespace dravel
