#include "mainwindow/settings_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>
#include <array>

#include "canvas/qt_pixels.h"
#include "canvas/sprite_frames.h"
#include "canvas/turtle_canvas.h"
#include "canvas/window_look.h"
#include "interpreter/run_pacer.h"
#include "mainwindow/display_scale.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/run_controller.h"
#include "mainwindow/tab_control.h"

namespace dravel {
namespace {

struct SpeedStep {
  const char* caption;
  int interval_ms;
};

// Our own texts: marked here, translated where they are shown.
constexpr std::array<SpeedStep, SettingsPage::kSpeedCount> kSpeeds = {{
    {QT_TRANSLATE_NOOP("dravel::SettingsPage", "最快"), 0},
    {QT_TRANSLATE_NOOP("dravel::SettingsPage", "快"), 60},
    {QT_TRANSLATE_NOOP("dravel::SettingsPage", "中"), 250},
    {QT_TRANSLATE_NOOP("dravel::SettingsPage", "慢"), 600},
    {QT_TRANSLATE_NOOP("dravel::SettingsPage", "最慢"), 1200},
}};
constexpr std::array<const char*, 3> kEdgeModes = {
    QT_TRANSLATE_NOOP("dravel::SettingsPage", "围栏"),
    QT_TRANSLATE_NOOP("dravel::SettingsPage", "环绕"),
    QT_TRANSLATE_NOOP("dravel::SettingsPage", "无界")};

// Colours as the canvas stores them: 0x00BBGGRR.
constexpr std::array<int32_t, 12> kColours = {0x000000, 0xFFFFFF, 0x0000FF, 0x00A000,
                                              0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00,
                                              0x0080FF, 0x808080, 0x800080, 0x004080};
constexpr int kMaxFrameInterval = 2000;
constexpr QSize kSwatch(28, 14);

QColor FromStored(int32_t value) {
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QIcon Swatch(int32_t value) {
  QPixmap pixmap(kSwatch);
  pixmap.fill(FromStored(value));
  return QIcon(pixmap);
}

int32_t NumberOf(const TurtleCanvas::PropertyValue& value) {
  const int32_t* number = std::get_if<int32_t>(&value);
  return number != nullptr ? *number : 0;
}

}  // namespace

SettingsPage::SettingsPage(TabControl& tabs, int page, TurtleCanvas& canvas, RunController& runs)
    : QObject(&tabs), tabs_(tabs), page_(page), canvas_(canvas), runs_(runs) {
  BuildPace();
  BuildCanvasControls();
  BuildColouring();
  BuildDisplayScale();
  connect(&runs_, &RunController::PauseChanged, this, &SettingsPage::ShowPauseState);
}

void SettingsPage::BuildPace() {
  auto* label = new QLabel(tr("速度："));
  tabs_.Place(label, page_, QRect(8, 30, 64, 24));
  speed_ = new QComboBox;
  speed_->setObjectName(QStringLiteral("speed"));
  for (const SpeedStep& speed : kSpeeds) speed_->addItem(tr(speed.caption));
  tabs_.Place(speed_, page_, QRect(76, 30, 90, 24));
  connect(speed_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) {
      runs_.Pacer().SetInterval(std::chrono::milliseconds(kSpeeds[index].interval_ms));
    }
  });
  pause_ = new QPushButton(tr("暂停(F8)"));
  pause_->setObjectName(QStringLiteral("pause"));
  tabs_.Place(pause_, page_, QRect(190, 28, 96, 28));
  connect(pause_, &QPushButton::clicked, &runs_, &RunController::TogglePause);
  step_ = new QPushButton(tr("单步(F10)"));
  step_->setObjectName(QStringLiteral("step"));
  tabs_.Place(step_, page_, QRect(296, 28, 96, 28));
  connect(step_, &QPushButton::clicked, &runs_, &RunController::Step);
}

QComboBox* SettingsPage::ColourBox(const char* name, int property, const QRect& bounds) {
  auto* box = new QComboBox;
  box->setObjectName(QString::fromLatin1(name));
  box->setIconSize(kSwatch);
  for (int32_t colour : kColours) box->addItem(Swatch(colour), QString(), colour);
  const int32_t current = NumberOf(canvas_.GetProperty(property));
  if (box->findData(current) < 0) box->addItem(Swatch(current), QString(), current);
  box->setCurrentIndex(box->findData(current));
  connect(box, &QComboBox::currentIndexChanged, this,
          [this, box, property] { canvas_.SetProperty(property, box->currentData().toInt()); });
  tabs_.Place(box, page_, bounds);
  return box;
}

void SettingsPage::Label(const QString& text, int x, int y) {
  tabs_.Place(new QLabel(text), page_, QRect(x, y, 72, 24));
}

void SettingsPage::BuildCanvasControls() {
  Label(tr("画笔颜色："), 8, 68);
  pen_colour_ = ColourBox("pen_colour", TurtleCanvas::kPenColour, QRect(76, 68, 110, 24));
  Label(tr("背景颜色："), 200, 68);
  background_colour_ =
      ColourBox("background_colour", TurtleCanvas::kBackgroundColour, QRect(276, 68, 116, 24));
  BuildPenAndEdge();
  BuildTurtleControls();
}

