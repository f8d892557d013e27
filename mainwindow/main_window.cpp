#include "mainwindow/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include "canvas/turtle_canvas.h"
#include "interpreter/run_driver.h"
#include "mainwindow/edit_box.h"
#include "mainwindow/hint_box.h"
#include "mainwindow/integer_box.h"
#include "mainwindow/learning_tools.h"
#include "mainwindow/line_number_editor.h"
#include "runtime/gbk_codec.h"
#include "mainwindow/runtime_error_box.h"
#include "mainwindow/source_files.h"
#include "mainwindow/window_run_host.h"

namespace dravel {

MainWindow::MainWindow(DialogService& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
  BuildControls();
  runtime_errors_ = std::make_unique<RuntimeErrorBox>(dialogs, *this);
  files_ = std::make_unique<SourceFiles>(*editor_, *hint_, dialogs);
  run_host_ = std::make_unique<WindowRunHost>(*editor_, *run_count_, *hint_, *run_button_);
  run_driver_ = std::make_unique<RunDriver>(*run_host_, canvas_->core());
  learning_ = std::make_unique<LearningTools>(
      LearningTools::Parts{*this, *editor_, *hint_, *tabs_, *canvas_, *run_host_, *run_driver_,
                           *run_button_, [this] { StartRun(); }});
  BindEvents();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  help_->SetContent(HelpText());  // the window's creation event
}

MainWindow::~MainWindow() {
  runtime_errors_->Close();
  run_driver_.reset();
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
  if (const CanvasContextMenu* menu = canvas_->ContextMenu()) {
    connect(menu, &CanvasContextMenu::messageRaised, this,
            [this](const QString& line) { hint_->AppendText(Utf8ToGbk(line.toStdString())); });
  }
}

void MainWindow::StartRun() {
  learning_->BeforeRun();
  run_driver_->StartRun();
}

void MainWindow::StopRun() {
  run_driver_->StopRun();
  learning_->AfterStop();
}

void MainWindow::WaitForRun() {
  // A run may be waiting for the window to take its effects.
  while (!run_driver_->WaitForRun(std::chrono::milliseconds(5))) {
    run_host_->DeliverAll();
    runtime_errors_->ShowWaiting();
  }
}

void MainWindow::ClearCanvas() {
  run_driver_->StopRun();
  // A stopped run draws nothing more, even while it is still returning.
  canvas_->core().Turtle().Clear();
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
