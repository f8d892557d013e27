#include "mainwindow/main_window.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>

#include "canvas/turtle_canvas.h"
#include "mainwindow/command_reference.h"
#include "mainwindow/dialog_service.h"
#include "mainwindow/display_scale.h"
#include "mainwindow/edit_box.h"
#include "mainwindow/example_chooser.h"
#include "mainwindow/find_bar.h"
#include "mainwindow/hint_box.h"
#include "mainwindow/integer_box.h"
#include "mainwindow/run_controller.h"
#include "mainwindow/runtime_error_box.h"
#include "mainwindow/script_editor.h"
#include "mainwindow/script_highlighter.h"
#include "mainwindow/script_marks.h"
#include "mainwindow/settings_page.h"
#include "mainwindow/source_files.h"
#include "mainwindow/status_line.h"
#include "mainwindow/tab_control.h"
#include "mainwindow/user_guide.h"
#include "mainwindow/window_carry.h"
#include "runtime/gbk_codec.h"

namespace dravel {

MainWindow::MainWindow(DialogService& dialogs, const WindowCarry* carry, int display_scale)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      dialogs_(dialogs),
      display_scale_(display_scale) {
  BuildControls(carry != nullptr ? carry->canvas_properties : QByteArray());
  runtime_errors_ = std::make_unique<RuntimeErrorBox>(dialogs, *this);
  files_ = std::make_unique<SourceFiles>(*editor_, *hint_, dialogs);
  runs_ = new RunController({*editor_, *run_count_, *hint_, *run_button_, canvas_->Core()}, this);
  marks_ = new ScriptMarks(*editor_, *hint_, *tabs_, *runs_);
  settings_ = new SettingsPage(*tabs_, kSettingsPage, *canvas_, *runs_);
  status_line_ = new dravel::StatusLine(*runs_, *settings_, canvas_->Core(), this);
  status_line_->setGeometry(kStatusLineArea);
  auto* highlighter = new ScriptHighlighter(*editor_);
  connect(settings_, &SettingsPage::ColouringChanged, highlighter,
          &ScriptHighlighter::SetColouring);
  connect(settings_, &SettingsPage::DisplayScaleChosen, this, &MainWindow::ChangeDisplayScale);
  BindEvents();
  BindKeys();
  FitScreen();
  help_->SetContent(HelpText());  // the window's creation event
  if (carry != nullptr) CarryInto(*this, *carry);
}

MainWindow::~MainWindow() {
  runtime_errors_->Close();
  // The run ends before any control it uses goes.
  delete runs_;
}

void MainWindow::BindEvents() {
  connect(run_button_, &QPushButton::clicked, this, &MainWindow::StartRun);
  connect(stop_button_, &QPushButton::clicked, this, &MainWindow::StopRun);
  connect(clear_button_, &QPushButton::clicked, this, &MainWindow::ClearCanvas);
  connect(select_all_button_, &QPushButton::clicked, this, &MainWindow::SelectAll);
  connect(new_button_, &QPushButton::clicked, this, &MainWindow::NewSource);
  connect(open_button_, &QPushButton::clicked, this, &MainWindow::OpenSource);
  connect(save_button_, &QPushButton::clicked, this, [this] { files_->Save(); });
  connect(compile_button_, &QPushButton::clicked, this, [this] { files_->Compile(); });
  connect(editor_, &EditBox::ContentChanged, this, [this] { files_->MarkChanged(); });
  connect(reference_link_, &QLabel::linkActivated, this, [this] { ShowReference(); });
  connect(link_, &QLabel::linkActivated, this, &MainWindow::OpenUserGuide);
  connect(find_bar_, &FindBar::LayoutChanged, this, &MainWindow::PlaceFindBar);
  auto* examples = new QAction(tr("打开示例…"), this);
  examples->setShortcut(QKeySequence(Qt::Key_F2));
  connect(examples, &QAction::triggered, this, [this] { ChooseExample(); });
  editor_->AddMenuAction(examples);
  BindReset();
  BindFocus();
  const auto show_line = [this](const QString& line) {
    hint_->AppendText(Utf8ToGbk(line.toStdString()));
  };
  connect(canvas_, &TurtleCanvas::MessageRaised, this, show_line);
  if (const CanvasContextMenu* menu = canvas_->ContextMenu()) {
    connect(menu, &CanvasContextMenu::MessageRaised, this, show_line);
  }
}

// One action for the key and the canvas's menu, so both do the same.
void MainWindow::BindReset() {
  auto* reset = new QAction(tr("重置（清屏，海龟回家落笔）"), this);
  reset->setObjectName(QStringLiteral("reset"));
  reset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  reset->setShortcutContext(Qt::WindowShortcut);
  connect(reset, &QAction::triggered, this, &MainWindow::ResetCanvas);
  addAction(reset);
  if (const CanvasContextMenu* menu = canvas_->ContextMenu()) {
    menu->Menu()->addSeparator();
    menu->Menu()->addAction(reset);
  }
}

// The keyboard goes back to the script whenever something else took it for
// a moment: a run (its buttons), a click on the canvas (which takes the focus
// for its menu key).
void MainWindow::BindFocus() {
  connect(runs_, &RunController::RunEnded, this, [this] { FocusEditor(false); });
  canvas_->installEventFilter(this);
  // A click no longer leaves the keyboard on the canvas: Tab still reaches
  // it, for its menu key.
  canvas_->setFocusPolicy(Qt::StrongFocus);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == canvas_ && event->type() == QEvent::FocusIn &&
      static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
    // After the press, which the canvas ends by taking the focus.
    QMetaObject::invokeMethod(
        this, [this] { FocusEditor(false); }, Qt::QueuedConnection);
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::FocusEditor(bool show_page) {
  if (show_page) tabs_->SetCurrentPage(kScriptPage);
  if (tabs_->CurrentPage() == kScriptPage) editor_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::NewSource() {
  files_->New();
  FocusEditor(true);
}

void MainWindow::OpenSource() {
  files_->Open();
  FocusEditor(true);
}

void MainWindow::StartRun() { runs_->Start(); }

void MainWindow::StopRun() { runs_->Stop(); }

void MainWindow::WaitForRun() {
  runs_->WaitForRun([this] { runtime_errors_->ShowWaiting(); });
}

void MainWindow::ClearCanvas() { runs_->Clear(); }

void MainWindow::ResetCanvas() { runs_->Reset(); }

// The window's keys, from anywhere in it (the reference's key page lists
// them). A box with the focus keeps its own undo and redo keys.
void MainWindow::BindKeys() {
  const auto bind = [this](QKeyCombination key, auto action) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    connect(shortcut, &QShortcut::activated, this, action);
  };
  bind(Qt::Key_F8, [this] { runs_->TogglePause(); });
  bind(Qt::Key_F10, [this] { runs_->Step(); });
  bind(Qt::Key_F6, [this] { settings_->SetSpeed(settings_->Speed() + 1); });
  bind(Qt::Key_F7, [this] { settings_->SetSpeed(settings_->Speed() - 1); });
  bind(Qt::CTRL | Qt::Key_Period, [this] { editor_->ApplyFixAtCaret(); });
  bind(Qt::Key_F1, [this] { ShowReference(); });
  bind(Qt::Key_F2, [this] { ChooseExample(); });
  bind(Qt::CTRL | Qt::Key_N, [this] { NewSource(); });
  bind(Qt::CTRL | Qt::Key_O, [this] { OpenSource(); });
  bind(Qt::CTRL | Qt::Key_S, [this] { files_->Save(); });
  bind(Qt::CTRL | Qt::Key_Z, [this] { editor_->undo(); });
  bind(Qt::CTRL | Qt::Key_Y, [this] { editor_->redo(); });
  bind(Qt::CTRL | Qt::SHIFT | Qt::Key_Z, [this] { editor_->redo(); });
  BindFindKeys(bind);
  bind(Qt::CTRL | Qt::Key_Equal, [this] { editor_->Zoom(1); });
  bind(Qt::CTRL | Qt::Key_Plus, [this] { editor_->Zoom(1); });
  bind(Qt::CTRL | Qt::Key_Minus, [this] { editor_->Zoom(-1); });
  // Everything back to its usual size: the script's text and the window.
  bind(Qt::CTRL | Qt::Key_0, [this] {
    editor_->Zoom(0);
    if (display_scale_ != 100) ChangeDisplayScale(100);
  });
}

void MainWindow::BindFindKeys(const auto& bind) {
  bind(Qt::CTRL | Qt::Key_F, [this] { OpenFindBar(false); });
  bind(Qt::CTRL | Qt::Key_H, [this] { OpenFindBar(true); });
  // F3 with nothing to look for yet opens the bar to ask.
  bind(Qt::Key_F3, [this] {
    if (!find_bar_->FindNext()) OpenFindBar(find_bar_->Replacing());
  });
  bind(Qt::SHIFT | Qt::Key_F3, [this] {
    if (!find_bar_->FindPrevious()) OpenFindBar(find_bar_->Replacing());
  });
}

FindBar& MainWindow::OpenFindBar(bool replacing) {
  tabs_->SetCurrentPage(kScriptPage);
  if (replacing) {
    find_bar_->OpenReplace();
  } else {
    find_bar_->OpenFind();
  }
  return *find_bar_;
}

// The bar takes its room from the bottom of the editor's area.
void MainWindow::PlaceFindBar() {
  const int height = find_bar_->IsOpen() ? find_bar_->NeededHeight() : 0;
  editor_->setGeometry(kEditorArea.adjusted(0, 0, 0, -height));
  find_bar_->setGeometry(kEditorArea.left(), kEditorArea.bottom() + 1 - height, kEditorArea.width(),
                         height);
  tabs_->SetShown(find_bar_, find_bar_->IsOpen());
}

CommandReference& MainWindow::ShowReference() {
  if (reference_ == nullptr) reference_ = new CommandReference(this);
  reference_->show();
  reference_->raise();
  return *reference_;
}

ExampleChooser& MainWindow::ChooseExample() {
  auto* chooser = new ExampleChooser(this);
  chooser->setAttribute(Qt::WA_DeleteOnClose);
  connect(chooser, &QDialog::finished, this, [this, chooser] {
    if (const std::optional<Example> example = chooser->Chosen()) OpenExample(*example);
    FocusEditor(true);
  });
  chooser->open();
  return *chooser;
}

// What the last script left (the pen up, a drawing) is no part of the
// example; other opens keep the canvas as it is.
void MainWindow::OpenExample(const Example& example) {
  if (files_->SavePrompt() == 0) return;
  runs_->Reset();
  files_->OpenExample(example.name + QStringLiteral(".dvg"), example.script);
}

QUrl MainWindow::GuideUrl() {
  return UserGuideUrl(UserGuideAddress(), QCoreApplication::applicationDirPath());
}

void MainWindow::OpenUserGuide() { OpenGuide(GuideUrl()); }

// The desktop's handler opens the guide; a guide that is not there is said
// in the hint box rather than handed on to fail out of sight.
void MainWindow::OpenGuide(const QUrl& guide) {
  const QString shown = guide.isLocalFile() ? guide.toLocalFile() : guide.toString();
  if (guide.isLocalFile() && !QFileInfo::exists(shown)) {
    hint_->AppendText(Utf8ToGbk(tr("找不到使用说明：%1\r\n").arg(shown).toStdString()));
  } else if (!dialogs_.OpenUrl(guide)) {
    OfferGuideElsewhere(guide, shown);
  }
}

// A classroom computer often has no browser set up: the guide can still be
// reached from its folder, or by pasting its address into a browser.
void MainWindow::OfferGuideElsewhere(const QUrl& guide, const QString& shown) {
  QStringList choices;
  if (guide.isLocalFile()) choices << tr("打开所在文件夹");
  choices << tr("复制地址") << tr("关闭");
  const int chosen = dialogs_.ShowChoices(
      tr("打不开使用说明"),
      tr("这台电脑没有设置网页浏览器，所以打不开使用说明。\n\n使用说明在：%1\n\n"
         "可以打开它所在的文件夹，双击里面的 %2；"
         "或者复制它的地址，粘贴到浏览器的地址栏里。")
          .arg(shown, QFileInfo(shown).fileName()),
      choices);
  const QString choice = choices.value(chosen);
  if (choice == tr("打开所在文件夹")) {
    const QString folder = QFileInfo(shown).absolutePath();
    if (!dialogs_.OpenUrl(QUrl::fromLocalFile(folder))) {
      hint_->AppendText(Utf8ToGbk(tr("也打不开文件夹：%1\r\n").arg(folder).toStdString()));
    }
  } else if (choice == tr("复制地址")) {
    QGuiApplication::clipboard()->setText(guide.toString());
    hint_->AppendText(
        Utf8ToGbk(tr("使用说明的地址已复制：%1\r\n").arg(guide.toString()).toStdString()));
  }
}

void MainWindow::FitScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  settings_->SetDisplayScales(FittingDisplayScales(size(), RoomOn(*screen, display_scale_)),
                              display_scale_);
  const double ratio = screen->devicePixelRatio();
  const QSize frame(int(kFrameAllowance.width() / ratio), int(kFrameAllowance.height() / ratio));
  move(PlaceOnScreen(screen->availableGeometry(), size() + frame));
}

void MainWindow::NoteDisplayScaleFellBack(int remembered) {
  hint_->AppendText(Utf8ToGbk(tr("显示比例 %1% 时窗口超出这块屏幕，现在用 %2%。\r\n")
                                  .arg(remembered)
                                  .arg(display_scale_)
                                  .toStdString()));
}

void MainWindow::ChangeDisplayScale(int percent) {
  QSettings settings;
  RememberDisplayScale(settings, percent);
  if (!restart_) {
    hint_->AppendText(
        Utf8ToGbk(tr("显示比例 %1% 下次启动时生效。\r\n").arg(percent).toStdString()));
    return;
  }
  // The window goes with its run; what the run said before its stop stays.
  runs_->Stop();
  WaitForRun();
  restart_();
}

void MainWindow::SelectAll() {
  editor_->SetSelLength(-1);
  editor_->setFocus();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (files_->SavePrompt() == 0) {
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace dravel
