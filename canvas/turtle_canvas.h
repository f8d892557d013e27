// The canvas component: a QWidget showing the shared canvas (CanvasCore). It
// owns the twelve properties with their setter rules, creation from the
// stored format and saving to it, painting the canvas's frame (from the
// drawing record at a screen's higher density: DenseLayer), resizing, the
// animation timer, the focus events and the export menu (CanvasContextMenu).
// The drawing itself is the plain canvas's; the interpreter reaches its
// turtle operations through Core().
//
// Properties, by number: 0 pen colour, 1 background colour, 2 fill colour,
// 3 pen width, 4 edge mode (0 Fence, 1 Wrap, 2 Unbounded), 5 background
// picture (bytes), 6 picture mode (see PictureMode), 7 image set of the
// current turtle, 8 own image list of the current turtle (bytes, see
// DecodeOwnImages), 9 frame interval in ms, 10 frame of the current turtle,
// 11 current turtle.
#pragma once

#include <QByteArray>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>
#include <variant>

#include "canvas/canvas_context_menu.h"
#include "canvas/canvas_core.h"
#include "canvas/canvas_properties.h"
#include "canvas/dense_layer.h"

namespace dravel {

// The stored properties of the main window's canvas, as a resource path.
inline constexpr char kDravelObject1Properties[] = ":/canvas/dravel_object1.props";

class TurtleCanvas : public QWidget {
  Q_OBJECT

 public:
  using PropertyValue = std::variant<int32_t, QByteArray>;

  enum PropertyNumber {
    kPenColour = 0,
    kBackgroundColour = 1,
    kFillColour = 2,
    kPenWidth = 3,
    kEdgeMode = 4,
    kBackgroundPicture = 5,
    kPictureMode = 6,
    kImageSet = 7,
    kOwnImages = 8,
    kFrameInterval = 9,
    kFrame = 10,
    kCurrentTurtle = 11,
  };
  static constexpr int kFocusGainedEvent = -7;
  static constexpr int kFocusLostEvent = -8;
  static constexpr int32_t kMaxFrameInterval = 86400000;

  // Creates the canvas from its stored property bytes (empty bytes: the
  // construction values) at `geometry` under `parent`, which then owns it
  // (without a parent the caller does). Null when the bytes cannot be read
  // or layers of that size cannot be had. `preview` paints and animates only
  // slot 20, for a host's designer.
  static TurtleCanvas* Create(const QByteArray& stored, QWidget* parent, const QRect& geometry,
                              bool preview = false);
  ~TurtleCanvas() override;

  // Whether a property can be set now: 6 needs a picture, 8 a current slot
  // showing image set 0, 10 an interval of 0.
  bool IsApplicable(int property) const;
  // Applies the setter rules; a value of the wrong kind or an unknown number
  // is ignored.
  void SetProperty(int property, const PropertyValue& value);
  PropertyValue GetProperty(int property) const;
  QByteArray SaveProperties() const;

  CanvasCore& Core() { return *core_; }
  // The export menu (save, copy, print); null on a previewing canvas.
  CanvasContextMenu* ContextMenu() const { return context_menu_; }
  bool IsAnimating() const { return timer_id_ != 0; }

 signals:
  // Events for the host: -7 focus gained, -8 focus lost.
  void EventRaised(int event);
  // One hint-box line (ending in CR LF) for the window to show: a size the
  // canvas could not take, keeping its drawing at the old one.
  void MessageRaised(const QString& line);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  TurtleCanvas(std::unique_ptr<CanvasCore> core, const CanvasProperties& stored, bool preview,
               QWidget* parent, const QRect& geometry);

  void ApplyStored(const CanvasProperties& stored);
  void ApplyEdgeMode(int32_t stored);
  void LoadSlot(Canvas& canvas, int slot, int32_t image_set);
  void CopyToPreview(Canvas& canvas);
  void SetNumber(int property, int32_t value);
  void SetTurtleNumber(Canvas& canvas, int property, int32_t value);
  void SetBytes(int property, const QByteArray& value);
  void SetFrameInterval(int32_t interval);
  void ScheduleUpdate();

  std::unique_ptr<CanvasCore> core_;
  // What the canvas does not keep: the blobs as stored, the fill colour, the
  // frame interval. The other settings live in the canvas alone.
  CanvasProperties properties_;
  bool preview_;
  DenseLayer dense_;
  CanvasContextMenu* context_menu_ = nullptr;
  int timer_id_ = 0;
  std::atomic<bool> update_pending_{false};
};

}  // namespace dravel
