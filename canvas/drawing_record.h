// What was drawn, as a list beside the two layers, so the picture can be
// written as vector graphics: pen lines as the model cut them at the borders,
// and texts with their anchor, angle and colour, in drawing order. A clear or
// a resize empties it. Background changes are not items: a new background
// shows under all earlier drawing, so the writer takes the background as it
// is from the surface. The canvas core feeds the record under its lock; the
// record itself is not thread-safe.
//
// Coordinates are the layers' own (x right, y down, pixel (i, j) covering
// [i, i + 1) x [j, j + 1)), lines clipped to the canvas grown by the pen
// width. Memory is bounded: past kMaxItems items or kMaxTextBytes of text the
// list is dropped and marked overflowed until the next clear, and the writer
// falls back to the visible layer; the count of lines drawn goes on.
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/drawing_surface.h"

namespace dravel {

struct RecordedLine {
  float x1, y1, x2, y2;
  uint32_t colour;  // 0x00BBGGRR
  int32_t width;
};

struct RecordedText {
  size_t lines_before;  // lines drawn before it, which it covers
  std::string utf8;
  int32_t x, y;     // the top-left anchor pixel
  int32_t degrees;  // anticlockwise from reading left to right
  uint32_t colour;
};

class DrawingRecord {
 public:
  static constexpr size_t kMaxItems = 1'000'000;  // about 24 MB of lines
  static constexpr size_t kMaxTextBytes = size_t{8} << 20;

  // Empties the list for a canvas of `size`; the overflow mark and the count
  // of lines go too.
  void Reset(QSize size);
  // A pen line between the turtle points (x1, y1) and (x2, y2), as the raster
  // surface draws it: nothing when both round to the same pixel or it misses
  // the canvas.
  void AddLine(double x1, double y1, double x2, double y2, uint32_t colour, int width);
  // `gbk_text` up to its first zero byte, at the turtle point `anchor`.
  void AddText(std::string_view gbk_text, TurtlePoint anchor, double heading, uint32_t colour);

  QSize Size() const { return size_; }
  bool Overflowed() const { return overflowed_; }
  // The pen lines added since the last reset, those an overflow dropped
  // included.
  uint64_t LinesDrawn() const { return lines_drawn_; }
  const std::vector<RecordedLine>& Lines() const { return lines_; }
  const std::vector<RecordedText>& Texts() const { return texts_; }

 private:
  bool Room(size_t text_bytes);
  void DropItems();

  QSize size_{1, 1};
  std::vector<RecordedLine> lines_;
  std::vector<RecordedText> texts_;
  size_t text_bytes_ = 0;
  bool overflowed_ = false;
  uint64_t lines_drawn_ = 0;
};

// Everything an export needs, copied out of the canvas at one moment.
struct DrawingSnapshot {
  DrawingRecord record;
  uint32_t background_colour = 0xFFFFFF;
  QImage background_picture;  // null when there is none
  QImage visible_layer;       // filled only when the record overflowed
  bool complete = true;       // false: a picture above could not be allocated
};

}  // namespace dravel
