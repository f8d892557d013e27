// The canvas: everything a drawing is, in plain C++ with no Qt and no
// threads, the same for every edition. It holds the two layers
// (canvas_layers), the turtles (the model, which decides what to draw; the
// canvas draws it) and their 21 sprite slots (sprite_slots), the pen, the
// background colour and picture (picture_layout), the edge mode, and while
// its owner asks for it the drawing record (drawing_record). It resizes,
// composes a frame with the sprites and takes and restores snapshots.
//
// Fonts and picture decoding are the host's: text arrives as a coverage mask
// from a painter the host gives (text_mask.h), pictures as pixels. The
// canvas is not thread-safe: the desktop shares it between its threads under
// CanvasCore's lock, the web edition's worker owns it alone.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/canvas_layers.h"
#include "canvas/canvas_turtle.h"
#include "canvas/drawing_record.h"
#include "canvas/drawing_surface.h"
#include "canvas/picture_layout.h"
#include "canvas/sprite_slots.h"
#include "canvas/text_mask.h"
#include "canvas/turtle_model.h"

namespace dravel {

class Canvas final : private DrawingSurface {
  // The plain gate of Turtle(): asks the checkpoint before each operation.
  struct CheckpointGate {
    Canvas* canvas;
    template <typename Operation>
    void Do(Operation operation) {
      if (!canvas->go_on_ || canvas->go_on_()) canvas->Run(operation);
    }
    void EndBatch() {}
  };

 public:
  // A black pen one pixel wide on white, Fence, turtle 0 at home, every slot
  // showing frame 0 of image set 1, no record kept. Null when layers of that
  // size cannot be had (CanvasLayers::Create).
  static std::unique_ptr<Canvas> Create(int width, int height);
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // The seventeen operations, each refused while the checkpoint says stop.
  TurtleOperations& Turtle() { return turtle_; }
  // Carries out `operation` on the turtle model: the way in for an owner's
  // own gate (CanvasCore's).
  template <typename Operation>
  void Run(Operation operation) {
    halted_ = false;
    operation(model_);
  }
  // Asked before each operation of Turtle() and at the checkpoints inside
  // long operations: false refuses the operation or ends it there, and
  // nothing more of it reaches the layers.
  void SetCheckpoint(std::function<bool()> go_on) { go_on_ = std::move(go_on); }
  // Called whenever the canvas needs repainting; it must not call back into
  // the canvas.
  void SetRepaintCallback(std::function<void()> repaint) { repaint_ = std::move(repaint); }
  // Without a painter text draws nothing and is not recorded. The window's
  // denser screens have the recorded texts set again by it (dense_layer.h).
  void SetTextPainter(TextMaskPainter painter) { text_painter_ = std::move(painter); }
  const TextMaskPainter& TextPainter() const { return text_painter_; }

  void SetEdgeMode(EdgeMode mode) { model_.SetEdgeMode(mode); }
  EdgeMode GetEdgeMode() const { return model_.GetEdgeMode(); }
  // 0x00BBGGRR, kept as set: the key colour itself is drawn one blue step up.
  void SetPenColour(uint32_t colour);
  uint32_t PenColour() const { return pen_colour_; }
  // Out-of-range widths (<= 0 or > 65534) become 1.
  void SetPenWidth(int width) { pen_width_ = DrawnPenWidth(width); }
  int PenWidth() const { return pen_width_; }
  // Each of these rebuilds the visible layer; the drawing stays on top.
  void SetBackgroundColour(uint32_t colour);
  uint32_t BackgroundColour() const { return background_colour_; }
  // An empty picture removes it.
  void SetBackgroundPicture(PixelImage picture);
  bool HasBackgroundPicture() const { return !picture_.Empty(); }
  // Kept as set (see PictureModeOf for how it is drawn).
  void SetPictureMode(int32_t mode);
  int32_t GetPictureMode() const { return picture_mode_; }

  // New layers at the new size (each side at least 1), the background
  // reapplied and the Clear reset done: all drawing is lost, turtle 0 goes to
  // the centre. False, keeping the old layers and everything else, when
  // layers of that size cannot be had.
  bool Resize(int width, int height);
  int Width() const { return layers_.Width(); }
  int Height() const { return layers_.Height(); }

