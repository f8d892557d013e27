#include "canvas/turtle_canvas.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

#include "canvas/stored_images.h"

namespace dravel {
namespace {

constexpr int kPreviewSlot = 20;

bool IsBlobProperty(int property) {
  return property == TurtleCanvas::kBackgroundPicture || property == TurtleCanvas::kOwnImages;
}

}  // namespace

TurtleCanvas* TurtleCanvas::Create(const QByteArray& stored, QWidget* parent, const QRect& geometry,
                                   bool preview) {
  const std::optional<CanvasProperties> properties = ReadProperties(stored);
  if (!properties) return nullptr;
  return new TurtleCanvas(*properties, preview, parent, geometry);
}

TurtleCanvas::TurtleCanvas(const CanvasProperties& stored, bool preview, QWidget* parent,
                           const QRect& geometry)
    : QWidget(parent),
      core_(geometry.width(), geometry.height()),
      properties_(stored),
      preview_(preview) {
  setGeometry(geometry);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);
  setCursor(Qt::ArrowCursor);
  core_.SetRepaintCallback([this] { ScheduleUpdate(); });
  core_.SetPreview(preview);
  if (!preview) context_menu_ = new CanvasContextMenu(this, core_);
  ApplyStored(stored);
  if (properties_.frame_interval != 0) timer_id_ = startTimer(properties_.frame_interval);
}

TurtleCanvas::~TurtleCanvas() { core_.SetRepaintCallback({}); }

void TurtleCanvas::ApplyStored(const CanvasProperties& stored) {
  ApplyEdgeMode(stored.edge_mode);
  SetNumber(kPenColour, stored.pen_colour);
  fill_colour_ = stored.fill_colour;
  core_.SetBackgroundColour(static_cast<uint32_t>(stored.background_colour));
  SetNumber(kPenWidth, stored.pen_width);
  picture_ = DecodePicture(stored.background_picture);
  ApplyPicture(stored.picture_mode);
  if (properties_.frame_interval < 0 || properties_.frame_interval > kMaxFrameInterval)
    properties_.frame_interval = 0;
  for (int slot = 0; slot < kSpriteSlotCount; ++slot) {
    LoadSlot(slot, stored.image_sets[slot]);
    core_.SetFrame(slot, stored.frames[slot]);
  }
  core_.SelectTurtle(0);
  if (preview_) CopyToPreview();
}

void TurtleCanvas::ApplyEdgeMode(int32_t stored) {
  const EdgeMode mode = EdgeModeOf(stored);
  // Switching to Wrap starts from a clean canvas with turtle 0 at home.
  if (mode == EdgeMode::Wrap) core_.Turtle().Clear();
  core_.SetEdgeMode(mode);
}

void TurtleCanvas::ApplyPicture(int32_t mode) { core_.SetBackgroundPicture(picture_, mode); }

// Shows `image_set` in `slot`: a built-in strip, or for 0 the slot's own
// image list when one is stored.
void TurtleCanvas::LoadSlot(int slot, int32_t image_set) {
  core_.SetImageSet(slot, image_set);
  if (core_.ImageSet(slot) == 0)
    core_.SetOwnFrames(slot, DecodeOwnImages(properties_.own_images[slot]));
}

void TurtleCanvas::CopyToPreview() {
  const int current = core_.CurrentTurtle();
  properties_.own_images[kPreviewSlot] = properties_.own_images[current];
  LoadSlot(kPreviewSlot, core_.ImageSet(current));
  core_.SetFrame(kPreviewSlot, core_.Frame(current));
}

bool TurtleCanvas::IsApplicable(int property) const {
  switch (property) {
    case kPictureMode: return !picture_.isNull();
    case kOwnImages: return core_.ImageSet(core_.CurrentTurtle()) == 0;
    case kFrame: return properties_.frame_interval == 0;
    default: return true;
  }
}

void TurtleCanvas::SetProperty(int property, const PropertyValue& value) {
  if (IsBlobProperty(property)) {
    if (const auto* bytes = std::get_if<QByteArray>(&value)) SetBytes(property, *bytes);
  } else if (const auto* number = std::get_if<int32_t>(&value)) {
    SetNumber(property, *number);
  }
}

void TurtleCanvas::SetNumber(int property, int32_t value) {
  switch (property) {
    case kPenColour:
    case kFillColour:
      fill_colour_ = value;
      core_.SetPenColour(static_cast<uint32_t>(value));
      break;
    case kBackgroundColour:
      if (static_cast<uint32_t>(value) == core_.BackgroundColour()) break;
      core_.SetBackgroundColour(static_cast<uint32_t>(value));
      if (!picture_.isNull()) ApplyPicture(core_.BackgroundPictureMode());
      break;
    case kPenWidth: core_.SetPenWidth(value); break;
    case kEdgeMode: ApplyEdgeMode(value); break;
    case kPictureMode:
      if (!picture_.isNull()) ApplyPicture(value);
      break;
    case kFrameInterval: SetFrameInterval(value); break;
    default: SetTurtleNumber(property, value);
  }
}

