#include "canvas/canvas_core.h"


namespace dravel {
namespace {

constexpr int kPreviewSlot = 20;

int TurtleIndex(int index) {
  return index >= 0 && index < kTurtleCount ? index : 0;
}

bool ValidSlot(int slot) { return slot >= 0 && slot < kSpriteSlotCount; }

}  // namespace

CanvasCore::CanvasCore(int width, int height)
    : surface_(width, height), model_(*this, surface_.width(), surface_.height()) {
  surface_.SetRepaintCallback([this](bool) {
    if (repaint_) repaint_();
  });
  record_.Reset(surface_.visible_layer().size());
  model_.SetCheckpoint([this] { return Checkpoint(); });
  model_.SetEdgeMode(EdgeMode::Fence);
  model_.ResetTurtleZero();
}

CanvasCore::~CanvasCore() = default;

std::unique_lock<std::mutex> CanvasCore::Lock() const {
  waiting_.fetch_add(1);
  std::unique_lock lock(mutex_);
  waiting_.fetch_sub(1);
  return lock;
}

std::unique_lock<std::mutex> CanvasCore::LockForOperation() {
  while (waiting_.load() > 0) std::this_thread::yield();
  return Lock();
}

// A call of a stopped run that was already on its way when the stop went
// through (waiting for the lock, say) takes no effect: once the stop is
// granted the run changes neither the turtle nor the layers.
template <typename Operation>
void CanvasCore::Run(Operation operation) {
  auto lock = LockForOperation();
  operation_token_ = TokenOfThisThread();
  if (OperationStopped()) return;
  held_ = &lock;
  operation();
  held_ = nullptr;
  operation_token_ = nullptr;
}

// Inside a long operation: hands the lock to any thread waiting for it (a
// paint, a stop request) and tells the model whether to go on.
bool CanvasCore::Checkpoint() {
  if (held_ != nullptr && waiting_.load() > 0) {
    std::unique_lock<std::mutex>* mine = held_;
    mine->unlock();
    while (waiting_.load() > 0) std::this_thread::yield();
    mine->lock();
    held_ = mine;
    // Another thread may have set its token meanwhile.
    operation_token_ = TokenOfThisThread();
  }
  return !OperationStopped();
}

const std::stop_token* CanvasCore::TokenOfThisThread() const {
  const std::thread::id self = std::this_thread::get_id();
  for (const RunToken& run : run_tokens_)
    if (run.thread == self) return &run.token;
  return nullptr;
}

bool CanvasCore::OperationStopped() const {
  return operation_token_ != nullptr && operation_token_->stop_requested();
}

void CanvasCore::Forward(double distance) { Run([&] { model_.Forward(distance); }); }
void CanvasCore::Back(double distance) { Run([&] { model_.Back(distance); }); }
void CanvasCore::TurnLeft(double degrees) { Run([&] { model_.TurnLeft(degrees); }); }
void CanvasCore::TurnRight(double degrees) { Run([&] { model_.TurnRight(degrees); }); }
void CanvasCore::Home() { Run([&] { model_.Home(); }); }
void CanvasCore::Clear() { Run([&] { model_.Clear(); }); }
void CanvasCore::Circle(double radius) { Run([&] { model_.Circle(radius); }); }
void CanvasCore::PenUp() { Run([&] { model_.PenUp(); }); }
void CanvasCore::PenDown() { Run([&] { model_.PenDown(); }); }
void CanvasCore::Ellipse(double radius_x, double radius_y) {
  Run([&] { model_.Ellipse(radius_x, radius_y); });
}
void CanvasCore::Rectangle(double width, double height) {
  Run([&] { model_.Rectangle(width, height); });
}
void CanvasCore::SetX(double x) { Run([&] { model_.SetX(x); }); }
void CanvasCore::SetY(double y) { Run([&] { model_.SetY(y); }); }
void CanvasCore::SetXY(double x, double y) { Run([&] { model_.SetXY(x, y); }); }
void CanvasCore::Show() { Run([&] { model_.Show(); }); }
void CanvasCore::Hide() { Run([&] { model_.Hide(); }); }
void CanvasCore::WriteText(std::string_view gbk_text) {
  Run([&] { model_.WriteText(gbk_text); });
}

void CanvasCore::SetStopToken(std::stop_token token) {
  auto lock = Lock();
  const std::thread::id self = std::this_thread::get_id();
  for (RunToken& run : run_tokens_) {
    if (run.thread == self) {
      run.token = std::move(token);
      return;
    }
  }
  run_tokens_[next_run_token_] = {self, std::move(token)};
  next_run_token_ = (next_run_token_ + 1) % run_tokens_.size();
}

void CanvasCore::StopUnderLock(const std::function<void()>& request_stop) {
  auto lock = Lock();
  request_stop();
}

// The drawing effects: nothing reaches a layer once the run is stopped.
void CanvasCore::DrawSegment(TurtlePoint from, TurtlePoint to) {
  if (OperationStopped()) return;
  surface_.DrawSegment(from, to);
  record_.AddLine(from.x, from.y, to.x, to.y, surface_.pen_colour(), surface_.pen_width());
}

void CanvasCore::PutText(std::string_view gbk_text, TurtlePoint anchor,
                         double heading) {
  if (OperationStopped()) return;
  surface_.PutText(gbk_text, anchor, heading);
  record_.AddText(gbk_text, anchor, heading, surface_.pen_colour());
}

void CanvasCore::RequestRepaint(bool erase) { surface_.RequestRepaint(erase); }
void CanvasCore::EraseInk() {
  surface_.EraseInk();
  record_.Reset(surface_.visible_layer().size());
}
void CanvasCore::RefreshBackground() { surface_.RefreshBackground(); }

void CanvasCore::SetEdgeMode(EdgeMode mode) {
  auto lock = Lock();
  model_.SetEdgeMode(mode);
}

EdgeMode CanvasCore::GetEdgeMode() const {
  auto lock = Lock();
  return model_.edge_mode();
}

void CanvasCore::SetPenColour(uint32_t colour) {
  auto lock = Lock();
  surface_.SetPenColour(colour);
}

void CanvasCore::SetBackgroundColour(uint32_t colour) {
  auto lock = Lock();
  surface_.SetBackgroundColour(colour);
}

void CanvasCore::SetPenWidth(int width) {
  auto lock = Lock();
  surface_.SetPenWidth(width);
}

void CanvasCore::SetBackgroundPicture(const QImage& picture, int32_t mode) {
  auto lock = Lock();
  surface_.SetBackgroundPicture(picture, mode);
  surface_.RefreshBackground();
}

void CanvasCore::Resize(int width, int height) {
  auto lock = Lock();
  surface_.CreateLayers(width, height, false);
  model_.SetSize(surface_.width(), surface_.height());
  surface_.SetBackgroundColour(surface_.background_colour());
  model_.Clear();
}

QSize CanvasCore::Size() const {
  auto lock = Lock();
  return surface_.visible_layer().size();
}

void CanvasCore::SetRepaintCallback(std::function<void()> callback) {
  auto lock = Lock();
  repaint_ = std::move(callback);
}

QImage CanvasCore::VisibleLayer() const {
  auto lock = Lock();
  return surface_.visible_layer().copy();
}

QImage CanvasCore::InkLayer() const {
  auto lock = Lock();
  return surface_.ink_layer().copy();
}

QImage CanvasCore::Paint() const {
  auto lock = Lock();
  return surface_.Compose(SpritePoses());
}

DrawingSnapshot CanvasCore::Drawing() const {
  auto lock = Lock();
  DrawingSnapshot snapshot{record_, surface_.background_colour(),
                           surface_.BackgroundPicture(), {}};
  if (record_.overflowed()) snapshot.visible_layer = surface_.visible_layer().copy();
  return snapshot;
}

TurtleState CanvasCore::Turtle(int index) const {
  auto lock = Lock();
  return model_.turtle(TurtleIndex(index));
}

void CanvasCore::SelectTurtle(int index) {
  auto lock = Lock();
  model_.SelectTurtle(index);
  surface_.RequestRepaint(false);
}

int CanvasCore::CurrentTurtle() const {
  auto lock = Lock();
  return model_.current();
}

void CanvasCore::SetImageSet(int slot, int image_set) {
  if (!ValidSlot(slot)) return;
  auto lock = Lock();
  slots_[slot].image_set =
      image_set >= 0 && image_set < kImageSetCount ? image_set : 1;
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
  const int shown = preview_ ? kPreviewSlot : model_.current();
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
  for (int i = 0; i <= model_.highest(); ++i)
    if (model_.turtle(i).visible) step(slots_[i]);
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
  for (int i = 0; i <= model_.highest(); ++i) {
    const TurtleState& turtle = model_.turtle(i);
    if (turtle.visible) add(slots_[i], {turtle.x, turtle.y}, turtle.heading);
  }
  return poses;
}

}  // namespace dravel
