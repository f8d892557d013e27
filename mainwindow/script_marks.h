// ScriptMarks: where a run stands in the script editor. It marks the line
// (and the body item) that a run failed at or is about to run, shows the
// script page for a failure, and jumps from a numbered message in the hint
// box to its script line when the message is clicked. Window thread only.
#pragma once

#include <QObject>
#include <map>

namespace dravel {

class EditBox;
class ScriptEditor;
class RunController;
class TabControl;

class ScriptMarks final : public QObject {
  Q_OBJECT

 public:
  static constexpr int kScriptPage = 0;

  ScriptMarks(ScriptEditor& editor, EditBox& hint, TabControl& tabs, RunController& runs);

  // Jumps to the script line of the hint box's message on 0-based hint line
  // `hint_line`, marking the body item a body's message came from as the
  // failing-run mark does; false when it names no line.
  bool JumpFromHint(int hint_line);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Clear();
  void ShowLocation(int script_line, int body_item, bool failing);
  // A run's end: a mark of the line being run goes; a failure's stays.
  void RunEnded();
  // Marks `script_line` and its `body_item` (0: none).
  void Mark(int script_line, int body_item, bool failing);

  ScriptEditor& editor_;
  EditBox& hint_;
  TabControl& tabs_;
  struct Place {
    int script_line = 0;
    int body_item = 0;
  };
  std::map<int, Place> hint_lines_;  // hint line → where the failure it reports came from
  bool running_mark_ = false;
};

}  // namespace dravel
