#include "interpreter/command_slips.h"

#include "interpreter/checker_message.h"
#include "interpreter/keyword_guess.h"

namespace dravel {
namespace {

using enum FindingKind;

// What follows a slip is quoted short (characters): the slip is the point.
constexpr size_t kQuotedAfter = 20;

LineEdit Edit(int begin, int end, std::string_view with) { return {begin, end, Text(with)}; }

std::string_view Separator(bool in_body) { return in_body ? "|" : "\r\n"; }

size_t SkipSpaces(std::string_view text, size_t from) {
  const size_t at = text.find_first_not_of(' ', from);
  return at == std::string_view::npos ? text.size() : at;
}

std::string_view FirstWord(std::string_view text) { return text.substr(0, text.find(' ')); }

// The fix is a space after the keyword, which takes the run's spelling
// when it was typed in another letter case.
Finding RunTogether(std::string_view first, const KeywordAhead& ahead, int at) {
  const bool as_read = first.starts_with(*ahead.spelling);
  const LineEdit space{at + (as_read ? ahead.length : 0), at + ahead.length,
                       (as_read ? Text() : *ahead.spelling) + ' '};
  return {kRunTogether,
          at,
          at + ahead.length + ahead.number,
          DRAVEL_MESSAGE("“%1”和后面的数之间要有一个空格：连在一起的“%2”是无法识别的命令，"
                         "运行到这里会报错。"),
          {Quoted(*ahead.spelling), Quoted(first, kQuotedAfter)},
          space};
}

// A keyword and a punctuation mark: the mark goes, or gives way to a space
// before a number or to a separator before a command.
Finding GluedPause(std::string_view item, std::string_view first, const KeywordAhead& ahead, int at,
                   bool in_body) {
  const size_t pause_end = ahead.length + ahead.pause;
  const size_t next = SkipSpaces(item, pause_end);
  std::string_view between = " ";
  size_t end = pause_end;
  if (next == item.size()) {
    between = {};
    end = item.size();
  } else if (ReadsAsCommand(FirstWord(item.substr(next)))) {
    between = Separator(in_body);
    end = next;
  }
  return {
      kPunctuation,
      at + ahead.length,
      at + static_cast<int>(pause_end),
      DRAVEL_MESSAGE("“%1”后面不能紧跟“%2”：连在一起的“%3”是无法识别的命令，运行到这里会报错。"),
      {Quoted(*ahead.spelling), Quoted(first.substr(ahead.length, ahead.pause)),
       Quoted(first, kQuotedAfter)},
      Edit(at, at + static_cast<int>(end), *ahead.spelling + Text(between))};
}

// A second command at byte `next` of `item`, after the spaces and the
// punctuation mark `pause` (empty: none) that begin at byte `mark`.
Finding SecondCommand(std::string_view item, size_t read_end, size_t mark, std::string_view pause,
                      size_t next, int at, bool in_body) {
  const LineEdit split =
      Edit(at + static_cast<int>(read_end), at + static_cast<int>(next), Separator(in_body));
  const std::string second = Quoted(item.substr(next), kQuotedAfter);
  if (pause.empty()) {
    return {
        kTwoCommands,
        at + static_cast<int>(next),
        at + static_cast<int>(item.size()),
        in_body
            ? DRAVEL_MESSAGE("命令之间要用“|”隔开：运行时只执行前面的命令，后面的“%1”不会执行。")
            : DRAVEL_MESSAGE("一行只能写一条命令：运行时只执行前面的命令，后面的“%1”不会执行；"
                             "把它写到下一行。"),
        {second},
        split};
  }
  return {kPunctuation,
          at + static_cast<int>(mark),
          at + static_cast<int>(mark + pause.size()),
          in_body ? DRAVEL_MESSAGE("“%1”不能分隔命令：运行时只执行前面的命令，后面的“%2”不会执行；"
                                   "重复体里的命令要用“|”隔开。")
                  : DRAVEL_MESSAGE("“%1”不能分隔命令：运行时只执行前面的命令，后面的“%2”不会执行；"
                                   "每条命令要单独写一行。"),
          {Quoted(pause), second},
          split};
}

}  // namespace

std::optional<Finding> KeywordRunOn(std::string_view item, std::string_view first, int at,
                                    bool in_body) {
  const std::optional<KeywordAhead> ahead = FindKeywordAhead(first);
  if (!ahead) return std::nullopt;
  if (ahead->number > 0) return RunTogether(first, *ahead, at);
  return GluedPause(item, first, *ahead, at, in_body);
}

std::optional<int> ReadEnd(const CommandRow& row, const std::vector<Text>& words) {
  size_t last = 0;
  switch (row.shape) {
    case ArgumentShape::kNone: return static_cast<int>(words[0].size());
    case ArgumentShape::kNumber:
    case ArgumentShape::kInteger: last = 1; break;
    case ArgumentShape::kTwoNumbers:
    case ArgumentShape::kPolygon: last = 2; break;
    case ArgumentShape::kWord:
    case ArgumentShape::kRepeat: return std::nullopt;
  }
  const int number = NumberLength(words[last]);
  if (number == 0) return std::nullopt;
  int offset = 0;
  for (size_t i = 0; i < last; ++i) offset += static_cast<int>(words[i].size()) + 1;
  return offset + number;
}

std::optional<Finding> AfterCommand(std::string_view item, int read_end, int at, bool in_body) {
  const auto end = static_cast<size_t>(read_end);
  const size_t mark = SkipSpaces(item, end);
  if (mark == item.size()) return std::nullopt;
  const std::string_view pause = PauseAt(item.substr(mark));
  const size_t next = pause.empty() ? mark : SkipSpaces(item, mark + pause.size());
  if (next == item.size()) {
    if (pause.empty()) return std::nullopt;
    return Finding{kPunctuation,
                   at + static_cast<int>(mark),
                   at + static_cast<int>(mark + pause.size()),
                   DRAVEL_MESSAGE("命令后面不用加“%1”：运行时会跳过它，删去更清楚。"),
                   {Quoted(pause)},
                   Edit(at + read_end, at + static_cast<int>(item.size()), "")};
  }
  if (!ReadsAsCommand(FirstWord(item.substr(next)))) return std::nullopt;
  return SecondCommand(item, end, mark, pause, next, at, in_body);
}

std::optional<Finding> JoinedNumbers(const CommandRow& row, const std::vector<Text>& words,
                                     int at) {
  const bool two_numbers =
      row.shape == ArgumentShape::kTwoNumbers || row.shape == ArgumentShape::kPolygon;
  if (!two_numbers || words.size() != 2) return std::nullopt;
  const std::string_view word = words[1];
  const size_t number = NumberLength(word);
  const std::string_view pause = PauseAt(word.substr(number));
  if (number == 0 || pause.empty() || NumberLength(word.substr(number + pause.size())) == 0) {
    return std::nullopt;
  }
  const int begin = at + static_cast<int>(words[0].size() + 1 + number);
  const int end = begin + static_cast<int>(pause.size());
  return Finding{
      kPunctuation,
      begin,
      end,
      DRAVEL_MESSAGE("两个数之间要用空格隔开，不能用“%1”：运行到这里会报“命令 %2 错误”。"),
      {Quoted(pause), Quoted(row.keyword)},
      Edit(begin, end, " ")};
}

}  // namespace dravel
