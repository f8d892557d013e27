// The words of a folder run's summaries in the teacher's language: Chinese
// when the locale says so (LC_ALL, else LC_MESSAGES, else LANG, starting
// "zh"), English otherwise. Our own texts only, in a small table; the
// system's texts (the hint's messages) are the run's own. Plain C++.
#pragma once

#include <string>
#include <string_view>

namespace dravel {

enum class Word {
  kScript,
  kExit,
  kResult,
  kLastMessage,
  kWhere,
  kScore,
  kPicture,
  kReference,
  kFindings,
  kFirstFinding,
  kCopies,
  kFile,
  kStatus,
  kLinesDrawn,
  kRunTime,
  kOk,
  kFailed,
  kTimeout,
  kOutOfMemory,
  kCrashed,
  kUnreadable,
};

enum class Language { kEnglish, kChinese };

// The language the environment asks for.
Language LocaleLanguage();

std::string_view WordOf(Word word, Language language);

// A run's result word (ok, failed, timeout, out of memory, crashed,
// unreadable) in `language`.
std::string_view ResultWord(std::string_view result, Language language);

// "line N: what" or "第N行：what"; empty when `line` is 0.
std::string FindingWords(int line, std::string_view what, Language language);

}  // namespace dravel
