#include "mainwindow/program_file.h"

#include "mainwindow/window_texts.h"

namespace dravel {

Text RemoveStopKeywords(std::string_view script) {
  constexpr bool kCaseSensitive = true;
  const Text without_chinese =
      ReplaceText(script, texts::kStopKeyword, std::string_view(), {}, {}, kCaseSensitive);
  return ReplaceText(without_chinese, texts::kStopKeywordEnglish, std::string_view(), {}, {},
                     kCaseSensitive);
}

}  // namespace dravel
