#include "mainwindow/user_guide.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>

#include "canvas/qt_pixels.h"
#include "mainwindow/command_reference.h"
#include "mainwindow/example_chooser.h"
#include "mainwindow/qt_text.h"
#include "mainwindow/script_pictures.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

constexpr QSize kExamplePicture(366, 210);

// The reference's pictures become files beside the page.
QString ReferenceSection(std::vector<GuideFile>& files) {
  const std::vector<QImage> pictures = CommandReference::Pictures();
  for (size_t i = 0; i < pictures.size(); ++i) {
    if (pictures[i].isNull()) continue;
    files.push_back({QStringLiteral("pictures/command-%1.png").arg(i),
                     QByteArray::fromStdString(PngBytes(pictures[i]))});
  }
  QString html = CommandReference::Html();
  html.replace(QRegularExpression(QStringLiteral("src=\"example:(\\d+)\"")),
               QStringLiteral("src=\"pictures/command-\\1.png\""));
  return QStringLiteral("<section id=\"reference\">\n%1\n</section>\n").arg(html);
}

QString ExamplesSection(std::vector<GuideFile>& files) {
  QString html = QStringLiteral(
      "<section id=\"examples\">\n<h2>示例</h2>\n"
      "<p>在窗口里按 F2（或编辑器右键菜单里的“打开示例…”）打开这些示例。</p>\n");
  int index = 0;
  for (const Example& example : Examples()) {
    const QString picture = QStringLiteral("pictures/example-%1.png").arg(index++);
    files.push_back({picture, QByteArray::fromStdString(
                                  PngBytes(ScriptPicture(example.script, kExamplePicture)))});
    html += QStringLiteral(
                "<h3>%1</h3>\n<p>%2</p>\n<p><img src=\"%3\" alt=\"%1\"></p>\n"
                "<pre>%4</pre>\n")
                .arg(example.name.toHtmlEscaped(), example.teaches.toHtmlEscaped(), picture,
                     FromGbk(example.script).toHtmlEscaped().remove(QChar('\r')));
  }
  return html + QStringLiteral("</section>\n");
}

}  // namespace

std::vector<GuideFile> UserGuideFiles(const QString& head_html, const QString& chapters_html) {
  std::vector<GuideFile> files;
  QString page = head_html + chapters_html;
  page += ReferenceSection(files);
  page += ExamplesSection(files);
  page += QStringLiteral("</body>\n</html>\n");
  files.insert(files.begin(), {QStringLiteral("index.html"),
                               QByteArray::fromStdString(Utf8ToGbk(page.toStdString()))});
  return files;
}

QUrl UserGuideUrl(const QString& address, const QString& program_folder) {
  const QUrl url(address);
  if (url.scheme().size() > 1) return url;  // "C:" is a drive, not a scheme
  return QUrl::fromLocalFile(QDir::cleanPath(QDir(program_folder).absoluteFilePath(address)));
}

QString UserGuideAddress() { return QStringLiteral(DRAVEL_GUIDE_ADDRESS); }

}  // namespace dravel
