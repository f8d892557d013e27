#include "mainwindow/qt_text.h"

#include <QStringList>

#include "runtime/gbk_codec.h"

namespace dravel {

QString FromGbk(const Text& gbk) {
  return QString::fromStdString(GbkToUtf8(gbk));
}

int GbkWidthOf(QChar c) { return c.unicode() < 0x80 || IsKeptByte(c.unicode()) ? 1 : 2; }

QString ToWidgetText(const Text& gbk) {
  QString text = QString::fromStdString(GbkToUtf8(gbk, UndecodableBytes::kKeep));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QChar('\r'), QChar('\n'));
  return text;
}

namespace {

// GBK's trail bytes are never 0x0A, so breaks can be widened after converting.
Text WidenBreaks(const Text& gbk) {
  Text result;
  result.reserve(gbk.size() + gbk.size() / 8);
  for (char byte : gbk) {
    if (byte == '\n') result += '\r';
    result += byte;
  }
  return result;
}

int FirstLossyLine(const QString& text) {
  const QStringList lines = text.split(QChar('\n'));
  for (qsizetype i = 0; i < lines.size(); ++i) {
    bool lossless = true;
    Utf8ToGbk(lines[i].toStdString(), &lossless, UndecodableBytes::kKeep);
    if (!lossless) return static_cast<int>(i + 1);
  }
  return 0;
}

}  // namespace

Text FromWidgetText(const QString& text, int* bad_line) {
  bool lossless = true;
  const Text gbk = Utf8ToGbk(text.toStdString(), &lossless, UndecodableBytes::kKeep);
  if (bad_line != nullptr) *bad_line = lossless ? 0 : FirstLossyLine(text);
  return WidenBreaks(gbk);
}

}  // namespace dravel
