#include "mainwindow/line_findings.h"

#include <QCoreApplication>
#include <QTextCursor>
#include <cassert>

#include "mainwindow/qt_text.h"

namespace dravel {
namespace {

class LineFindings final : public QTextBlockUserData {
 public:
  explicit LineFindings(std::vector<Finding> found) : findings(std::move(found)) {}
  std::vector<Finding> findings;
};

// The line of `block` with `finding`'s fix made: the findings were made from
// these bytes of its text.
Text FixedBytes(const QTextBlock& block, const Finding& finding) {
  assert(finding.fix);
  return FixedLine(FromWidgetText(block.text()), *finding.fix);
}

}  // namespace

void KeepFindings(QTextBlock& block, std::vector<Finding> findings) {
  block.setUserData(findings.empty() ? nullptr : new LineFindings(std::move(findings)));
}

const std::vector<Finding>& FindingsOf(const QTextBlock& block) {
  static const std::vector<Finding> kNone;
  const auto* kept = static_cast<const LineFindings*>(block.userData());
  return kept != nullptr ? kept->findings : kNone;
}

std::pair<int, int> FindingCharacters(const QTextBlock& block, const Finding& finding) {
  return CharacterRange(block.text(), {finding.begin, finding.end});
}

const Finding* FindingAt(const QTextBlock& block, int column) {
  for (const Finding& finding : FindingsOf(block)) {
    const auto [begin, end] = FindingCharacters(block, finding);
    if (column >= begin && column <= end) return &finding;
  }
  return nullptr;
}

const Finding* FirstFix(const QTextBlock& block) {
  for (const Finding& finding : FindingsOf(block)) {
    if (finding.fix) return &finding;
  }
  return nullptr;
}

QString FindingMessage(const Finding& finding) {
  QString message =
      QCoreApplication::translate("ScriptChecker", std::string(finding.message).c_str());
  for (const std::string& argument : finding.arguments) {
    message = message.arg(QString::fromStdString(argument));
  }
  return message;
}

QStringList FixedLines(const QTextBlock& block, const Finding& finding) {
  return ToWidgetText(FixedBytes(block, finding)).split(QChar('\n'));
}

// Only the fix's own characters are replaced: the rest of the line may hold
// characters GBK cannot, which its GBK bytes would have turned into '?'.
void ApplyFix(const QTextBlock& block, const Finding& finding) {
  assert(finding.fix);
  const auto [begin, end] = CharacterRange(block.text(), {finding.fix->begin, finding.fix->end});
  QTextCursor cursor(block);
  cursor.setPosition(block.position() + begin);
  cursor.setPosition(block.position() + end, QTextCursor::KeepAnchor);
  cursor.insertText(ToWidgetText(finding.fix->with));
}

}  // namespace dravel
