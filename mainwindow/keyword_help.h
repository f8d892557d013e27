// Context help for the script language, from the command rows: the tool tip
// the editor shows when a keyword (or the run count line's) is hovered, in
// Chinese, with its syntax, meaning, example and English alias.
#pragma once

#include <QString>
#include <string_view>

namespace dravel {

struct CommandRow;

// The row of the command whose keyword or alias is `gbk_word`, byte for byte,
// the run count line's included; null for any other word.
const CommandRow* FindKeywordRow(std::string_view gbk_word);
// Rich text for a tool tip; empty when `gbk_word` is no keyword.
QString KeywordToolTip(std::string_view gbk_word);

}  // namespace dravel
