#include "canvas/turtle_canvas.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

#include "canvas/bundled_font.h"
#include "canvas/stored_images.h"

namespace dravel {
namespace {

bool IsBlobProperty(int property) {
  return property == TurtleCanvas::kBackgroundPicture || property == TurtleCanvas::kOwnImages;
}

}  // namespace

TurtleCanvas* TurtleCanvas::Create(const QByteArray& stored, QWidget* parent, const QRect& geometry,
                                   bool preview) {
  const std::optional<CanvasProperties> properties = ReadProperties(stored);
  if (!properties) return nullptr;
  std::unique_ptr<CanvasCore> core = CanvasCore::Create(geometry.width(), geometry.height());
  if (!core) return nullptr;
  return new TurtleCanvas(std::move(core), *properties, preview, parent, geometry);
}

TurtleCanvas::TurtleCanvas(std::unique_ptr<CanvasCore> core, const CanvasProperties& stored,
                           bool preview, QWidget* parent, const QRect& geometry)
    : QWidget(parent), core_(std::move(core)), properties_(stored), preview_(preview) {
  setGeometry(geometry);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);
  setCursor(Qt::ArrowCursor);
  {
    auto canvas = core_->Lock();
    canvas->SetRepaintCallback([this] { ScheduleUpdate(); });
    canvas->SetTextPainter(BundledTextPainter());
    canvas->KeepRecord(true);  // for the exports and the dense paint
    canvas->SetPreview(preview);
  }
  if (!preview) context_menu_ = new CanvasContextMenu(this, *core_);
  ApplyStored(stored);
  if (properties_.frame_interval != 0) timer_id_ = startTimer(properties_.frame_interval);
}

TurtleCanvas::~TurtleCanvas() { core_->Lock()->SetRepaintCallback({}); }

void TurtleCanvas::ApplyStored(const CanvasProperties& stored) {
  ApplyEdgeMode(stored.edge_mode);
  if (properties_.frame_interval < 0 || properties_.frame_interval > kMaxFrameInterval)
    properties_.frame_interval = 0;
  auto canvas = core_->Lock();
  canvas->SetPenColour(static_cast<uint32_t>(stored.pen_colour));
  canvas->SetBackgroundColour(static_cast<uint32_t>(stored.background_colour));
  canvas->SetPenWidth(stored.pen_width);
  canvas->SetBackgroundPicture(DecodePicture(stored.background_picture));
  canvas->SetPictureMode(stored.picture_mode);
  for (int slot = 0; slot < kSpriteSlotCount; ++slot) {
    LoadSlot(*canvas, slot, stored.image_sets[size_t(slot)]);
    canvas->SetFrame(slot, stored.frames[size_t(slot)]);
  }
  canvas->SelectTurtle(0);
  if (preview_) CopyToPreview(*canvas);
}

void TurtleCanvas::ApplyEdgeMode(int32_t stored) {
  const EdgeMode mode = EdgeModeOf(stored);
  // Switching to Wrap starts from a clean canvas with turtle 0 at home.
  if (mode == EdgeMode::Wrap) core_->Turtle().Clear();
  core_->Lock()->SetEdgeMode(mode);
}

// Shows `image_set` in `slot`: a built-in strip, or for 0 the slot's own
// image list when one is stored.
void TurtleCanvas::LoadSlot(Canvas& canvas, int slot, int32_t image_set) {
  canvas.SetImageSet(slot, image_set);
  if (canvas.ImageSet(slot) == 0)
    canvas.SetOwnFrames(slot, DecodeOwnImages(properties_.own_images[size_t(slot)]));
}

void TurtleCanvas::CopyToPreview(Canvas& canvas) {
  const int current = canvas.CurrentTurtle();
  properties_.own_images[kPreviewSlot] = properties_.own_images[size_t(current)];
  LoadSlot(canvas, kPreviewSlot, canvas.ImageSet(current));
  canvas.SetFrame(kPreviewSlot, canvas.Frame(current));
}

