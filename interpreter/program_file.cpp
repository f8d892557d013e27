#include "interpreter/program_file.h"

#include "interpreter/command_table.h"

namespace dravel {

Text RemoveStopKeywords(std::string_view script) {
  constexpr bool kCaseSensitive = true;
  const CommandRow& stop = RowOf(CommandAction::kStop);
  const Text without_chinese =
      ReplaceText(script, stop.keyword, std::string_view(), {}, {}, kCaseSensitive);
  return ReplaceText(without_chinese, stop.alias, std::string_view(), {}, {}, kCaseSensitive);
}

}  // namespace dravel