  PixelView VisibleLayer() const { return layers_.Visible(); }
  PixelView InkLayer() const { return layers_.Ink(); }
  // The visible layer with the sprites, into `frame` (the layers' size), or
  // as a new buffer, empty when it cannot be allocated (pixel_memory.h).
  void PaintInto(const PixelTarget& frame) const;
  std::vector<uint32_t> Paint() const;
  // What Paint gives (or with `with_turtles` false the visible layer), as
  // row pointers to read under the lock: rows no sprite reaches point into
  // the visible layer, the others into `scratch`, so a picture costs no copy
  // of the whole layer. Empty when the scratch cannot be allocated.
  std::vector<const uint32_t*> FrameRows(bool with_turtles, LayerPixels& scratch) const;
  // The background colour with the picture laid out, without the drawing;
  // empty when there is no picture or it cannot be allocated.
  PixelImage BackgroundPicture() const;
  // Counts every rebuild of the visible layer and every emptying of the ink
  // (what a copy painted from the record must start over for).
  uint64_t LookVersion() const { return look_version_; }

  // Keeps the drawing record from now on (the window, an SVG export), or
  // drops it (what nobody reads costs time on every line). A record begun
  // after something was drawn is marked incomplete until the next clear.
  void KeepRecord(bool keep);
  const DrawingRecord* Record() const { return record_.get(); }
  // What an export needs; without a complete record, the visible layer. Not
  // complete when a picture it needs cannot be allocated.
  DrawingSnapshot Drawing() const;
  // Pen lines drawn (their ends on different pixels) since the last clear.
  uint64_t LinesDrawn() const { return lines_drawn_; }

  TurtleState StateOf(int index = 0) const;  // index outside 0..19 gives 0's
  void SelectTurtle(int index);
  int CurrentTurtle() const { return model_.CurrentIndex(); }

  // The sprite slots 0..20 (SpriteSlots); each change repaints.
  void SetImageSet(int slot, int image_set);
  int ImageSet(int slot) const { return sprites_.ImageSet(slot); }
  void SetOwnFrames(int slot, SpriteFrames frames);
  void SetFrame(int slot, int frame);
  int Frame(int slot) const { return sprites_.Frame(slot); }
  int FrameCount(int slot) const { return sprites_.FrameCount(slot); }
  // The animation tick (SpriteSlots::Advance).
  void AdvanceFrames();
  void SetPreview(bool preview);
  std::vector<SpritePose> SpritePoses() const { return sprites_.Poses(model_); }

  // The drawing and every turtle, as bytes to give back to Restore on a
  // canvas of the same size; empty when they cannot be allocated. Restore
  // refuses bytes that are not such a snapshot, changing nothing; it needs
  // no memory of its own. The settings are not in it.
  std::string Snapshot() const;
  bool Restore(std::string_view snapshot);

 private:
  explicit Canvas(CanvasLayers layers);

  void DrawSegment(TurtlePoint from, TurtlePoint to) override;
  void PutText(std::string_view gbk_text, TurtlePoint anchor, double heading) override;
  void RequestRepaint(bool erase) override;
  void EraseInk() override;
  void RefreshBackground() override;

  bool Continue();
  void LayMask(const TextMask& mask);
  // The visible layer anew: the background colour and picture, then the ink.
  void Rebuild();
  void LayBackground();  // Rebuild without the ink

  CanvasLayers layers_;
  TurtleModel model_;
  SpriteSlots sprites_;
  uint32_t pen_colour_ = 0;
  uint32_t pen_pixel_ = PixelOf(0);
  int pen_width_ = 1;
  uint32_t background_colour_ = 0xFFFFFF;
  PixelImage picture_;
  int32_t picture_mode_ = 0;
  std::unique_ptr<DrawingRecord> record_;
  uint64_t lines_drawn_ = 0;
  uint64_t look_version_ = 0;
  bool halted_ = false;  // a checkpoint of the running operation said stop
  std::function<bool()> go_on_;
  std::function<void()> repaint_;
  TextMaskPainter text_painter_;
  GatedTurtle<CheckpointGate> turtle_{CheckpointGate{this}};
};

}  // namespace dravel
