// The words marking and dravel-render say, in the teacher's language:
// Chinese when the locale says so (LC_ALL, else LC_MESSAGES, else LANG,
// starting "zh"), English otherwise. The summaries' words (Word) and every
// message (Said), each in one table of both languages; the usage text is
// the option table's (apps/dravel-render/option_table.h). The system's
// texts (the hint's messages) are the run's own. Plain C++, in every
// edition: the web's node command reads its command line with these words.
#pragma once

#include <initializer_list>
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
  kClass,
  kOk,
  kFailed,
  kTimeout,
  kOutOfMemory,
  kCrashed,
  kUnreadable,
};

// The program's messages; "{}" in them stands for a value, in turn.
enum class Said {
  kUnknownOption,
  kNeedsValue,
  kBadValue,
  kNoScript,
  kManyScripts,
  kOverlayAlone,
  kNotForScript,
  kNotForFolder,
  kNotForCheck,
  kNotForChild,
  kNotForMerge,
  kMergeNeedsSummaries,
  kTryHelp,
  kCannotRead,
  kCannotWrite,
  kCannotWriteWhy,
  kLeftLink,
  kPicturesAre,
  kCannotReadFolder,
  kCannotMakeFolder,
  kNoTemporaryFolder,
  kNoScripts,
  kNoClasses,
  kReferenceMissing,
  kReferenceCannotRun,
  kReferenceUnended,
  kReferenceUnreadable,
  kReferenceSize,
  kReferenceBlank,
  kSheetShowsFirst,
  kCannotDrawSheet,
  kMemoryTooSmall,
  kCanvasMemory,
  kPictureMemory,
  kRanOutOfMemory,
  kKilled,
  kEndedWithStatus,
  kEndedBySignal,
  kLine,
  kLineItem,
  kNotASummary,
  kNoOwnFolder,
  kLibraryNowhere,
  kCannotLoadLibrary,
  kLibraryIncomplete,
  kNoTextFont,
  kSheetEmpty,
  kOr,
  kStoppedRunning,
  kStoppedChecking,
  kInputTooLong,
  kTooLong,
  kLinkNotRead,
  kOtherNotRead,
  kInTheWay,
  kManyInTheWay,
  kWritingInto,
  kGiveOutput,
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

// `said` in `language` (the locale's when not given) with each "{}" replaced
// by the next of `values`; a "{}" past them is left out.
std::string SaidText(Said said, Language language, std::initializer_list<std::string_view> values);
std::string SaidText(Said said, std::initializer_list<std::string_view> values = {});

// A file error (errno) in the locale's language.
std::string ErrorWords(int error);

}  // namespace dravel
