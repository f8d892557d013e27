#include "mainwindow/qt_text.h"

#include <QStringList>

#include "runtime/gbk_codec.h"

namespace dravel {

QString FromGbk(const Text& gbk) {
  return QString::fromStdString(GbkToUtf8(gbk));
}

QString ToWidgetText(const Text& gbk) {
  QString text = FromGbk(gbk);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QChar('\r'), QChar('\n'));
  return text;
}

Text FromWidgetText(const QString& text, int* bad_line) {
  if (bad_line != nullptr) *bad_line = 0;
  Text result;
  const QStringList lines = text.split(QChar('\n'));
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (i > 0) result += "\r\n";
    bool lossless = true;
    result += Utf8ToGbk(lines[i].toStdString(), &lossless);
    if (!lossless && bad_line != nullptr && *bad_line == 0) *bad_line = static_cast<int>(i + 1);
  }
  return result;
}

}  // namespace dravel
