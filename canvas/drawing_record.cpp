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
bool SamePixel(TurtlePoint from, TurtlePoint to) {
  if (std::abs(from.x - to.x) >= 1 || std::abs(from.y - to.y) >= 1) return false;
  return RoundSaturated(from.x) == RoundSaturated(to.x) &&
         RoundSaturated(from.y) == RoundSaturated(to.y);
}

}  // namespace

void DrawingRecord::Reset(QSize size) {
  size_ = size;
  // Swapping with empty vectors gives the memory of a huge list back.
  std::vector<RecordedLine>().swap(lines_);
  std::vector<RecordedText>().swap(texts_);
  text_bytes_ = 0;
  overflowed_ = false;
}

bool DrawingRecord::Room(size_t text_bytes) {
  if (overflowed_) return false;
  if (lines_.size() + texts_.size() < kMaxItems &&
      text_bytes_ + text_bytes <= kMaxTextBytes) {
    return true;
  }
  Reset(size_);
  overflowed_ = true;
  return false;
}

void DrawingRecord::AddLine(TurtlePoint from, TurtlePoint to, uint32_t colour,
                            int width) {
  if (SamePixel(from, to)) return;
  // One-pixel lines run through pixel centres; wider ones are stroked
  // around the pixel corners, as the surface draws them.
  const double shift = width <= 1 ? 0.5 : 0.0;
  const double centre_x = size_.width() / 2 + shift, centre_y = size_.height() / 2 + shift;
  QPointF a(centre_x + from.x, centre_y - from.y);
  QPointF b(centre_x + to.x, centre_y - to.y);
  const double margin = std::max(width, 1);
  const double right = size_.width() + margin, bottom = size_.height() + margin;
  const auto inside = [&](const QPointF& p) {
    return p.x() >= -margin && p.x() <= right && p.y() >= -margin && p.y() <= bottom;
  };
  if (!(inside(a) && inside(b)) && !ClipSegment(a, b, -margin, -margin, right, bottom)) return;
  if (!Room(0)) return;
  lines_.push_back({float(a.x()), float(a.y()), float(b.x()), float(b.y()), colour, width});
}

void DrawingRecord::AddText(std::string_view gbk_text, TurtlePoint anchor,
                            double heading, uint32_t colour) {
  gbk_text = gbk_text.substr(0, gbk_text.find('\0'));
  // The surface draws no text without a GUI application; neither do we.
  if (gbk_text.empty() ||
      qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
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
