#include "mainwindow/command_reference.h"

#include <QCoreApplication>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "interpreter/command_table.h"
#include "interpreter/example_scene.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/script_pictures.h"

namespace dravel {
namespace {

constexpr QSize kPicture(244, 140);

QString Help(std::string_view text) {
  return QCoreApplication::translate("CommandHelp", std::string(text).c_str()).toHtmlEscaped();
}

QString Example(const CommandRow& row) {
  return QString::fromUtf8(row.help.example.data(), qsizetype(row.help.example.size()));
}

QImage Picture(const CommandRow& row) {
  const std::optional<ExampleScene> scene = SceneOf(row);
  return scene ? CroppedScriptPicture(scene->gbk_script, kPicture, scene->turtle) : QImage();
}

QString CommandSection(const CommandRow& row, int index) {
  QString html = QStringLiteral(
                     "<h3>%1（%2）</h3><p><code>%3</code><br>%4</p>"
                     "<p>%5<code>%6</code></p>")
                     .arg(FromGbk(row.keyword).toHtmlEscaped(), FromGbk(row.alias).toHtmlEscaped(),
                          Help(row.help.syntax), Help(row.help.meaning),
                          CommandReference::tr("例如："), Example(row).toHtmlEscaped());
  if (SceneOf(row)) html += QStringLiteral("<p><img src=\"example:%1\"></p>").arg(index);
  return html;
}

QString KeysSection() {
  const QString rows[][2] = {
      {"Alt+A", CommandReference::tr("调试（运行脚本）")},
      {"Alt+B", CommandReference::tr("清屏")},
      {"Alt+C", CommandReference::tr("停止")},
      {"Alt+D", CommandReference::tr("全选")},
      {"F8", CommandReference::tr("暂停或继续")},
      {"F10", CommandReference::tr("单步：再执行一条命令")},
      {"F6 / F7", CommandReference::tr("更慢 / 更快")},
      {"Ctrl+N", CommandReference::tr("新建源码")},
      {"Ctrl+O", CommandReference::tr("打开源码")},
      {"Ctrl+S", CommandReference::tr("保存源码")},
      {"Ctrl+Z", CommandReference::tr("撤销")},
      {"Ctrl+Y 或 Ctrl+Shift+Z", CommandReference::tr("重做")},
      {"Ctrl+F", CommandReference::tr("查找")},
      {"Ctrl+H", CommandReference::tr("替换")},
      {"F3 / Shift+F3", CommandReference::tr("查找下一个 / 上一个")},
      {"Esc", CommandReference::tr("关闭查找栏")},
      {"Ctrl+= 或 Ctrl++ / Ctrl+-",
       CommandReference::tr("放大 / 缩小脚本文字（也可按住 Ctrl 滚动滚轮）")},
      {"Ctrl+0", CommandReference::tr("脚本文字恢复原来的大小，显示比例回到 100%")},
      {"Ctrl+.", CommandReference::tr("修正光标所在行的问题")},
      {"F1", CommandReference::tr("打开命令参考")},
      {"F2", CommandReference::tr("打开示例")},
      {"Ctrl+Shift+S", CommandReference::tr("保存图片")},
      {"Ctrl+Shift+C", CommandReference::tr("复制图片")},
      {"Ctrl+P", CommandReference::tr("打印图片")},
      {"Ctrl+R", CommandReference::tr("重置：清屏，海龟回家、朝上、落笔")},
  };
  QString html = QStringLiteral("<h2><a name=\"keys\"></a>%1</h2><table cellspacing=\"4\">")
                     .arg(CommandReference::tr("按键"));
  for (const auto& row : rows) {
    html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                .arg(row[0].toHtmlEscaped(), row[1]);
  }
  return html + QStringLiteral("</table>");
}

}  // namespace

CommandReference::CommandReference(QWidget* parent)
    : QDialog(parent), browser_(new QTextBrowser(this)) {
  setWindowTitle(tr("命令参考"));
  resize(560, 600);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(browser_);
  AddPictures();
  browser_->setHtml(Html());
}

QString CommandReference::Html() {
  QString html = QStringLiteral("<h2>%1</h2><p>%2</p>")
                     .arg(tr("命令参考"),
                          tr("每行一条命令；关键字和英文别名一样用，参数之间用一个半角空格隔开。"));
  int index = 0;
  for (const CommandRow* row : AllCommands()) html += CommandSection(*row, index++);
  return html + KeysSection();
}

std::vector<QImage> CommandReference::Pictures() {
  std::vector<QImage> pictures;
  for (const CommandRow* row : AllCommands()) {
    pictures.push_back(Picture(*row));
  }
  return pictures;
}

void CommandReference::AddPictures() {
  const std::vector<QImage> pictures = Pictures();
  for (size_t i = 0; i < pictures.size(); ++i) {
    if (pictures[i].isNull()) continue;
    browser_->document()->addResource(QTextDocument::ImageResource,
                                      QUrl(QStringLiteral("example:%1").arg(i)), pictures[i]);
  }
}

}  // namespace dravel
