// LearningTools: what the window offers learners beyond running a script. It
// owns the run's pacer and the page "属性设置", colours the script, shows
// where a run failed or stands in the editor, jumps from a numbered message in
// the hint box to its script line, and binds the pacing shortcuts (F8 pause or
// continue, F10 step, F6 slower, F7 faster). Window thread only.
#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>

class QPushButton;

namespace dravel {

class EditBox;
class LineNumberEditor;
class RunDriver;
class RunPacer;
class SettingsPage;
class TabControl;
class TurtleCanvas;
class WindowRunHost;

class LearningTools final : public QObject {
  Q_OBJECT

 public:
  struct Parts {
    QWidget& window;
    LineNumberEditor& editor;
    EditBox& hint;
    TabControl& tabs;
    TurtleCanvas& canvas;
    WindowRunHost& run_host;
    RunDriver& run_driver;
    QPushButton& run_button;
    std::function<void()> start_run;
  };
  static constexpr int kScriptPage = 0;
  static constexpr int kSettingsPage = 2;

  explicit LearningTools(const Parts& parts);
  ~LearningTools() override;

  RunPacer& Pacer() const { return *pacer_; }
  SettingsPage& Settings() const { return *settings_; }

  // Before a run starts: the last run's marks and messages are gone.
  void BeforeRun();
  // After the stop button: a later run starts unpaused.
  void AfterStop();
  void TogglePause();
  // One command more; with no run in progress, starts one paused at its first.
  void Step();
  // Jumps to the script line of the hint box's message on 0-based hint line
  // `hint_line`; false when it names no line.
  bool JumpFromHint(int hint_line);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowLocation(int script_line, int body_item, bool failing);
  void BindShortcuts();

  Parts parts_;
  std::unique_ptr<RunPacer> pacer_;
  SettingsPage* settings_ = nullptr;
  std::map<int, int> hint_lines_;  // hint line → script line of failures reported
};

}  // namespace dravel
