#include "mainwindow/keyword_help.h"

#include <QCoreApplication>

#include "interpreter/command_table.h"
#include "mainwindow/qt_text.h"

namespace dravel {

const CommandRow* FindKeywordRow(std::string_view gbk_word) { return FindAnyCommand(gbk_word); }

QString KeywordToolTip(std::string_view gbk_word) {
  const CommandRow* row = FindKeywordRow(gbk_word);
  if (row == nullptr) return {};
  const auto translated = [](std::string_view text) {
    return QCoreApplication::translate("CommandHelp", std::string(text).c_str()).toHtmlEscaped();
  };
  return QStringLiteral("<b>%1</b><br>%2<br>%3<i>%4</i><br>%5%6")
      .arg(translated(row->help.syntax), translated(row->help.meaning),
           QCoreApplication::translate("KeywordHelp", "例如："),
           QString::fromUtf8(row->help.example.data(), qsizetype(row->help.example.size()))
               .toHtmlEscaped(),
           QCoreApplication::translate("KeywordHelp", "英文别名："), FromGbk(row->alias));
}

}  // namespace dravel