bool TurtleCanvas::IsApplicable(int property) const {
  switch (property) {
    case kPictureMode: return core_->Lock()->HasBackgroundPicture();
    case kOwnImages: {
      auto canvas = core_->Lock();
      return canvas->ImageSet(canvas->CurrentTurtle()) == 0;
    }
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
  if (property == kEdgeMode) return ApplyEdgeMode(value);
  if (property == kFrameInterval) return SetFrameInterval(value);
  auto canvas = core_->Lock();
  switch (property) {
    case kPenColour:
    case kFillColour:
      properties_.fill_colour = value;
      canvas->SetPenColour(static_cast<uint32_t>(value));
      break;
    case kBackgroundColour:
      if (static_cast<uint32_t>(value) != canvas->BackgroundColour())
        canvas->SetBackgroundColour(static_cast<uint32_t>(value));
      break;
    case kPenWidth: canvas->SetPenWidth(value); break;
    case kPictureMode:
      if (canvas->HasBackgroundPicture()) canvas->SetPictureMode(value);
      break;
    default: SetTurtleNumber(*canvas, property, value);
  }
}

// The properties of the current turtle; a previewing host sees them in
// slot 20 too.
void TurtleCanvas::SetTurtleNumber(Canvas& canvas, int property, int32_t value) {
  const int current = canvas.CurrentTurtle();
  if (property == kImageSet) {
    LoadSlot(canvas, current, value);
  } else if (property == kFrame) {
    if (properties_.frame_interval != 0) return;
    canvas.SetFrame(current, value);
  } else if (property == kCurrentTurtle) {
    canvas.SelectTurtle(value);
  } else {
    return;
  }
  if (preview_) CopyToPreview(canvas);
}

void TurtleCanvas::SetBytes(int property, const QByteArray& value) {
  if (property == kBackgroundPicture) {
    properties_.background_picture = value;
    // Decoded before the lock is taken: a run draws on meanwhile.
    PixelImage picture = DecodePicture(value);
    core_->Lock()->SetBackgroundPicture(std::move(picture));
    return;
  }
  auto canvas = core_->Lock();
  const int current = canvas->CurrentTurtle();
  if (canvas->ImageSet(current) != 0) return;
  properties_.own_images[size_t(current)] = value;
  LoadSlot(*canvas, current, 0);
  if (preview_) CopyToPreview(*canvas);
}

void TurtleCanvas::SetFrameInterval(int32_t interval) {
  if (interval < 0 || interval > kMaxFrameInterval) interval = 0;
  properties_.frame_interval = interval;
  if (timer_id_ != 0) killTimer(timer_id_);
  timer_id_ = interval != 0 ? startTimer(interval) : 0;
  if (interval == 0) {
    auto canvas = core_->Lock();
    canvas->SetFrame(canvas->CurrentTurtle(), 0);
  }
}

TurtleCanvas::PropertyValue TurtleCanvas::GetProperty(int property) const {
  auto canvas = core_->Lock();
  const int current = canvas->CurrentTurtle();
  switch (property) {
    case kPenColour: return static_cast<int32_t>(canvas->PenColour());
    case kBackgroundColour: return static_cast<int32_t>(canvas->BackgroundColour());
    case kFillColour: return properties_.fill_colour;
    case kPenWidth: return canvas->PenWidth();
    case kEdgeMode: return static_cast<int32_t>(canvas->GetEdgeMode());
    case kBackgroundPicture: return properties_.background_picture;
    case kPictureMode: return canvas->GetPictureMode();
    case kImageSet: return canvas->ImageSet(current);
    case kOwnImages: return properties_.own_images[size_t(current)];
    case kFrameInterval: return properties_.frame_interval;
    case kFrame: return canvas->Frame(current);
    case kCurrentTurtle: return current;
    default: return 0;
  }
}

QByteArray TurtleCanvas::SaveProperties() const {
  CanvasProperties saved = properties_;
  auto canvas = core_->Lock();
  saved.pen_colour = static_cast<int32_t>(canvas->PenColour());
  saved.background_colour = static_cast<int32_t>(canvas->BackgroundColour());
  saved.pen_width = canvas->PenWidth();
  saved.edge_mode = static_cast<int32_t>(canvas->GetEdgeMode());
  saved.picture_mode = canvas->GetPictureMode();
  for (int slot = 0; slot < kSpriteSlotCount; ++slot) {
    saved.frames[size_t(slot)] = canvas->Frame(slot);
    saved.image_sets[size_t(slot)] = canvas->ImageSet(slot);
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
  QImage frame;
  QSize canvas_size;
  {
    auto canvas = core_->Lock();
    frame = dense_.Frame(*canvas, devicePixelRatioF());
    canvas_size = {canvas->Width(), canvas->Height()};
  }
  QPainter painter(this);
  // What a kept smaller canvas, or a frame there was no memory for, leaves
  // uncovered is never left as whatever was there.
  if (frame.isNull() || canvas_size != size()) painter.fillRect(rect(), palette().window());
  painter.drawImage(0, 0, frame);
}

void TurtleCanvas::resizeEvent(QResizeEvent*) {
  QSize kept;
  {
    auto canvas = core_->Lock();
    // The first show delivers the creation size again; that must not erase.
    if (width() == canvas->Width() && height() == canvas->Height()) return;
    if (canvas->Resize(width(), height())) return;
    kept = {canvas->Width(), canvas->Height()};
  }
  // Layers that cannot be had at the new size leave the old ones showing.
  emit MessageRaised(tr("内存不足，画布无法改为 %1×%2，仍为 %3×%4\r\n")
                         .arg(width())
                         .arg(height())
                         .arg(kept.width())
                         .arg(kept.height()));
}

void TurtleCanvas::timerEvent(QTimerEvent* event) {
  if (event->timerId() == timer_id_) core_->Lock()->AdvanceFrames();
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
