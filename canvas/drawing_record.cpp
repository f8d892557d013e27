#include "canvas/drawing_record.h"

#include <QGuiApplication>
#include <QPointF>
#include <algorithm>
#include <cmath>

#include "canvas/raster_surface.h"
#include "canvas/turtle_model.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

// Points a pixel or more apart never round to one pixel; only closer ones
// need the exact test.
bool SamePixel(double x1, double y1, double x2, double y2) {
  if (std::abs(x1 - x2) >= 1 || std::abs(y1 - y2) >= 1) return false;
  return RoundSaturated(x1) == RoundSaturated(x2) && RoundSaturated(y1) == RoundSaturated(y2);
}

}  // namespace

void DrawingRecord::Reset(QSize size) {
  size_ = size;
  DropItems();
  overflowed_ = false;
  lines_drawn_ = 0;
}

void DrawingRecord::DropItems() {
  // Swapping with empty vectors gives the memory of a huge list back.
  std::vector<RecordedLine>().swap(lines_);
  std::vector<RecordedText>().swap(texts_);
  text_bytes_ = 0;
}

bool DrawingRecord::Room(size_t text_bytes) {
  if (overflowed_) return false;
  if (lines_.size() + texts_.size() < kMaxItems && text_bytes_ + text_bytes <= kMaxTextBytes) {
    return true;
  }
  DropItems();
  overflowed_ = true;
  return false;
}

// Plain doubles throughout, from the signature on: this runs for every line
// a run draws, and packing the points into pairs stalls it.
void DrawingRecord::AddLine(double x1, double y1, double x2, double y2, uint32_t colour,
                            int width) {
  if (SamePixel(x1, y1, x2, y2)) return;
  // One-pixel lines run through pixel centres; wider ones are stroked
  // around the pixel corners, as the surface draws them.
  const double shift = width <= 1 ? 0.5 : 0.0;
  const double centre_x = size_.width() / 2 + shift, centre_y = size_.height() / 2 + shift;
  double ax = centre_x + x1, ay = centre_y - y1, bx = centre_x + x2, by = centre_y - y2;
  const double margin = std::max(width, 1);
  const double right = size_.width() + margin, bottom = size_.height() + margin;
  const bool inside = std::min(ax, bx) >= -margin && std::max(ax, bx) <= right &&
                      std::min(ay, by) >= -margin && std::max(ay, by) <= bottom;
  if (!inside) {
    QPointF a(ax, ay), b(bx, by);
    if (!ClipSegment(a, b, -margin, -margin, right, bottom)) return;
    ax = a.x(), ay = a.y(), bx = b.x(), by = b.y();
  }
  ++lines_drawn_;
  if (!Room(0)) return;
  lines_.push_back({float(ax), float(ay), float(bx), float(by), colour, width});
}

void DrawingRecord::AddText(std::string_view gbk_text, TurtlePoint anchor, double heading,
                            uint32_t colour) {
  gbk_text = gbk_text.substr(0, gbk_text.find('\0'));
  // The surface draws no text without a GUI application; neither do we.
  if (gbk_text.empty() || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
    return;
  }
  if (!Room(gbk_text.size())) return;
  constexpr int32_t kFar = 1 << 24;
  const int32_t x = size_.width() / 2 + std::clamp(RoundSaturated(anchor.x), -kFar, kFar);
  const int32_t y = size_.height() / 2 - std::clamp(RoundSaturated(anchor.y), -kFar, kFar);
  const int32_t degrees = TruncSaturated(450 - heading) % 360;
  texts_.push_back({lines_.size(), GbkToUtf8(gbk_text), x, y, degrees, colour});
  text_bytes_ += gbk_text.size();
}

}  // namespace dravel
