#include "canvas/drawing_record.h"

#include <algorithm>
#include <cmath>

#include "canvas/turtle_model.h"

namespace dravel {
namespace {

// Points a pixel or more apart never round to one pixel; only closer ones
// need the exact test.
bool SamePixel(double x1, double y1, double x2, double y2) {
  if (std::abs(x1 - x2) >= 1 || std::abs(y1 - y2) >= 1) return false;
  return RoundSaturated(x1) == RoundSaturated(x2) && RoundSaturated(y1) == RoundSaturated(y2);
}

}  // namespace

bool ClipSegment(double& ax, double& ay, double& bx, double& by, double low_x, double low_y,
                 double high_x, double high_y) {
  double t0 = 0, t1 = 1;
  const double dx = bx - ax, dy = by - ay;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax - low_x, high_x - ax, ay - low_y, high_y - ay};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
  }
  if (t0 > t1) return false;
  const double start_x = ax, start_y = ay;
  ax = start_x + dx * t0;
  ay = start_y + dy * t0;
  bx = start_x + dx * t1;
  by = start_y + dy * t1;
  return true;
}

void DrawingRecord::Reset(BoxSize size) {
  size_ = size;
  // Swapping with empty vectors gives the memory of a huge list back.
  std::vector<RecordedLine>().swap(lines_);
  std::vector<RecordedText>().swap(texts_);
  text_bytes_ = 0;
  incomplete_ = false;
}

void DrawingRecord::GiveUp() {
  Reset(size_);
  incomplete_ = true;
}

bool DrawingRecord::Room(size_t text_bytes) {
  if (incomplete_) return false;
  if (lines_.size() + texts_.size() < kMaxItems && text_bytes_ + text_bytes <= kMaxTextBytes) {
    return true;
  }
  GiveUp();
  return false;
}

// Plain doubles throughout, from the signature on: this runs for every line
// a run draws, and packing the points into pairs stalls it.
void DrawingRecord::AddLine(double x1, double y1, double x2, double y2, uint32_t colour,
                            int width) {
  if (SamePixel(x1, y1, x2, y2)) return;
  const double centre_x = size_.width / 2 + 0.5, centre_y = size_.height / 2 + 0.5;
  double ax = centre_x + x1, ay = centre_y - y1, bx = centre_x + x2, by = centre_y - y2;
  const double margin = std::max(width, 1);
  const double right = size_.width + margin, bottom = size_.height + margin;
  const bool inside = std::min(ax, bx) >= -margin && std::max(ax, bx) <= right &&
                      std::min(ay, by) >= -margin && std::max(ay, by) <= bottom;
  if (!inside && !ClipSegment(ax, ay, bx, by, -margin, -margin, right, bottom)) return;
  if (!Room(0)) return;
  lines_.push_back({float(ax), float(ay), float(bx), float(by), colour, width});
}

void DrawingRecord::AddText(std::string_view gbk_text, int32_t x, int32_t y, double heading,
                            uint32_t colour, int ascent) {
  gbk_text = gbk_text.substr(0, gbk_text.find('\0'));
  if (gbk_text.empty() || !Room(gbk_text.size())) return;
  const int32_t degrees = TruncSaturated(450 - heading) % 360;
  texts_.push_back({lines_.size(), std::string(gbk_text), x, y, degrees, colour, ascent});
  text_bytes_ += gbk_text.size();
}

}  // namespace dravel
