#include "mainwindow/learning_tools.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTextBlock>

#include "interpreter/run_driver.h"
#include "interpreter/run_location.h"
#include "interpreter/run_pacer.h"
#include "mainwindow/line_number_editor.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/script_highlighter.h"
#include "mainwindow/settings_page.h"
#include "mainwindow/tab_control.h"
#include "mainwindow/window_run_host.h"

namespace dravel {
namespace {

// "第N行…" and "已被第N行…": the messages that name a script line.
const QRegularExpression& LineMessage() {
  static const QRegularExpression pattern(QStringLiteral("^(?:\u5df2\u88ab)?\u7b2c(\\d+)\u884c"));
  return pattern;
}

// The last line of `box` holding text: the message just appended.
int LastMessageLine(const EditBox& box) {
  for (QTextBlock block = box.document()->lastBlock(); block.isValid(); block = block.previous()) {
    if (!block.text().isEmpty()) return block.blockNumber();
  }
  return -1;
}

}  // namespace

LearningTools::LearningTools(const Parts& parts)
    : QObject(&parts.window), parts_(parts), pacer_(std::make_unique<RunPacer>()) {
  parts_.run_driver.SetPacer(pacer_.get());
  parts_.run_host.SetLocationSink(
      [this](int line, int item, bool failing) { ShowLocation(line, item, failing); });
  new ScriptHighlighter(parts_.editor);
  settings_ = new SettingsPage(parts_.tabs, kSettingsPage, parts_.canvas, *pacer_,
                               {[this] { TogglePause(); }, [this] { Step(); }});
  parts_.hint.viewport()->installEventFilter(this);
  BindShortcuts();
}

// The window ends its run, and the run driver, before it lets go of the pacer.
LearningTools::~LearningTools() = default;

void LearningTools::BindShortcuts() {
  const auto bind = [this](Qt::Key key, std::function<void()> action) {
    auto* shortcut = new QShortcut(QKeySequence(key), &parts_.window);
    connect(shortcut, &QShortcut::activated, this, std::move(action));
  };
  bind(Qt::Key_F8, [this] { TogglePause(); });
  bind(Qt::Key_F10, [this] { Step(); });
  bind(Qt::Key_F6, [this] { settings_->SetSpeed(settings_->Speed() + 1); });
  bind(Qt::Key_F7, [this] { settings_->SetSpeed(settings_->Speed() - 1); });
}

void LearningTools::BeforeRun() {
  parts_.editor.ClearMarks();
  hint_lines_.clear();
}

void LearningTools::AfterStop() {
  pacer_->Continue();
  settings_->ShowPauseState();
}

void LearningTools::TogglePause() {
  if (pacer_->Paused()) {
    pacer_->Continue();
  } else {
    pacer_->Pause();
  }
  settings_->ShowPauseState();
}

void LearningTools::Step() {
  const bool idle = parts_.run_button.isEnabled();
  pacer_->Step();
  settings_->ShowPauseState();
  if (idle) parts_.start_run();
}

void LearningTools::ShowLocation(int script_line, int body_item, bool failing) {
  const QTextBlock block = parts_.editor.document()->findBlockByNumber(script_line - 1);
  if (!block.isValid()) return;
  const std::optional<ByteRange> item =
      body_item > 0 ? BodyItemRange(FromWidgetText(block.text()), body_item) : std::nullopt;
  using Mark = LineNumberEditor::Mark;
  parts_.editor.MarkLine(script_line, item, failing ? Mark::kFailing : Mark::kRunning);
  if (!failing) return;
  hint_lines_[LastMessageLine(parts_.hint)] = script_line;
  parts_.tabs.SetCurrentPage(kScriptPage);
}

bool LearningTools::JumpFromHint(int hint_line) {
  int script_line = 0;
  if (const auto known = hint_lines_.find(hint_line); known != hint_lines_.end()) {
    script_line = known->second;
  } else {
    const QTextBlock block = parts_.hint.document()->findBlockByNumber(hint_line);
    const QRegularExpressionMatch match = LineMessage().match(block.text());
    if (!match.hasMatch()) return false;
    script_line = match.captured(1).toInt();
  }
  const QTextBlock target = parts_.editor.document()->findBlockByNumber(script_line - 1);
  if (script_line < 1 || !target.isValid()) return false;
  parts_.tabs.SetCurrentPage(kScriptPage);
  parts_.editor.setTextCursor(QTextCursor(target));
  parts_.editor.ensureCursorVisible();
  parts_.editor.setFocus();
  return true;
}

bool LearningTools::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parts_.hint.viewport() && event->type() == QEvent::MouseButtonRelease) {
    const auto* click = static_cast<QMouseEvent*>(event);
    const QTextCursor cursor = parts_.hint.cursorForPosition(click->position().toPoint());
    if (!parts_.hint.textCursor().hasSelection()) JumpFromHint(cursor.blockNumber());
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace dravel
