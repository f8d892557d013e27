// SettingsPage: the controls of the page "属性设置". The run's pace (speed,
// pause/continue, single step) goes to the run controller; the canvas's own properties
// (pen and background colour, pen width, edge mode, the turtle's image set,
// frame interval) go through the canvas's set-property request at once, with
// its rules; only the display scale is remembered, by the window
// (display_scale.h).
#pragma once

#include <QObject>
#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace dravel {

class RunController;
class TabControl;
class TurtleCanvas;

class SettingsPage final : public QObject {
  Q_OBJECT

 public:
  // Places the controls on `page` of `tabs`; they show the canvas's values.
  SettingsPage(TabControl& tabs, int page, TurtleCanvas& canvas, RunController& runs);

  // Speed index 0 ("最快") to kSpeedCount - 1; out of range is clipped.
  void SetSpeed(int index);
  int Speed() const;

  QComboBox& SpeedBox() const { return *speed_; }
  QPushButton& PauseButton() const { return *pause_; }
  QPushButton& StepButton() const { return *step_; }
  QComboBox& PenColourBox() const { return *pen_colour_; }
  QComboBox& BackgroundColourBox() const { return *background_colour_; }
  QSpinBox& PenWidthBox() const { return *pen_width_; }
  QComboBox& EdgeModeBox() const { return *edge_mode_; }
  QComboBox& ImageSetBox() const { return *image_set_; }
  QSpinBox& FrameIntervalBox() const { return *frame_interval_; }
  QCheckBox& ColouringBox() const { return *colouring_; }
  // The display scales the screen has room for; choosing another says so.
  QComboBox& DisplayScaleBox() const { return *display_scale_; }
  // Offers `offered` (ascending) in the box, `current` (the scale in effect)
  // chosen and offered too, without telling anyone.
  void SetDisplayScales(std::vector<int> offered, int current);

  static constexpr int kSpeedCount = 5;

 signals:
  // The script's colouring turned on or off, for this session.
  void ColouringChanged(bool on);
  // Another display scale chosen, in percent.
  void DisplayScaleChosen(int percent);

 private:
  void BuildPace();
  // Shows "暂停" or "继续".
  void ShowPauseState(bool paused);
  void BuildCanvasControls();
  void BuildPenAndEdge();
  void BuildTurtleControls();
  void BuildColouring();
  void BuildDisplayScale();
  void Label(const QString& text, int x, int y);
  QComboBox* ColourBox(const char* name, int property, const QRect& bounds);

  TabControl& tabs_;
  int page_;
  TurtleCanvas& canvas_;
  RunController& runs_;
  QComboBox* speed_ = nullptr;
  QPushButton* pause_ = nullptr;
  QPushButton* step_ = nullptr;
  QComboBox* pen_colour_ = nullptr;
  QComboBox* background_colour_ = nullptr;
  QSpinBox* pen_width_ = nullptr;
  QComboBox* edge_mode_ = nullptr;
  QComboBox* image_set_ = nullptr;
  QSpinBox* frame_interval_ = nullptr;
  QCheckBox* colouring_ = nullptr;
  QComboBox* display_scale_ = nullptr;
};

}  // namespace dravel
