// CanvasView: the window's drawing area, a plain widget that shows a
// CanvasCore. It owns the core, configures it as the window's canvas (green
// one-pixel pen on dark grey, wrapping at the borders, sprites stepping every
// 500 ms) and repaints whenever the core asks, from any thread, folding a burst
// of requests into one repaint at most every kRepaintIntervalMs, so a fast run
// is shown smoothly without spending its time on copies of the canvas. The
// core does the drawing and locking.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <atomic>
#include <memory>

class QTimer;

namespace dravel {

class CanvasCore;

inline constexpr int kRepaintIntervalMs = 15;

class CanvasView : public QWidget {
  Q_OBJECT

 public:
  CanvasView(int width, int height, QWidget* parent = nullptr);
  ~CanvasView() override;

  CanvasCore& Core() { return *core_; }
  // Paints handled so far; a measure of how often the view keeps up.
  int PaintCount() const { return paint_count_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void RequestRepaint();

  std::unique_ptr<CanvasCore> core_;
  QTimer* repaint_timer_;
  QElapsedTimer since_repaint_;
  std::atomic<bool> repaint_pending_{false};
  int paint_count_ = 0;
};

}  // namespace dravel
