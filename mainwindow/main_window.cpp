#include "mainwindow/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include "canvas/turtle_canvas.h"
#include "mainwindow/command_reference.h"
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
#include "mainwindow/tab_control.h"
#include "mainwindow/user_guide.h"
#include "runtime/gbk_codec.h"

namespace dravel {

MainWindow::MainWindow(DialogService& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
  BuildControls();
  runtime_errors_ = std::make_unique<RuntimeErrorBox>(dialogs, *this);
  files_ = std::make_unique<SourceFiles>(*editor_, *hint_, dialogs);
  runs_ = new RunController({*editor_, *run_count_, *hint_, *run_button_, canvas_->Core()}, this);
  marks_ = new ScriptMarks(*editor_, *hint_, *tabs_, *runs_);
  settings_ = new SettingsPage(*tabs_, kSettingsPage, *canvas_, *runs_);
  auto* highlighter = new ScriptHighlighter(*editor_);
  connect(settings_, &SettingsPage::ColouringChanged, highlighter,
          &ScriptHighlighter::SetColouring);
  BindEvents();
  BindKeys();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  help_->SetContent(HelpText());  // the window's creation event
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
  connect(new_button_, &QPushButton::clicked, this, [this] { files_->New(); });
  connect(open_button_, &QPushButton::clicked, this, [this] { files_->Open(); });
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
  const auto show_line = [this](const QString& line) {
    hint_->AppendText(Utf8ToGbk(line.toStdString()));
  };
  connect(canvas_, &TurtleCanvas::MessageRaised, this, show_line);
  if (const CanvasContextMenu* menu = canvas_->ContextMenu()) {
    connect(menu, &CanvasContextMenu::MessageRaised, this, show_line);
  }
}

void MainWindow::StartRun() { runs_->Start(); }

void MainWindow::StopRun() { runs_->Stop(); }

void MainWindow::WaitForRun() {
  runs_->WaitForRun([this] { runtime_errors_->ShowWaiting(); });
}

void MainWindow::ClearCanvas() { runs_->Clear(); }

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
  bind(Qt::CTRL | Qt::Key_N, [this] { files_->New(); });
  bind(Qt::CTRL | Qt::Key_O, [this] { files_->Open(); });
  bind(Qt::CTRL | Qt::Key_S, [this] { files_->Save(); });
  bind(Qt::CTRL | Qt::Key_Z, [this] { editor_->undo(); });
  bind(Qt::CTRL | Qt::Key_Y, [this] { editor_->redo(); });
  bind(Qt::CTRL | Qt::SHIFT | Qt::Key_Z, [this] { editor_->redo(); });
  BindFindKeys(bind);
  bind(Qt::CTRL | Qt::Key_Equal, [this] { editor_->Zoom(1); });
  bind(Qt::CTRL | Qt::Key_Plus, [this] { editor_->Zoom(1); });
  bind(Qt::CTRL | Qt::Key_Minus, [this] { editor_->Zoom(-1); });
  bind(Qt::CTRL | Qt::Key_0, [this] { editor_->Zoom(0); });
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
    if (const std::optional<Example> example = chooser->Chosen()) {
      files_->OpenExample(example->name + QStringLiteral(".dvg"), example->script);
    }
  });
  chooser->open();
  return *chooser;
}

QUrl MainWindow::GuideUrl() {
  return UserGuideUrl(UserGuideAddress(), QCoreApplication::applicationDirPath());
}

// The desktop's handler opens the guide; a guide that is not there is said
// in the hint box rather than handed on to fail out of sight.
void MainWindow::OpenUserGuide() {
  const QUrl guide = GuideUrl();
  const QString shown = guide.isLocalFile() ? guide.toLocalFile() : guide.toString();
  if (guide.isLocalFile() && !QFileInfo::exists(shown)) {
    hint_->AppendText(Utf8ToGbk(tr("找不到使用说明：%1\r\n").arg(shown).toStdString()));
  } else if (!QDesktopServices::openUrl(guide)) {
    hint_->AppendText(Utf8ToGbk(tr("打不开使用说明：%1\r\n").arg(shown).toStdString()));
  }
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
