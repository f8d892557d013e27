// The window's controls: names, places, sizes, captions, fonts and colours.
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>

#include "canvas/turtle_canvas.h"
#include "mainwindow/edit_box.h"
#include "mainwindow/find_bar.h"
#include "mainwindow/hint_box.h"
#include "mainwindow/integer_box.h"
#include "mainwindow/main_window.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/script_editor.h"
#include "mainwindow/tab_control.h"
#include "mainwindow/window_texts.h"
#include "runtime/runtime_error.h"

namespace dravel {
namespace {

const QColor kEditBackground(0, 128, 128);

// The desktop's ordinary GUI face, and a Song face for the script and help.
QFont GuiFont() {
  QFont font(QStringLiteral("WenQuanYi Zen Hei"));
  font.setPixelSize(12);
  return font;
}

QFont SongFont() {
  QFont font(QStringLiteral("AR PL UMing CN"));
  font.setPixelSize(14);
  font.setWeight(QFont::Normal);
  return font;
}

// White on dark cyan; the selection hides while the box has no focus.
void Colour(QWidget* box) {
  QPalette palette = box->palette();
  palette.setColor(QPalette::Base, kEditBackground);
  palette.setColor(QPalette::Text, Qt::white);
  palette.setColor(QPalette::Inactive, QPalette::Highlight, kEditBackground);
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
  box->setPalette(palette);
}

template <typename Box = EditBox>
Box* MakeTextBox(const char* name, bool read_only) {
  auto* box = new Box;
  box->setObjectName(QString::fromUtf8(name));
  box->setReadOnly(read_only);
  box->setUndoRedoEnabled(!read_only);
  box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  box->setFrameStyle(QFrame::Panel | QFrame::Sunken);  // framed: a double sunken edge
  box->setLineWidth(2);
  Colour(box);
  return box;
}

QByteArray ResourceBytes(const char* path) {
  QFile file(QString::fromLatin1(path));
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

Text ResourceText(const char* path) { return ResourceBytes(path).toStdString(); }

}  // namespace

void MainWindow::BuildControls(const QByteArray& canvas_properties) {
  setWindowTitle(FromGbk(texts::kWindowCaption));
  setFont(GuiFont());
  setFixedSize(kClientWidth, kClientHeight);

  canvas_ = TurtleCanvas::Create(
      canvas_properties.isEmpty() ? ResourceBytes(kDravelObject1Properties) : canvas_properties,
      this, kCanvasArea);
  if (canvas_ == nullptr) ReportRuntimeError(0, kStartWindowLoadFailed);
  canvas_->setObjectName(QString::fromUtf8("Dravel对象1"));
  BuildTabPages();

  auto* label = new QLabel(FromGbk(texts::kRunCountLabel), this);
  label->setObjectName(QString::fromUtf8("标签1"));
  label->setGeometry(432, kControlsTop + 4, 64, 24);

  run_count_ = new IntegerBox(this);
  run_count_->setObjectName(QString::fromUtf8("编辑框_执行次数"));
  run_count_->setGeometry(435, kControlsTop + 28, 64, 24);
  run_count_->SetContent(texts::kRunCountInitial);
  Colour(run_count_);

  hint_ = MakeTextBox<dravel::HintBox>("编辑框_提示信息", true);
  hint_->setParent(this);
  hint_->setGeometry(411, kControlsTop + 136, 320, 96);
  hint_->SetContent(texts::kHintInitial);
  BuildButtons();
}

void MainWindow::BuildTabPages() {
  tabs_ = new TabControl(this);
  tabs_->setObjectName(QString::fromUtf8("选择夹1"));
  tabs_->setGeometry(0, kControlsTop + 1, 408, 233);
  const int script_page = tabs_->AddPage(FromGbk(texts::kPageScript));
  Q_ASSERT(script_page == kScriptPage);
  const int help_page = tabs_->AddPage(FromGbk(texts::kPageHelp));
  tabs_->AddPage(FromGbk(texts::kPageSettings));

  editor_ = MakeTextBox<dravel::ScriptEditor>("编辑框_命令输入", false);
  editor_->setFont(SongFont());
  editor_->SetContent(ResourceText(":/texts/example_script.txt"));
  tabs_->Place(editor_, script_page, kEditorArea);
  find_bar_ = new FindBar(*editor_);
  find_bar_->setObjectName(QStringLiteral("find_bar"));
  tabs_->Place(find_bar_, script_page, kEditorArea);
  tabs_->SetShown(find_bar_, false);

  link_ = new QLabel;
  link_->setObjectName(QString::fromUtf8("超级链接框1"));
  link_->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                     .arg(GuideUrl().toString().toHtmlEscaped(), FromGbk(texts::kLinkCaption)));
  link_->setToolTip(tr("打开使用说明"));
  tabs_->Place(link_, script_page, QRect(176, 3, 232, 16));

  help_ = MakeTextBox("编辑框_帮助", true);
  help_->setFont(SongFont());
  tabs_->Place(help_, help_page, kEditorArea);
  // Where the hyperlink sits on the script page: the help text stays as it is.
  reference_link_ =
      new QLabel(QStringLiteral("<a href=\"reference\">%1</a>").arg(tr("命令参考（F1）")));
  reference_link_->setObjectName(QStringLiteral("reference_link"));
  tabs_->Place(reference_link_, help_page, QRect(176, 3, 232, 16));
}

QPushButton* MainWindow::AddButton(const char* name, const Text& gbk_caption, const QRect& bounds) {
  auto* button = new QPushButton(FromGbk(gbk_caption), this);
  button->setObjectName(QString::fromUtf8(name));
  button->setGeometry(bounds);
  return button;
}

void MainWindow::BuildButtons() {
  const auto at = [](int x, int y, int width) { return QRect(x, kControlsTop + y, width, 32); };
  run_button_ = AddButton("按钮_调试", texts::kRunCaption, at(428, 60, 80));
  clear_button_ = AddButton("按钮_清屏", texts::kClearCaption, at(428, 98, 80));
  stop_button_ = AddButton("按钮_停止", texts::kStopCaption, at(520, 60, 80));
  select_all_button_ = AddButton("按钮_全选", texts::kSelectAllCaption, at(520, 98, 80));
  open_button_ = AddButton("按钮_打开源码", texts::kOpenCaption, at(520, 18, 80));
  new_button_ = AddButton("按钮_新建源码", texts::kNewCaption, at(623, 17, 96));
  save_button_ = AddButton("按钮_保存源码", texts::kSaveCaption, at(623, 58, 96));
  compile_button_ = AddButton("按钮_编译源码", texts::kCompileCaption, at(623, 98, 96));
}

Text MainWindow::HelpText() { return ResourceText(":/texts/help_text.txt"); }

}  // namespace dravel
