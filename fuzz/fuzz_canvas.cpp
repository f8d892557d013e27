// Runs arbitrary operations on the one canvas: the turtle operations with
// NaN, infinities and huge values, pen widths and colours, edge modes, image
// sets, frames and the animation tick, text through a painter whose masks
// reach past the layers (or are malformed), background pictures in every
// mode, and resizes, some past the bound. Checks that nothing crashes, that a
// refused resize changes nothing, and that a snapshot restores exactly onto
// a fresh canvas: the same layers, frame, turtles and count of lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "byte_reader.h"
#include "canvas/canvas.h"

namespace dravel {
namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

double Number(fuzz::ByteReader& input, bool arc) {
  constexpr double kScales[] = {0.37, 1, 7.3, 60};
  const int kind = input.IntInRange(0, arc ? 3 : 7);
  const double byte = input.IntInRange(0, 255) - 128;
  switch (kind) {
    case 4: return std::numeric_limits<double>::quiet_NaN();
    case 5:
      return byte < 0 ? -std::numeric_limits<double>::infinity()
                      : std::numeric_limits<double>::infinity();
    case 6: return byte * 1e7;
    case 7: return byte * 3e9;
    default: return byte * kScales[kind];
  }
}

void Turn(int operation, fuzz::ByteReader& input, TurtleOperations& t) {
  const double x = Number(input, operation == 6 || operation == 9 || operation == 10);
  const double y = Number(input, operation == 9 || operation == 10);
  switch (operation) {
    case 0: return t.Forward(x);
    case 1: return t.Back(x);
    case 2: return t.TurnLeft(x);
    case 3: return t.TurnRight(x);
    case 4: return t.Home();
    case 5: return t.Clear();
    case 6: return t.Circle(x);
    case 7: return t.PenUp();
    case 8: return t.PenDown();
    case 9: return t.Ellipse(x, y);
    case 10: return t.Rectangle(x, y);
    case 11: return t.SetX(x);
    case 12: return t.SetY(x);
    case 13: return t.SetXY(x, y);
    case 14: return t.Show();
    case 15: return t.Hide();
    default: return t.WriteText(input.String(3));
  }
}

// A square of covered pixels around the anchor, the size from the text's
// first byte; a first byte of 'x' makes a mask too short for its box.
TextMask SquareMask(const TextRequest& text) {
  const int side = text.gbk_text.empty() ? 0 : uint8_t(text.gbk_text[0]) % 13;
  TextMask mask{text.x - side / 2, text.y - side / 2, side, side, {}, 20};
  mask.coverage.assign(size_t(side) * size_t(side), 1);
  if (!text.gbk_text.empty() && text.gbk_text[0] == 'x') mask.coverage.pop_back();
  return mask;
}

PixelImage Picture(fuzz::ByteReader& input) {
  PixelImage picture{input.IntInRange(0, 5), input.IntInRange(0, 5), {}};
  for (int i = 0; i < picture.width * picture.height; ++i)
    picture.pixels.push_back(0xFF000000u | uint32_t(input.IntInRange(0, 255)) * 0x010101u);
  if (picture.pixels.empty()) picture = {};
  return picture;
}

// The settings the snapshot leaves out, so a fresh canvas can be given them.
struct Settings {
  uint32_t background = 0xFFFFFF;
  PixelImage picture;
  int32_t mode = 0;
};

void Set(int operation, fuzz::ByteReader& input, Canvas& canvas, Settings& settings) {
  const int value = input.IntInRange(0, 255);
  switch (operation) {
    case 0: return canvas.SetPenWidth(value % 2 ? value % 60 : 1);
    case 1: return canvas.SetPenColour(uint32_t(value) * 0x01030507u);
    case 2:
      settings.background = uint32_t(value) * 0x00010203u & 0xFFFFFF;
      return canvas.SetBackgroundColour(settings.background);
    case 3: return canvas.SetEdgeMode(EdgeModeOf(value % 3));
    case 4: return canvas.SetImageSet(value % 22, value % 12);
    case 5: return canvas.SetFrame(value % 22, value % 11);
    case 6: return canvas.AdvanceFrames();
    case 7: return canvas.SelectTurtle(value % 22);
    case 8: settings.picture = Picture(input); return canvas.SetBackgroundPicture(settings.picture);
    case 9: settings.mode = value % 5; return canvas.SetPictureMode(settings.mode);
    case 10: {
      const int width = canvas.Width(), height = canvas.Height();
      const std::string before = canvas.Snapshot();
      Check(!canvas.Resize(1 << 16, 1 << 12));
      Check(canvas.Width() == width && canvas.Height() == height && canvas.Snapshot() == before);
      return;
    }
    default: canvas.Resize(value % 96 + 1, input.IntInRange(1, 72));
  }
}

void CheckSnapshotRestores(const Canvas& canvas, const Settings& settings) {
  const std::unique_ptr<Canvas> fresh = Canvas::Create(canvas.Width(), canvas.Height());
  Check(fresh != nullptr);
  fresh->SetBackgroundColour(settings.background);
  fresh->SetBackgroundPicture(settings.picture);
  fresh->SetPictureMode(settings.mode);
  Check(fresh->Restore(canvas.Snapshot()));
  Check(PixelImage::Of(fresh->InkLayer()).pixels == PixelImage::Of(canvas.InkLayer()).pixels);
  Check(PixelImage::Of(fresh->VisibleLayer()).pixels ==
        PixelImage::Of(canvas.VisibleLayer()).pixels);
  Check(fresh->LinesDrawn() == canvas.LinesDrawn());
  for (int i = 0; i < kTurtleCount; ++i) {
    const TurtleState a = fresh->StateOf(i), b = canvas.StateOf(i);
    Check(std::memcmp(&a, &b, sizeof a) == 0);
  }
  Check(fresh->CurrentTurtle() == canvas.CurrentTurtle());
  Check(!fresh->Restore(canvas.Snapshot().substr(1)));
}

}  // namespace
}  // namespace dravel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dravel;
  fuzz::ByteReader input(data, size);
  const std::unique_ptr<Canvas> canvas =
      Canvas::Create(input.IntInRange(1, 96), input.IntInRange(1, 72));
  Check(canvas != nullptr);
  canvas->SetEdgeMode(EdgeModeOf(input.IntInRange(0, 2)));
  canvas->SetTextPainter(SquareMask);
  canvas->KeepRecord(input.Bool());
  Settings settings;
  for (int i = 0; i < 32 && input.IntInRange(0, 255) != 0; ++i) {
    const int operation = input.IntInRange(0, 31);
    if (operation < TurtleOperations::kCount) {
      Turn(operation, input, canvas->Turtle());
    } else {
      Set(operation - TurtleOperations::kCount, input, *canvas, settings);
    }
  }
  Check(canvas->Paint().size() == size_t(canvas->Width()) * size_t(canvas->Height()));
  CheckSnapshotRestores(*canvas, settings);
  return 0;
}
