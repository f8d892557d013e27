// Context help for the script language: for each command of the command table
// (and the run count line) its syntax and its meaning in Chinese, as GBK
// bytes, and the tool tip the editor shows when a keyword is hovered.
#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace dravel {

struct KeywordHelp {
  std::string_view syntax;   // GBK, e.g. "前进 距离"
  std::string_view meaning;  // GBK
  std::string_view alias = {};
};

// The help of the command whose keyword or alias is `gbk_word`, byte for byte.
std::optional<KeywordHelp> FindKeywordHelp(std::string_view gbk_word);
// Rich text for a tool tip; empty when `gbk_word` is no keyword.
QString KeywordToolTip(std::string_view gbk_word);

}  // namespace dravel
