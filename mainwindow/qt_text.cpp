#include "mainwindow/qt_text.h"

#include <algorithm>

#include "runtime/gbk_codec.h"

namespace dravel {

QString FromGbk(const Text& gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }

int GbkWidthOf(QChar c) {
  if (c.isLowSurrogate()) return 0;
  return c.isHighSurrogate() ? 1 : GbkLength(c.unicode(), UndecodableBytes::kKeep);
}

std::pair<int, int> CharacterRange(const QString& line, ByteRange range) {
  int bytes = 0;
  int begin = -1;
  int position = 0;
  for (; position < line.size() && bytes < range.end; ++position) {
    if (begin < 0 && bytes >= range.begin) begin = position;
    bytes += GbkWidthOf(line[position]);
  }
  if (position < line.size() && line[position].isLowSurrogate()) ++position;
  if (begin < 0) begin = position;
  return {begin, position};
}

QString ToWidgetText(const Text& gbk) {
  return Utf8ToWidgetText(GbkToUtf8(gbk, UndecodableBytes::kKeep));
}

QString Utf8ToWidgetText(std::string_view text) {
  std::string utf8(WithoutByteOrderMark(text));
  // One pass in place: QString::replace moves the whole rest of a long text
  // for every batch of matches.
  size_t kept = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] != '\r') {
      utf8[kept++] = utf8[i];
      continue;
    }
    utf8[kept++] = '\n';
    if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
  }
  utf8.resize(kept);
  return QString::fromStdString(utf8);
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

// The 1-based line of the first character GBK cannot hold.
int LineOfFirstLoss(std::string_view utf8) {
  const size_t offset = FirstUnconvertible(utf8, UndecodableBytes::kKeep);
  return 1 + static_cast<int>(std::count(utf8.begin(), utf8.begin() + offset, '\n'));
}

}  // namespace

QString FirstUnsavableCharacter(const QString& text) {
  std::vector<LostCharacter> lost;
  Utf8ToGbk(text.toStdString(), lost, UndecodableBytes::kKeep);
  return lost.empty() ? QString() : QString::fromStdString(lost.front().character);
}

Text FromWidgetText(const QString& text, int* bad_line) {
  const std::string utf8 = text.toStdString();
  bool lossless = true;
  const Text gbk = Utf8ToGbk(utf8, &lossless, UndecodableBytes::kKeep);
  if (bad_line != nullptr) *bad_line = lossless ? 0 : LineOfFirstLoss(utf8);
  return WidenBreaks(gbk);
}

Text FromWidgetLine(const QString& line, std::vector<LostCharacter>& lost) {
  return Utf8ToGbk(line.toStdString(), lost, UndecodableBytes::kKeep);
}

}  // namespace dravel