void SettingsPage::BuildPenAndEdge() {
  Label(tr("画笔宽度："), 8, 104);
  pen_width_ = new QSpinBox;
  pen_width_->setObjectName(QStringLiteral("pen_width"));
  pen_width_->setRange(1, kWidestWindowPen);
  pen_width_->setValue(NumberOf(canvas_.GetProperty(TurtleCanvas::kPenWidth)));
  connect(pen_width_, &QSpinBox::valueChanged, this,
          [this](int width) { canvas_.SetProperty(TurtleCanvas::kPenWidth, width); });
  tabs_.Place(pen_width_, page_, QRect(76, 104, 110, 24));

  Label(tr("边界模式："), 200, 104);
  edge_mode_ = new QComboBox;
  edge_mode_->setObjectName(QStringLiteral("edge_mode"));
  for (const char* mode : kEdgeModes) edge_mode_->addItem(tr(mode));
  edge_mode_->setCurrentIndex(NumberOf(canvas_.GetProperty(TurtleCanvas::kEdgeMode)));
  connect(edge_mode_, &QComboBox::currentIndexChanged, this,
          [this](int mode) { canvas_.SetProperty(TurtleCanvas::kEdgeMode, mode); });
  tabs_.Place(edge_mode_, page_, QRect(276, 104, 116, 24));
}

void SettingsPage::BuildTurtleControls() {
  Label(tr("海龟图像："), 8, 148);
  image_set_ = new QComboBox;
  image_set_->setObjectName(QStringLiteral("image_set"));
  image_set_->setIconSize(QSize(32, 32));
  for (int set = 1; set < kImageSetCount; ++set) {
    const SpriteFrames& frames = BuiltInSprites(set);
    const QPixmap picture =
        frames.empty() ? QPixmap() : QPixmap::fromImage(ImageOf(frames.front().View()));
    image_set_->addItem(QIcon(picture.scaled(32, 32, Qt::KeepAspectRatio)), QString::number(set),
                        set);
  }
  image_set_->setCurrentIndex(
      std::max(0, image_set_->findData(NumberOf(canvas_.GetProperty(TurtleCanvas::kImageSet)))));
  connect(image_set_, &QComboBox::currentIndexChanged, this, [this] {
    canvas_.SetProperty(TurtleCanvas::kImageSet, image_set_->currentData().toInt());
  });
  tabs_.Place(image_set_, page_, QRect(76, 140, 110, 40));

  Label(tr("帧间隔："), 200, 148);
  frame_interval_ = new QSpinBox;
  frame_interval_->setObjectName(QStringLiteral("frame_interval"));
  frame_interval_->setRange(0, kMaxFrameInterval);
  frame_interval_->setSingleStep(10);
  frame_interval_->setSuffix(tr(" 毫秒"));
  frame_interval_->setValue(NumberOf(canvas_.GetProperty(TurtleCanvas::kFrameInterval)));
  connect(frame_interval_, &QSpinBox::valueChanged, this,
          [this](int ms) { canvas_.SetProperty(TurtleCanvas::kFrameInterval, ms); });
  tabs_.Place(frame_interval_, page_, QRect(276, 148, 116, 24));
}

void SettingsPage::BuildColouring() {
  colouring_ = new QCheckBox(tr("彩色显示脚本（不选时全部是白字）"));
  colouring_->setObjectName(QStringLiteral("colouring"));
  colouring_->setChecked(true);
  connect(colouring_, &QCheckBox::toggled, this, &SettingsPage::ColouringChanged);
  tabs_.Place(colouring_, page_, QRect(8, 188, 228, 20));
}

void SettingsPage::BuildDisplayScale() {
  Label(tr("显示比例："), 240, 186);
  display_scale_ = new QComboBox;
  display_scale_->setObjectName(QStringLiteral("display_scale"));
  display_scale_->setToolTip(
      tr("整个窗口放大，投影时后排也看得清；画出的图和保存的图片大小不变。"
         "只列出整个窗口在这块屏幕上放得下的比例"));
  SetDisplayScales({100}, 100);
  connect(display_scale_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) emit DisplayScaleChosen(display_scale_->currentData().toInt());
  });
  tabs_.Place(display_scale_, page_, QRect(306, 186, 86, 24));
}

void SettingsPage::SetDisplayScales(std::vector<int> offered, int current) {
  if (std::find(offered.begin(), offered.end(), current) == offered.end()) {
    offered.insert(std::upper_bound(offered.begin(), offered.end(), current), current);
  }
  const QSignalBlocker quiet(display_scale_);
  display_scale_->clear();
  for (int percent : offered) display_scale_->addItem(QStringLiteral("%1%").arg(percent), percent);
  display_scale_->setCurrentIndex(display_scale_->findData(current));
}

void SettingsPage::SetSpeed(int index) {
  speed_->setCurrentIndex(std::clamp(index, 0, kSpeedCount - 1));
}

int SettingsPage::Speed() const { return speed_->currentIndex(); }

void SettingsPage::ShowPauseState(bool paused) {
  pause_->setText(paused ? tr("继续(F8)") : tr("暂停(F8)"));
}

}  // namespace dravel
