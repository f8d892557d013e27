#include "mainwindow/canvas_view.h"

#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "canvas/canvas_core.h"

namespace dravel {
namespace {

constexpr uint32_t kPenColour = 0x00FF00;
constexpr uint32_t kBackgroundColour = 0x606060;
constexpr int kPenWidth = 1;
constexpr int kFrameIntervalMs = 500;

}  // namespace

CanvasView::CanvasView(int width, int height, QWidget* parent)
    : QWidget(parent),
      core_(std::make_unique<CanvasCore>(width, height)),
      repaint_timer_(new QTimer(this)) {
  setFixedSize(width, height);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);
  core_->Clear();
  core_->SetEdgeMode(EdgeMode::Wrap);
  core_->SetPenColour(kPenColour);
  core_->SetBackgroundColour(kBackgroundColour);
  core_->SetPenWidth(kPenWidth);
  repaint_timer_->setSingleShot(true);
  connect(repaint_timer_, &QTimer::timeout, this, [this] {
    since_repaint_.restart();
    repaint_pending_ = false;
    update();
  });
  since_repaint_.start();
  core_->SetRepaintCallback([this] { RequestRepaint(); });
  auto* timer = new QTimer(this);
  connect(timer, &QTimer::timeout, this, [this] { core_->AdvanceFrames(); });
  timer->start(kFrameIntervalMs);
}

CanvasView::~CanvasView() { core_->SetRepaintCallback({}); }

void CanvasView::RequestRepaint() {
  if (repaint_pending_.exchange(true)) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        const qint64 waited = since_repaint_.elapsed();
        repaint_timer_->start(static_cast<int>(std::max<qint64>(0, kRepaintIntervalMs - waited)));
      },
      Qt::QueuedConnection);
}

void CanvasView::paintEvent(QPaintEvent*) {
  ++paint_count_;
  QPainter painter(this);
  painter.drawImage(0, 0, core_->Paint());
}

}  // namespace dravel