// The properties of the current turtle; a previewing host sees them in
// slot 20 too.
void TurtleCanvas::SetTurtleNumber(int property, int32_t value) {
  const int current = core_.CurrentTurtle();
  if (property == kImageSet) {
    LoadSlot(current, value);
  } else if (property == kFrame) {
    if (properties_.frame_interval != 0) return;
    core_.SetFrame(current, value);
  } else if (property == kCurrentTurtle) {
    core_.SelectTurtle(value);
  } else {
    return;
  }
  if (preview_) CopyToPreview();
}

void TurtleCanvas::SetBytes(int property, const QByteArray& value) {
  if (property == kBackgroundPicture) {
    properties_.background_picture = value;
    picture_ = DecodePicture(value);
    ApplyPicture(core_.BackgroundPictureMode());
    return;
  }
  const int current = core_.CurrentTurtle();
  if (core_.ImageSet(current) != 0) return;
  properties_.own_images[current] = value;
  LoadSlot(current, 0);
  if (preview_) CopyToPreview();
}

void TurtleCanvas::SetFrameInterval(int32_t interval) {
  if (interval < 0 || interval > kMaxFrameInterval) interval = 0;
  properties_.frame_interval = interval;
  if (timer_id_ != 0) killTimer(timer_id_);
  timer_id_ = interval != 0 ? startTimer(interval) : 0;
  if (interval == 0) core_.SetFrame(core_.CurrentTurtle(), 0);
}

TurtleCanvas::PropertyValue TurtleCanvas::GetProperty(int property) const {
  const int current = core_.CurrentTurtle();
  switch (property) {
    case kPenColour: return static_cast<int32_t>(core_.PenColour());
    case kBackgroundColour: return static_cast<int32_t>(core_.BackgroundColour());
    case kFillColour: return fill_colour_;
    case kPenWidth: return core_.PenWidth();
    case kEdgeMode: return static_cast<int32_t>(core_.GetEdgeMode());
    case kBackgroundPicture: return properties_.background_picture;
    case kPictureMode: return core_.BackgroundPictureMode();
    case kImageSet: return core_.ImageSet(current);
    case kOwnImages: return properties_.own_images[current];
    case kFrameInterval: return properties_.frame_interval;
    case kFrame: return core_.Frame(current);
    case kCurrentTurtle: return current;
    default: return 0;
  }
}

QByteArray TurtleCanvas::SaveProperties() const {
  CanvasProperties saved = properties_;
  saved.pen_colour = static_cast<int32_t>(core_.PenColour());
  saved.background_colour = static_cast<int32_t>(core_.BackgroundColour());
  saved.fill_colour = fill_colour_;
  saved.pen_width = core_.PenWidth();
  saved.edge_mode = static_cast<int32_t>(core_.GetEdgeMode());
  saved.picture_mode = core_.BackgroundPictureMode();
  for (int slot = 0; slot < kSpriteSlotCount; ++slot) {
    saved.frames[slot] = core_.Frame(slot);
    saved.image_sets[slot] = core_.ImageSet(slot);
  }
  return WriteProperties(saved);
}

// Called from whichever thread drew, under the canvas lock: at most one
// queued update is outstanding, however many lines a run draws meanwhile.
void TurtleCanvas::ScheduleUpdate() {
  if (update_pending_.exchange(true)) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        update_pending_ = false;
        update();
      },
      Qt::QueuedConnection);
}

void TurtleCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QImage frame = core_.PaintAt(devicePixelRatioF());
  // What a kept smaller canvas, or a frame there was no memory for, leaves
  // uncovered is never left as whatever was there.
  if (frame.isNull() || core_.Size() != size()) painter.fillRect(rect(), palette().window());
  painter.drawImage(0, 0, frame);
}

void TurtleCanvas::resizeEvent(QResizeEvent*) {
  // The first show delivers the creation size again; that must not erase.
  if (size() == core_.Size() || core_.Resize(width(), height())) return;
  const QSize kept = core_.Size();
  emit MessageRaised(tr("内存不足，画布无法改为 %1×%2，仍为 %3×%4\r\n")
                         .arg(width())
                         .arg(height())
                         .arg(kept.width())
                         .arg(kept.height()));
}

void TurtleCanvas::timerEvent(QTimerEvent* event) {
  if (event->timerId() == timer_id_) core_.AdvanceFrames();
}

void TurtleCanvas::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  QWidget::mousePressEvent(event);
}

void TurtleCanvas::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  emit EventRaised(kFocusGainedEvent);
}

void TurtleCanvas::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  emit EventRaised(kFocusLostEvent);
}

void TurtleCanvas::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (timer_id_ != 0) killTimer(timer_id_);
  timer_id_ = 0;
}

}  // namespace dravel
