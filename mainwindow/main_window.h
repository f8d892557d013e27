// MainWindow: the program's one window. It builds every control at its fixed
// place (main_window_layout.cpp), binds the buttons, the keys and the editor
// to their actions, writes the help text once it exists, and asks the save
// prompt before it closes. The file commands are SourceFiles', runs are the
// run controller's; this unit only wires them to the controls. Window thread
// only.
#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

#include "canvas/window_look.h"
#include "mainwindow/hint_box.h"
#include "mainwindow/script_editor.h"
#include "runtime/text.h"

class QLabel;
class QPushButton;

namespace dravel {

class CommandReference;
class DialogService;
class ExampleChooser;
struct Example;
struct WindowCarry;
class FindBar;
class IntegerBox;
class RunController;
class RuntimeErrorBox;
class ScriptMarks;
class SettingsPage;
class SourceFiles;
class StatusLine;
class TabControl;
class TurtleCanvas;

inline constexpr int kClientWidth = kCanvasWidth;
inline constexpr int kClientHeight = 674;
// The canvas, then the status line under it; the controls below them.
inline constexpr QRect kCanvasArea{0, 0, kClientWidth, kCanvasHeight};
inline constexpr QRect kStatusLineArea{0, kCanvasHeight, kClientWidth, 20};
inline constexpr int kControlsTop = kCanvasHeight + 20;

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // `carry`: what the window it replaces handed over (window_carry.h);
  // `display_scale`: the 显示比例 the application was made at.
  explicit MainWindow(DialogService& dialogs, const WindowCarry* carry = nullptr,
                      int display_scale = 100);
  // Ends a run still in progress before any control goes away.
  ~MainWindow() override;

  TurtleCanvas& Canvas() const { return *canvas_; }
  EditBox& Editor() const { return *editor_; }
  EditBox& HelpBox() const { return *help_; }
  dravel::HintBox& HintBox() const { return *hint_; }
  IntegerBox& RunCountBox() const { return *run_count_; }
  TabControl& Tabs() const { return *tabs_; }
  SourceFiles& Files() const { return *files_; }
  dravel::ScriptEditor& ScriptEditor() const { return *editor_; }
  RunController& Runs() const { return *runs_; }
  ScriptMarks& Marks() const { return *marks_; }
  SettingsPage& Settings() const { return *settings_; }
  dravel::StatusLine& StatusLine() const { return *status_line_; }
  RuntimeErrorBox& RuntimeErrors() const { return *runtime_errors_; }

  void StartRun();
  void StopRun();
  void ClearCanvas();
  // 重置 (Ctrl+R, and the canvas's menu): stops a run in progress, clears the
  // canvas and starts the turtles afresh.
  void ResetCanvas();
  void SelectAll();
  // F1: the command reference (made on first use).
  CommandReference& ShowReference();
  // The hyperlink: the user guide installed with the program (OpenGuide).
  void OpenUserGuide();
  // Opens `guide` in the browser. A missing guide is said in the hint box;
  // with no browser to open it, a box offers its folder (when it is a file)
  // and copying its address.
  void OpenGuide(const QUrl& guide);
  static QUrl GuideUrl();
  // F2: the example chooser, open until the user chooses (then the example
  // opens, after the save prompt) or cancels.
  ExampleChooser& ChooseExample();
  // After the save prompt: the example opens on a clean start (ResetCanvas).
  void OpenExample(const Example& example);

  // The 显示比例 chosen on the settings page: remembered, then applied by
  // `restart` (which replaces the window, carrying everything over) after a
  // run in progress has stopped; without one, the hint box says it applies
  // at the next start.
  // Ctrl+0 takes it back to 100 %.
  void ChangeDisplayScale(int percent);
  int DisplayScale() const { return display_scale_; }
  // Says in the hint box that the remembered scale did not fit the screen,
  // so the window started at the one it has.
  void NoteDisplayScaleFellBack(int remembered);
  void SetRestart(std::function<void()> restart) { restart_ = std::move(restart); }

  // Ctrl+F (Ctrl+H): the find bar under the editor, on the script page.
  FindBar& OpenFindBar(bool replacing);
  FindBar& Finder() const { return *find_bar_; }

  static constexpr int kScriptPage = 0;
  static constexpr int kSettingsPage = 2;
  // The script editor's place on its page, the find bar's room included.
  static constexpr QRect kEditorArea{0, 21, 405, 210};
  // Waits until the current run's thread has returned, taking its effects and
  // showing its run-time error meanwhile (it may wait for either).
  void WaitForRun();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls(const QByteArray& canvas_properties);
  void BuildTabPages();
  void BuildButtons();
  QPushButton* AddButton(const char* name, const Text& gbk_caption, const QRect& bounds);
  void BindEvents();
  void BindKeys();
  void BindReset();
  void BindFocus();
  // The script editor takes the keyboard: on the script page, shown first
  // when `show_page` (a script was opened), else only while it shows.
  void FocusEditor(bool show_page);
  void NewSource();
  void OpenSource();
  void BindFindKeys(const auto& bind);
  void PlaceFindBar();
  // Offers the scales the window's screen has room for, and puts the window
  // wholly on that screen.
  void FitScreen();
  static Text HelpText();
  void OfferGuideElsewhere(const QUrl& guide, const QString& shown);

  DialogService& dialogs_;
  TurtleCanvas* canvas_ = nullptr;
  TabControl* tabs_ = nullptr;
  dravel::ScriptEditor* editor_ = nullptr;
  EditBox* help_ = nullptr;
  dravel::HintBox* hint_ = nullptr;
  IntegerBox* run_count_ = nullptr;
  QLabel* link_ = nullptr;
  QLabel* reference_link_ = nullptr;
  CommandReference* reference_ = nullptr;
  FindBar* find_bar_ = nullptr;
  QPushButton* run_button_ = nullptr;
  QPushButton* clear_button_ = nullptr;
  QPushButton* stop_button_ = nullptr;
  QPushButton* select_all_button_ = nullptr;
  QPushButton* open_button_ = nullptr;
  QPushButton* new_button_ = nullptr;
  QPushButton* save_button_ = nullptr;
  QPushButton* compile_button_ = nullptr;
  std::unique_ptr<RuntimeErrorBox> runtime_errors_;
  std::unique_ptr<SourceFiles> files_;
  RunController* runs_ = nullptr;
  ScriptMarks* marks_ = nullptr;
  SettingsPage* settings_ = nullptr;
  dravel::StatusLine* status_line_ = nullptr;
  std::function<void()> restart_;
  int display_scale_ = 100;
};

}  // namespace dravel
