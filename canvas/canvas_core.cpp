#include "canvas/canvas_core.h"

namespace dravel {
namespace {

constexpr int kPreviewSlot = 20;

int TurtleIndex(int index) { return index >= 0 && index < kTurtleCount ? index : 0; }

bool ValidSlot(int slot) { return slot >= 0 && slot < kSpriteSlotCount; }

}  // namespace

CanvasCore::CanvasCore(int width, int height)
    : surface_(width, height), model_(*this, surface_.Width(), surface_.Height()) {
  surface_.SetRepaintCallback([this](bool) {
    if (repaint_) repaint_();
  });
  record_.Reset(surface_.VisibleLayer().size());
  model_.SetCheckpoint([this] { return Checkpoint(); });
  model_.SetEdgeMode(EdgeMode::Fence);
  model_.ResetTurtleZero();
}

CanvasCore::~CanvasCore() = default;

void CanvasCore::StartBatch() {
  lock_.lock();
  batch_owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
  batch_operations_ = 0;
  batch_started_ = std::chrono::steady_clock::now();
}

void CanvasCore::CheckBatch() {
  if (std::chrono::steady_clock::now() - batch_started_ > kBatchTime) EndBatch();
}

void CanvasCore::EndBatch() const {
  if (batch_owner_.load(std::memory_order_relaxed) != std::this_thread::get_id()) return;
  // Nothing of the batch is touched once the lock is given back: the next
  // holder may start its own at once.
  batch_owner_.store({}, std::memory_order_relaxed);
  lock_.unlock();
}

std::unique_ptr<TurtleOperations> CanvasCore::TurtleFor(const RunSession& session) {
  return std::make_unique<CanvasTurtle>(SessionGate{this, &session});
}

void CanvasCore::UnderDrawingLock(const std::function<void()>& step) {
  auto lock = Lock();
  step();
}

// Another operation may run while the lock is handed over, and another run's
// thread may start and end a batch of its own in that time; this operation's
// session and batch come back with the lock.
bool CanvasCore::Checkpoint() {
  const RunSession* mine = session_;
  const std::thread::id batch_owner = batch_owner_.load(std::memory_order_relaxed);
  const int batch_operations = batch_operations_;
  const auto batch_started = batch_started_;
  batch_owner_.store({}, std::memory_order_relaxed);
  lock_.Yield();
  batch_owner_.store(batch_owner, std::memory_order_relaxed);
  batch_operations_ = batch_operations;
  batch_started_ = batch_started;
  session_ = mine;
  return !OperationStopped();
}

// The drawing effects: nothing reaches a layer once the run is stopped.
void CanvasCore::DrawSegment(TurtlePoint from, TurtlePoint to) {
  if (OperationStopped()) return;
  surface_.DrawSegment(from, to);
  record_.AddLine(from.x, from.y, to.x, to.y, surface_.PenColour(), surface_.PenWidth());
}

void CanvasCore::PutText(std::string_view gbk_text, TurtlePoint anchor, double heading) {
  if (OperationStopped()) return;
  surface_.PutText(gbk_text, anchor, heading);
  record_.AddText(gbk_text, anchor, heading, surface_.PenColour());
}

void CanvasCore::RequestRepaint(bool erase) { surface_.RequestRepaint(erase); }
void CanvasCore::EraseInk() {
  ++look_;
  surface_.EraseInk();
  record_.Reset(surface_.VisibleLayer().size());
}
void CanvasCore::RefreshBackground() {
  ++look_;
  surface_.RefreshBackground();
}

void CanvasCore::SetEdgeMode(EdgeMode mode) {
  auto lock = Lock();
  model_.SetEdgeMode(mode);
}

EdgeMode CanvasCore::GetEdgeMode() const {
  auto lock = Lock();
  return model_.GetEdgeMode();
}

void CanvasCore::SetPenColour(uint32_t colour) {
  auto lock = Lock();
  pen_colour_ = colour;
  surface_.SetPenColour(colour);
}

uint32_t CanvasCore::PenColour() const {
  auto lock = Lock();
  return pen_colour_;
}

void CanvasCore::SetBackgroundColour(uint32_t colour) {
  auto lock = Lock();
  ++look_;
  surface_.SetBackgroundColour(colour);
}

uint32_t CanvasCore::BackgroundColour() const {
  auto lock = Lock();
  return surface_.BackgroundColour();
}

void CanvasCore::SetPenWidth(int width) {
  auto lock = Lock();
  surface_.SetPenWidth(width);
}

int CanvasCore::PenWidth() const {
  auto lock = Lock();
  return surface_.PenWidth();
}

void CanvasCore::SetBackgroundPicture(const QImage& picture, int32_t mode) {
  auto lock = Lock();
  ++look_;
  picture_mode_ = mode;
  surface_.SetBackgroundPicture(picture, mode);
  surface_.RefreshBackground();
}

int32_t CanvasCore::BackgroundPictureMode() const {
  auto lock = Lock();
  return picture_mode_;
}

void CanvasCore::Resize(int width, int height) {
  auto lock = Lock();
  ++look_;
  surface_.CreateLayers(width, height, false);
  model_.SetSize(surface_.Width(), surface_.Height());
  surface_.SetBackgroundColour(surface_.BackgroundColour());
  model_.Clear();
}

QSize CanvasCore::Size() const {
  auto lock = Lock();
  return surface_.VisibleLayer().size();
}

void CanvasCore::SetRepaintCallback(std::function<void()> callback) {
  auto lock = Lock();
  repaint_ = std::move(callback);
}

QImage CanvasCore::VisibleLayer() const {
  auto lock = Lock();
  return surface_.VisibleLayer().copy();
}

QImage CanvasCore::InkLayer() const {
  auto lock = Lock();
  return surface_.InkLayer().copy();
}

QImage CanvasCore::Paint() const {
  auto lock = Lock();
  return surface_.Compose(SpritePoses());
}

QImage CanvasCore::PaintAt(double ratio) const {
  if (ratio <= 1) return Paint();
  auto lock = Lock();
  // Past the record's bound only the layers know the drawing; past the dense
  // bound a paint from the record would hold the run up too long.
  if (record_.Overflowed() || !DenseLayer::Paints(record_)) return surface_.Compose(SpritePoses());
  QImage background = surface_.BackgroundPicture();
  if (background.isNull()) {
    background = QImage(1, 1, QImage::Format_RGB32);
    background.fill(PixelOf(surface_.BackgroundColour()));
  }
  QImage frame = dense_.Update(record_, look_, ratio, background).copy();
  for (const SpritePose& sprite : SpritePoses()) {
    DenseLayer::DrawSprite(frame, sprite, record_.Size());
  }
  return frame;
}

DrawingSnapshot CanvasCore::Drawing() const {
  auto lock = Lock();
  DrawingSnapshot snapshot{record_, surface_.BackgroundColour(), surface_.BackgroundPicture(), {}};
  if (record_.Overflowed()) snapshot.visible_layer = surface_.VisibleLayer().copy();
  return snapshot;
}

TurtleState CanvasCore::StateOf(int index) const {
  auto lock = Lock();
  return model_.TurtleAt(TurtleIndex(index));
}

void CanvasCore::SelectTurtle(int index) {
  auto lock = Lock();
  model_.SelectTurtle(index);
  surface_.RequestRepaint(false);
}

int CanvasCore::CurrentTurtle() const {
  auto lock = Lock();
  return model_.CurrentIndex();
}

void CanvasCore::SetImageSet(int slot, int image_set) {
  if (!ValidSlot(slot)) return;
  auto lock = Lock();
  slots_[slot].image_set = image_set >= 0 && image_set < kImageSetCount ? image_set : 1;
  slots_[slot].frame = 0;
  surface_.RequestRepaint(false);
}

int CanvasCore::ImageSet(int slot) const {
  if (!ValidSlot(slot)) return 0;
  auto lock = Lock();
  return slots_[slot].image_set;
}

void CanvasCore::SetOwnFrames(int slot, SpriteFrames frames) {
  if (!ValidSlot(slot)) return;
  auto lock = Lock();
  slots_[slot].own = std::move(frames);
  slots_[slot].frame = 0;
  surface_.RequestRepaint(false);
}

void CanvasCore::SetFrame(int slot, int frame) {
  if (!ValidSlot(slot)) return;
  auto lock = Lock();
  const int count = int(FramesOf(slots_[slot]).size());
  slots_[slot].frame = frame >= 1 && frame < count ? frame : 0;
  surface_.RequestRepaint(false);
}

int CanvasCore::Frame(int slot) const {
  if (!ValidSlot(slot)) return 0;
  auto lock = Lock();
  return slots_[slot].frame;
}

int CanvasCore::FrameCount(int slot) const {
  if (!ValidSlot(slot)) return 0;
  auto lock = Lock();
  return int(FramesOf(slots_[slot]).size());
}

void CanvasCore::AdvanceFrames() {
  auto lock = Lock();
  const int shown = preview_ ? kPreviewSlot : model_.CurrentIndex();
  if (FramesOf(slots_[shown]).empty()) return;
  surface_.RequestRepaint(false);
  auto step = [this](SpriteSlot& slot) {
    const int count = int(FramesOf(slot).size());
    slot.frame = slot.frame + 1 < count ? slot.frame + 1 : 0;
  };
  if (preview_) {
    step(slots_[kPreviewSlot]);
    return;
  }
  for (int i = 0; i <= model_.HighestIndex(); ++i)
    if (model_.TurtleAt(i).visible) step(slots_[i]);
}

void CanvasCore::SetPreview(bool preview) {
  auto lock = Lock();
  preview_ = preview;
  surface_.RequestRepaint(false);
}

const SpriteFrames& CanvasCore::FramesOf(const SpriteSlot& slot) const {
  return slot.image_set == 0 ? slot.own : BuiltInSprites(slot.image_set);
}

std::vector<SpritePose> CanvasCore::SpritePoses() const {
  std::vector<SpritePose> poses;
  auto add = [&](const SpriteSlot& slot, TurtlePoint at, double heading) {
    const SpriteFrames& frames = FramesOf(slot);
    if (slot.frame >= 0 && slot.frame < int(frames.size()))
      poses.push_back({at, heading, &frames[slot.frame]});
  };
  if (preview_) {
    add(slots_[kPreviewSlot], {0, 0}, 0);
    return poses;
  }
  for (int i = 0; i <= model_.HighestIndex(); ++i) {
    const TurtleState& turtle = model_.TurtleAt(i);
    if (turtle.visible) add(slots_[i], {turtle.x, turtle.y}, turtle.heading);
  }
  return poses;
}

}  // namespace dravel
