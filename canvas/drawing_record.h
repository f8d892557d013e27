// What was drawn, as a list beside the two layers, so the picture can be
// written as vector graphics (svg_writer) and painted at a screen's higher
// density (dense_layer): pen lines as the model cut them at the borders, and
// texts with their anchor, angle, colour and ascent, in drawing order. A
// clear or a resize empties it. Background changes are not items: a new
// background shows under all earlier drawing, so the writer takes the
// background as it is from the canvas. Not thread-safe.
//
// Coordinates are the layers' own (x right, y down, pixel (i, j) covering
// [i, i + 1) x [j, j + 1)): a turtle point lies at the centre of its pixel
// for every pen width, as the layers draw lines around pixel centres, and a
// line is clipped to the canvas grown by the pen width. Memory is bounded: past kMaxItems items or
// kMaxTextBytes of text the list is dropped and marked incomplete until the next clear, and a
// reader falls back to the visible layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/pixel_image.h"

namespace dravel {

struct RecordedLine {
  float x1, y1, x2, y2;
  uint32_t colour;  // 0x00BBGGRR
  int32_t width;
};

struct RecordedText {
  size_t lines_before;  // lines drawn before it, which it covers
  std::string gbk;      // as the canvas set it, up to its first zero byte
  int32_t x, y;         // the top-left anchor pixel
  int32_t degrees;      // anticlockwise from reading left to right
  uint32_t colour;
  int32_t ascent;  // the face's height above the baseline
};

// Clips the segment (ax, ay)-(bx, by) to the rectangle [low, high] in both
// axes (Liang-Barsky); false when nothing of it is inside.
bool ClipSegment(double& ax, double& ay, double& bx, double& by, double low_x, double low_y,
                 double high_x, double high_y);

class DrawingRecord {
 public:
  static constexpr size_t kMaxItems = 1'000'000;  // about 24 MB of lines
  static constexpr size_t kMaxTextBytes = size_t{8} << 20;

  // Empties the list for a canvas of `size`; the incomplete mark goes too.
  void Reset(BoxSize size);
  // Marks the list as not holding the whole drawing, until the next Reset.
  void GiveUp();
  // A pen line between the turtle points (x1, y1) and (x2, y2) as the layers
  // draw it: nothing when both round to the same pixel or it misses the
  // canvas.
  void AddLine(double x1, double y1, double x2, double y2, uint32_t colour, int width);
  // `gbk_text` up to its first zero byte, with its top-left at pixel (x, y).
  void AddText(std::string_view gbk_text, int32_t x, int32_t y, double heading, uint32_t colour,
               int ascent);

  BoxSize Size() const { return size_; }
  bool Incomplete() const { return incomplete_; }
  const std::vector<RecordedLine>& Lines() const { return lines_; }
  const std::vector<RecordedText>& Texts() const { return texts_; }

 private:
  bool Room(size_t text_bytes);

  BoxSize size_{1, 1};
  std::vector<RecordedLine> lines_;
  std::vector<RecordedText> texts_;
  size_t text_bytes_ = 0;
  bool incomplete_ = false;
};

// Everything an export needs, copied out of the canvas at one moment.
struct DrawingSnapshot {
  DrawingRecord record;
  uint32_t background_colour = 0xFFFFFF;
  PixelImage background_picture;  // laid out on the background; empty when there is none
  PixelImage visible_layer;       // filled only when the record is incomplete
  bool complete = true;           // false: a picture above could not be allocated
};

}  // namespace dravel
