#include "mainwindow/script_marks.h"

#include <QMouseEvent>
#include <QTextBlock>

#include "interpreter/message_line.h"
#include "interpreter/run_location.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/run_controller.h"
#include "mainwindow/script_editor.h"
#include "mainwindow/tab_control.h"

namespace dravel {
namespace {

// The last line of `box` holding text: the message just appended.
int LastMessageLine(const EditBox& box) {
  for (QTextBlock block = box.document()->lastBlock(); block.isValid(); block = block.previous()) {
    if (!block.text().isEmpty()) return block.blockNumber();
  }
  return -1;
}

}  // namespace

ScriptMarks::ScriptMarks(ScriptEditor& editor, EditBox& hint, TabControl& tabs, RunController& runs)
    : QObject(&runs), editor_(editor), hint_(hint), tabs_(tabs) {
  connect(&runs, &RunController::RunStarting, this, &ScriptMarks::Clear);
  connect(&runs, &RunController::LocationReported, this, &ScriptMarks::ShowLocation);
  connect(&runs, &RunController::RunEnded, this, &ScriptMarks::RunEnded);
  hint_.viewport()->installEventFilter(this);
}

// The last run's marks and messages are gone.
void ScriptMarks::Clear() {
  editor_.ClearMarks();
  hint_lines_.clear();
  running_mark_ = false;
}

void ScriptMarks::ShowLocation(int script_line, int body_item, bool failing) {
  Mark(script_line, body_item, failing);
  if (!failing) return;
  hint_lines_[LastMessageLine(hint_)] = {script_line, body_item};
  tabs_.SetCurrentPage(kScriptPage);
}

void ScriptMarks::Mark(int script_line, int body_item, bool failing) {
  const QTextBlock block = editor_.document()->findBlockByNumber(script_line - 1);
  if (!block.isValid()) return;
  const std::optional<ByteRange> item =
      body_item > 0 ? BodyItemRange(FromWidgetText(block.text()), body_item) : std::nullopt;
  using Kind = ScriptEditor::Mark;
  editor_.MarkLine(script_line, item, failing ? Kind::kFailing : Kind::kRunning);
  running_mark_ = !failing;
}

void ScriptMarks::RunEnded() {
  if (running_mark_) editor_.ClearMarks();
  running_mark_ = false;
}

bool ScriptMarks::JumpFromHint(int hint_line) {
  tabs_.SetCurrentPage(kScriptPage);
  if (const auto known = hint_lines_.find(hint_line); known != hint_lines_.end()) {
    // Marked as the failing run was: the caret goes to the body item.
    Mark(known->second.script_line, known->second.body_item, true);
    editor_.setFocus();
    return true;
  }
  const QTextBlock block = hint_.document()->findBlockByNumber(hint_line);
  const int script_line = ScriptLineOfMessage(FromWidgetText(block.text()));
  const QTextBlock target = editor_.document()->findBlockByNumber(script_line - 1);
  if (script_line < 1 || !target.isValid()) return false;
  editor_.setTextCursor(QTextCursor(target));
  editor_.ensureCursorVisible();
  editor_.setFocus();
  return true;
}

bool ScriptMarks::eventFilter(QObject* watched, QEvent* event) {
  if (watched == hint_.viewport() && event->type() == QEvent::MouseButtonRelease) {
    const auto* click = static_cast<QMouseEvent*>(event);
    const QTextCursor cursor = hint_.cursorForPosition(click->position().toPoint());
    if (!hint_.textCursor().hasSelection()) JumpFromHint(cursor.blockNumber());
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace dravel
