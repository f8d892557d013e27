#include "mainwindow/common_dialog.h"

#include <QStringList>
#include <algorithm>

#include "mainwindow/qt_text.h"

namespace dravel {

void CommonDialog::SetKindNumber(int32_t number) {
  kind_ = static_cast<DialogKind>(std::clamp(number, 0, 3));
}

std::vector<std::pair<QString, QString>> FilterPairs(const Text& filter) {
  QString text = FromGbk(filter);
  while (!text.isEmpty() && text.back().isSpace()) text.chop(1);
  const QStringList pieces = text.split(QChar('|'));
  std::vector<std::pair<QString, QString>> pairs;
  for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
    if (pieces[i].isEmpty() && pieces[i + 1].isEmpty()) break;  // the closing "||"
    pairs.emplace_back(pieces[i], pieces[i + 1]);
  }
  return pairs;
}

}  // namespace dravel
