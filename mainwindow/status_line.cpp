#include "mainwindow/status_line.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <cmath>

#include "canvas/canvas_core.h"
#include "mainwindow/settings_page.h"

namespace dravel {
namespace {

struct StateLook {
  RunController::State state;
  const char* word;
  QColor colour;
};

const StateLook kStateLooks[] = {
    {RunController::State::kReady, QT_TRANSLATE_NOOP("dravel::StatusLine", "就绪"), Qt::black},
    {RunController::State::kRunning, QT_TRANSLATE_NOOP("dravel::StatusLine", "运行中"),
     QColor(0, 128, 0)},
    {RunController::State::kPaused, QT_TRANSLATE_NOOP("dravel::StatusLine", "已暂停"),
     QColor(200, 100, 0)},
    {RunController::State::kStepping, QT_TRANSLATE_NOOP("dravel::StatusLine", "单步"),
     QColor(0, 70, 200)},
    {RunController::State::kStopped, QT_TRANSLATE_NOOP("dravel::StatusLine", "已停止"),
     QColor(190, 0, 0)},
};

const StateLook& LookOf(RunController::State state) {
  for (const StateLook& look : kStateLooks) {
    if (look.state == state) return look;
  }
  return kStateLooks[0];
}

const QColor kPenUpColour(200, 60, 0);

// Whole units, as a script writes them; a heading of 359.7 shows as 0.
long Whole(double value) { return std::isfinite(value) ? std::lround(value) : 0; }

void SetTextOnce(QLabel& label, const QString& text) {
  if (label.text() != text) label.setText(text);
}

void Colour(QLabel& label, const QColor& colour) {
  QPalette palette = label.palette();
  palette.setColor(QPalette::WindowText, colour);
  label.setPalette(palette);
}

}  // namespace

StatusLine::StatusLine(RunController& runs, SettingsPage& settings, CanvasCore& canvas,
                       QWidget* parent)
    : QWidget(parent), runs_(runs), settings_(settings), canvas_(canvas) {
  setObjectName(QStringLiteral("status_line"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(8, 0, 8, 0);
  layout->setSpacing(16);
  state_ = AddPart("run_state", 56);
  QFont bold = state_->font();
  bold.setBold(true);
  state_->setFont(bold);
  speed_ = AddPart("run_speed", 84);
  place_ = AddPart("turtle_place", 180);
  pen_ = AddPart("turtle_pen", 80);
  layout->addStretch();
  connect(&runs_, &RunController::StateChanged, this, &StatusLine::Refresh);
  connect(&runs_, &RunController::LocationReported, this, &StatusLine::Refresh);
  connect(&settings_.SpeedBox(), &QComboBox::currentIndexChanged, this, &StatusLine::ShowSpeed);
  connect(&timer_, &QTimer::timeout, this, &StatusLine::Refresh);
  timer_.start(kRefreshMs);
  Refresh();
}

QLabel* StatusLine::AddPart(const char* name, int width) {
  auto* label = new QLabel(this);
  label->setObjectName(QString::fromLatin1(name));
  label->setMinimumWidth(width);
  layout()->addWidget(label);
  return label;
}

void StatusLine::Refresh() {
  ShowState();
  ShowSpeed();
  ShowTurtle();
}

void StatusLine::ShowState() {
  const StateLook& look = LookOf(runs_.CurrentState());
  if (state_->text() == tr(look.word)) return;
  state_->setText(tr(look.word));
  Colour(*state_, look.colour);
}

void StatusLine::ShowSpeed() {
  SetTextOnce(*speed_, tr("速度：%1").arg(settings_.SpeedBox().currentText()));
}

void StatusLine::ShowTurtle() {
  TurtleState turtle;
  {
    // As short as a paint's hold: the run hands the lock over between its
    // operations and at the checkpoints of a long one.
    const auto canvas = canvas_.Lock();
    turtle = canvas->StateOf(canvas->CurrentTurtle());
  }
  SetTextOnce(*place_, TurtleWords(turtle));
  const bool up = turtle.pen < 0;
  const QString pen = up ? tr("笔：抬起") : tr("笔：落下");
  if (pen_->text() == pen) return;
  pen_->setText(pen);
  QFont font = pen_->font();
  font.setBold(up);
  pen_->setFont(font);
  Colour(*pen_, up ? kPenUpColour : palette().color(QPalette::WindowText));
}

QString StatusLine::StateWord(RunController::State state) { return tr(LookOf(state).word); }

QString StatusLine::TurtleWords(const TurtleState& turtle) {
  return tr("位置：(%1, %2)  方向：%3°")
      .arg(Whole(turtle.x))
      .arg(Whole(turtle.y))
      .arg(Whole(turtle.heading) % 360);
}

QString StatusLine::Shown() const {
  return QStringList{state_->text(), speed_->text(), place_->text(), pen_->text()}.join(
      QStringLiteral("  "));
}

}  // namespace dravel
