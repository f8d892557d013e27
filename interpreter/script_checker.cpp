#include "interpreter/script_checker.h"

#include <algorithm>
#include <cassert>
#include <span>

#include "interpreter/checker_message.h"
#include "interpreter/command_list.h"
#include "interpreter/command_slips.h"
#include "interpreter/command_table.h"
#include "interpreter/keyword_guess.h"
#include "interpreter/messages.h"
#include "runtime/gbk_codec.h"
#include "runtime/system_text.h"
#include "runtime/value.h"

namespace dravel {
namespace {

using enum FindingKind;

const Text kWideBar = SystemText("｜");
const Text kWideSpace = SystemText("　");
struct BracketPair {
  Text open;
  Text close;
};
const BracketPair kLookAlikes[] = {
    {SystemText("［"), SystemText("］")}, {SystemText("「"), SystemText("」")}, {"[", "]"}};

// The byte offset of each word of `line` as SplitWords cuts it.
std::vector<int> WordOffsets(const std::vector<Text>& words) {
  std::vector<int> offsets;
  int at = 0;
  for (const Text& word : words) {
    offsets.push_back(at);
    at += static_cast<int>(word.size()) + 1;
  }
  return offsets;
}

// 1-based position of `search` in `text` from byte `from` (0-based), on
// character boundaries as the language searches; -1 when missing.
int Find(std::string_view text, std::string_view search, int from = 0) {
  const int at = FindText(text, search, from + 1, false);
  return at < 0 ? -1 : at - 1;
}

// Whether `text` ends in a lead byte with nothing after it: the reader would
// take whatever came next as its trail byte.
bool EndsInLoneLeadByte(std::string_view text) {
  size_t i = 0;
  while (i + 1 < text.size()) i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  return i + 1 == text.size() && IsLeadByte(static_cast<unsigned char>(text[i]));
}

class LineChecker {
 public:
  LineChecker(std::string_view line, bool first_count_line)
      : line_(line), first_count_line_(first_count_line) {}

  std::vector<Finding> Run(std::span<const LostCharacter> lost) {
    CheckCommand(line_, 0, false);
    for (const LostCharacter& character : lost) {
      KeepOutOfFixes(character);
      AddLost(character);
    }
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.begin < b.begin; });
    if (findings_.size() > kFindingsPerLine) CountTheRest();
    return std::move(findings_);
  }

 private:
  void Add(FindingKind kind, int begin, int end, std::string_view message,
           std::vector<std::string> arguments = {}, std::optional<LineEdit> fix = {}) {
    findings_.push_back({kind, begin, end, message, std::move(arguments), std::move(fix)});
  }
  // True when there is a finding to add.
  bool Add(std::optional<Finding> finding) {
    if (finding) findings_.push_back(std::move(*finding));
    return finding.has_value();
  }

  static LineEdit Edit(int begin, int end, std::string_view with) {
    return {begin, end, Text(with)};
  }

  // Keeps the first kFindingsPerLine findings and one in place of the rest.
  // A fix holds GBK, where that character is only its '?': a fix that would
  // rewrite it is no fix.
  void KeepOutOfFixes(const LostCharacter& character) {
    const int at = static_cast<int>(character.at);
    for (Finding& finding : findings_) {
      if (finding.fix && finding.fix->begin <= at && at < finding.fix->end) finding.fix.reset();
    }
  }

  void AddLost(const LostCharacter& character) {
    assert(character.at < line_.size() && line_[character.at] == '?');
    if (character.at >= line_.size()) return;
    const int at = static_cast<int>(character.at);
    Add(kNotInGbk, at, at + 1,
        DRAVEL_MESSAGE("“%1”无法用 GBK 保存：运行和保存时都会变成“?”，请换成别的字。"),
        {character.character});
  }

  void CountTheRest() {
    const auto rest = findings_.begin() + kFindingsPerLine;
    int end = rest->end;
    for (auto it = rest; it != findings_.end(); ++it) end = std::max(end, it->end);
    Finding more{kMoreFindings,
                 rest->begin,
                 end,
                 DRAVEL_MESSAGE("这一行从这里起还有 %1 处问题没有逐一列出。"),
                 {std::to_string(findings_.end() - rest)},
                 {}};
    findings_.erase(rest, findings_.end());
    findings_.push_back(std::move(more));
    findings_.shrink_to_fit();  // the window keeps them for each line it shows
  }

  // One command line: the script line itself, or an item of a repeat body,
  // which starts at byte `at` of the script line.
  void CheckCommand(std::string_view item, int at, bool in_body) {
    if (item.empty() || item.starts_with(messages::kCommentStart)) return;
    const std::vector<Text> words = SplitWords(item);
    if (words[0].empty()) return CheckLeadingSpace(item, at);
    const CommandRow* row = FindAnyCommand(words[0]);
    if (row == nullptr) return CheckUnknown(item, words[0], at, in_body);
    if (row->action == CommandAction::kCount) return CheckCount(words, at, in_body);
    if (in_body && row->action == CommandAction::kRepeat) {
      Add(kNestedRepeat, at, at + static_cast<int>(item.size()),
          DRAVEL_MESSAGE(
              "方括号不能嵌套：重复体在第一个“】”处结束，这里的“重复”没有自己的“】”，"
              "运行到这里会报“命令 重复 错误”。可以改用“画正多边形”，或把内层重复写开。"));
      return;
    }
    if (static_cast<int>(words.size()) < row->least_words) {
      return CheckTooFew(*row, words, item, at);
    }
    CheckArguments(*row, words, item, at);
    if (const std::optional<int> end = ReadEnd(*row, words))
      Add(AfterCommand(item, *end, at, in_body));
  }

  void CheckLeadingSpace(std::string_view item, int at) {
    const int spaces = static_cast<int>(item.find_first_not_of(' '));
    if (spaces < 0) {
      Add(kLeadingSpace, at, at + static_cast<int>(item.size()),
          DRAVEL_MESSAGE("只有空格：运行到这里会报“存在无法识别的命令”。"), {},
          Edit(at, at + static_cast<int>(item.size()), ""));
    } else if (item.substr(spaces).starts_with("//")) {
      Add(kCommentStart, at, at + spaces,
          DRAVEL_MESSAGE("注释要以一个空格加“//”开头；多出的空格使这一行成为无法识别的命令。"), {},
          Edit(at, at + spaces, " "));
    } else {
      Add(kLeadingSpace, at, at + spaces,
          DRAVEL_MESSAGE("关键字前面不能有空格：运行到这里会报“存在无法识别的命令”。"), {},
          Edit(at, at + spaces, ""));
    }
  }

  void CheckUnknown(std::string_view item, const Text& first, int at, bool in_body) {
    const int end = at + static_cast<int>(first.size());
    if (first.starts_with("//")) {
      Add(kCommentStart, at, at + 2,
          DRAVEL_MESSAGE("“//”前面要有一个空格，这一行才是注释；现在它是无法识别的命令。"), {},
          Edit(at, at, " "));
      return;
    }
    if (CheckSeparator(item, first, at) || Add(KeywordRunOn(item, first, at, in_body))) return;
    if (const std::optional<Text> nearest = NearestKeyword(first)) {
      Add(kUnknownCommand, at, end,
          DRAVEL_MESSAGE("无法识别的命令“%1”：运行到这里会报错。是不是“%2”？"),
          {Quoted(first), Quoted(*nearest)}, Edit(at, end, *nearest));
      return;
    }
    Add(kUnknownCommand, at, end, DRAVEL_MESSAGE("无法识别的命令“%1”：运行到这里会报错。"),
        {Quoted(first)});
  }

  // A keyword followed by a tab or a full-width space: one word for the
  // interpreter. True when that is what `first` is.
  bool CheckSeparator(std::string_view item, const Text& first, int at) {
    const int tab = Find(first, "\t"), wide = Find(first, kWideSpace);
    const int cut = tab < 0 ? wide : wide < 0 ? tab : std::min(tab, wide);
    if (cut <= 0 || FindAnyCommand(first.substr(0, cut)) == nullptr) return false;
    const bool is_tab = cut == tab;
    // ReplaceText would drop a lone lead byte at the end; the edit stops short of it.
    const std::string_view whole = item.substr(0, item.size() - (EndsInLoneLeadByte(item) ? 1 : 0));
    Text fixed = ReplaceText(whole, "\t", " ", {}, {}, true);
    fixed = ReplaceText(fixed, kWideSpace, " ", {}, {}, true);
    Add(kSeparator, at + cut, at + cut + (is_tab ? 1 : 2),
        DRAVEL_MESSAGE(
            "“%1”和后面之间要用半角空格，不能用%2：运行到这里会报“存在无法识别的命令”。"),
        {Quoted(first.substr(0, cut)), is_tab ? "制表符" : "全角空格"},
        Edit(at, at + static_cast<int>(whole.size()), fixed));
    return true;
  }

  void CheckCount(const std::vector<Text>& words, int at, bool in_body) {
    const int end = at + static_cast<int>(words[0].size());
    if (in_body) {
      Add(kCountIgnored, at, end,
          DRAVEL_MESSAGE("重复体里的次数不起作用：执行几次只看程序里的第一个次数行。"));
      return;
    }
    if (!first_count_line_) {
      Add(kCountIgnored, at, end, DRAVEL_MESSAGE("只有第一个次数行起作用，这一行不起作用。"));
      return;
    }
    if (words.size() < 2) {
      Add(kTooFewWords, at, end,
          DRAVEL_MESSAGE(
              "次数后面要有一个数（例如“次数 3”）：运行时会报“命令 次数 错误”，一次也不执行。"));
      return;
    }
    const std::vector<int> offsets = WordOffsets(words);
    if (!CheckEmptyWord(words, offsets, 1, at,
                        DRAVEL_MESSAGE("两个空格使次数是空的：这一行不起作用，改用执行次数框。"))) {
      return;
    }
    const int word_end = at + offsets[1] + static_cast<int>(words[1].size());
    if (!HasInteger(words[1])) {
      Add(kNotANumber, at + offsets[1], word_end,
          DRAVEL_MESSAGE("“%1”不是数：这一行不起作用，改用执行次数框。"), {Quoted(words[1])});
    } else if (ToInteger(words[1]) < 0) {
      Add(kNothingRuns, at + offsets[1], word_end, DRAVEL_MESSAGE("次数是 %1：程序一次也不执行。"),
          {std::to_string(ToInteger(words[1]))});
    } else if (ToInteger(words[1]) == 0) {
      Add(kNothingRuns, at + offsets[1], word_end,
          DRAVEL_MESSAGE("次数是 0：这一行不起作用，改用执行次数框。"));
    }
  }

  void CheckTooFew(const CommandRow& row, const std::vector<Text>& words, std::string_view item,
                   int at) {
    const int end = at + static_cast<int>(item.size());
    if (row.shape == ArgumentShape::kRepeat && Find(item, messages::kBodyOpen) < 0 &&
        CheckLookAlikes(item, at)) {
      return;
    }
    if (Add(JoinedNumbers(row, words, at))) return;
    Add(kTooFewWords, at, end,
        DRAVEL_MESSAGE("“%1”要写成“%2”（例如“%3”）：运行到这里会报“命令 %1 错误”。"),
        {Quoted(row.keyword), std::string(row.help.syntax), std::string(row.help.example)});
  }

  // An empty word `index` (two spaces). False when it is empty.
  bool CheckEmptyWord(const std::vector<Text>& words, const std::vector<int>& offsets, size_t index,
                      int at, std::string_view message) {
    if (!words[index].empty()) return true;
    const int space = at + offsets[index];
    Add(kEmptyWord, space, space + 1, message, {}, Edit(space, space + 1, ""));
    return false;
  }

  // Word `index` read as a number, or as an integer.
  void CheckNumber(const std::vector<Text>& words, const std::vector<int>& offsets, size_t index,
                   int at, bool integer = false) {
    if (!CheckEmptyWord(words, offsets, index, at,
                        DRAVEL_MESSAGE("两个空格使这个数是空的，会当作 0。"))) {
      return;
    }
    if (integer ? HasInteger(words[index]) : HasNumber(words[index])) return;
    const int begin = at + offsets[index];
    Add(kNotANumber, begin, begin + static_cast<int>(words[index].size()),
        DRAVEL_MESSAGE("“%1”不是数，会当作 0。"), {Quoted(words[index])});
  }

  void CheckArguments(const CommandRow& row, const std::vector<Text>& words, std::string_view item,
                      int at) {
    const std::vector<int> offsets = WordOffsets(words);
    switch (row.shape) {
      case ArgumentShape::kNone: return;
      case ArgumentShape::kNumber: return CheckNumber(words, offsets, 1, at);
      case ArgumentShape::kTwoNumbers:
        CheckNumber(words, offsets, 1, at);
        return CheckNumber(words, offsets, 2, at);
      case ArgumentShape::kInteger: return CheckNumber(words, offsets, 1, at, true);
      case ArgumentShape::kWord: return CheckText(words, offsets, item, at);
      case ArgumentShape::kRepeat: return CheckRepeat(words, offsets, item, at);
      case ArgumentShape::kPolygon: return CheckPolygon(words, offsets, at);
    }
  }

  void CheckText(const std::vector<Text>& words, const std::vector<int>& offsets,
                 std::string_view item, int at) {
    if (!CheckEmptyWord(words, offsets, 1, at,
                        DRAVEL_MESSAGE("两个空格使要写的文字是空的：什么也不写。"))) {
      return;
    }
    if (words.size() < 3) return;
    const int cut = at + offsets[2] - 1;
    Add(kTextCut, cut, at + static_cast<int>(item.size()),
        DRAVEL_MESSAGE("只写出“%1”：空格后面的文字不会写出。"), {Quoted(words[1])});
  }

  // A repeat count that runs nothing.
  void CheckTimes(const Text& word, int begin) {
    const int end = begin + static_cast<int>(word.size());
    if (!HasInteger(word)) {
      Add(kNotANumber, begin, end,
          DRAVEL_MESSAGE("“%1”不是数，会当作 0：方括号里的命令一次也不执行。"), {Quoted(word)});
    } else if (ToInteger(word) <= 0) {
      Add(kNothingRuns, begin, end, DRAVEL_MESSAGE("重复 %1 次：方括号里的命令一次也不执行。"),
          {std::to_string(ToInteger(word))});
    }
  }

  // A side count of 0 or less draws nothing by design; only what the reader
  // cannot read is found.
  void CheckPolygon(const std::vector<Text>& words, const std::vector<int>& offsets, int at) {
    if (CheckEmptyWord(words, offsets, 1, at,
                       DRAVEL_MESSAGE("两个空格使边数是空的：多边形一条边也不画。")) &&
        !HasInteger(words[1])) {
      const int begin = at + offsets[1];
      Add(kNotANumber, begin, begin + static_cast<int>(words[1].size()),
          DRAVEL_MESSAGE("“%1”不是数，会当作 0：多边形一条边也不画。"), {Quoted(words[1])});
    }
    CheckNumber(words, offsets, 2, at);
  }

  void CheckRepeat(const std::vector<Text>& words, const std::vector<int>& offsets,
                   std::string_view item, int at) {
    if (CheckEmptyWord(words, offsets, 1, at,
                       DRAVEL_MESSAGE("两个空格使重复次数是空的：方括号里的命令一次也不执行。"))) {
      CheckTimes(words[1], at + offsets[1]);
    }
    CheckBody(item, at);
  }

  void CheckBody(std::string_view item, int at) {
    const int open = Find(item, messages::kBodyOpen);
    if (open < 0) {
      if (!CheckLookAlikes(item, at)) {
        Add(kBrackets, at, at + static_cast<int>(item.size()),
            DRAVEL_MESSAGE("重复的命令要放在“【】”里：运行到这里会报“命令 重复 错误”。"));
      }
      return;
    }
    const int body_at = open + static_cast<int>(messages::kBodyOpen.size());
    const int close = Find(item, messages::kBodyClose, body_at);
    if (close < 0) return CheckUnclosed(item, at, open, body_at);
    if (close == body_at) {
      Add(kBrackets, at + open, at + close + 2,
          DRAVEL_MESSAGE("“【】”里没有命令：运行到这里会报“命令 重复 错误”。"));
      return;
    }
    CheckItems(item.substr(body_at, close - body_at), at + body_at);
    CheckAfterBody(item.substr(close + messages::kBodyClose.size()),
                   at + close + static_cast<int>(messages::kBodyClose.size()));
  }

  void CheckUnclosed(std::string_view item, int at, int open, int body_at) {
    const int end = at + static_cast<int>(item.size());
    const int before = Find(item.substr(0, open), messages::kBodyClose);
    if (before >= 0) {
      const int after = open + static_cast<int>(messages::kBodyOpen.size());
      Add(kBrackets, at + before, at + after,
          DRAVEL_MESSAGE("“】”在“【”前面：运行到这里会报“命令 重复 错误”。"), {},
          Bracketed(item, at, before, messages::kBodyClose.size(), open, after));
      return;
    }
    for (const BracketPair& pair : kLookAlikes) {
      const int close = Find(item, pair.close, body_at);
      if (close < 0) continue;
      Add(kBracketLookAlike, at + close, at + close + static_cast<int>(pair.close.size()),
          DRAVEL_MESSAGE("重复体要以“】”结束，不能用“%1”：运行到这里会报“命令 重复 错误”。"),
          {Quoted(pair.close)},
          Edit(at + close, at + close + static_cast<int>(pair.close.size()), messages::kBodyClose));
      return;
    }
    // After a lone lead byte a space goes first: the reader takes it as that
    // byte's trail, and "】" starts a character of its own.
    Text close(EndsInLoneLeadByte(item) ? " " : "");
    close += messages::kBodyClose;
    Add(kBrackets, at + open, end, DRAVEL_MESSAGE("缺少“】”：运行到这里会报“命令 重复 错误”。"), {},
        Edit(end, end, close));
  }

  // The edit that puts "【" in place of bytes [open, open + open_size) of
  // `item` and "】" in place of [close, close_end), keeping what is between.
  static LineEdit Bracketed(std::string_view item, int at, int open, size_t open_size, int close,
                            int close_end) {
    Text with(messages::kBodyOpen);
    with += item.substr(open + open_size, close - open - open_size);
    with += messages::kBodyClose;
    return Edit(at + open, at + close_end, with);
  }

  // "［…］", "「…」" or "[…]" in place of "【…】". True when found.
  bool CheckLookAlikes(std::string_view item, int at) {
    for (const BracketPair& pair : kLookAlikes) {
      const int open = Find(item, pair.open);
      if (open < 0) continue;
      const int close = Find(item, pair.close, open + static_cast<int>(pair.open.size()));
      if (close < 0) continue;
      const int close_end = close + static_cast<int>(pair.close.size());
      Add(kBracketLookAlike, at + open, at + close_end,
          DRAVEL_MESSAGE(
              "重复的命令要放在“【】”里，不能用“%1%2”：运行到这里会报“命令 重复 错误”。"),
          {Quoted(pair.open), Quoted(pair.close)},
          Bracketed(item, at, open, pair.open.size(), close, close_end));
      return true;
    }
    return false;
  }

  void CheckItems(std::string_view body, int at) {
    const int bar = Find(body, kWideBar);
    if (bar >= 0) {
      // The body ends before "】", on a character boundary: nothing is dropped.
      const Text fixed = ReplaceText(body.substr(bar), kWideBar, "|", {}, {}, true);
      Add(kFullWidthBar, at + bar, at + bar + 2,
          DRAVEL_MESSAGE("全角竖线“｜”不分隔命令，它两边会连成一条命令；应写半角“|”。"), {},
          Edit(at + bar, at + static_cast<int>(body.size()), fixed));
    }
    int offset = 0;
    for (const Text& item : SplitText(body, "|")) {
      CheckCommand(item, at + offset, true);
      offset += static_cast<int>(item.size()) + 1;
    }
  }

  void CheckAfterBody(std::string_view rest, int at) {
    if (rest.empty() || rest.starts_with(messages::kCommentStart)) return;
    if (rest.find_first_not_of(' ') == std::string_view::npos) return;
    // A repeat is never in a body: a command after it goes to the next line.
    std::optional<Finding> slip = AfterCommand(rest, 0, at, false);
    Add(kAfterBody, at, at + static_cast<int>(rest.size()),
        DRAVEL_MESSAGE("“】”后面的“%1”不会执行。"), {Quoted(rest)},
        slip ? std::move(slip->fix) : std::nullopt);
  }

  std::string_view line_;
  bool first_count_line_;
  std::vector<Finding> findings_;
};

}  // namespace

std::string FindingText(const Finding& finding) {
  std::string text(finding.message);
  for (size_t i = finding.arguments.size(); i-- > 0;) {
    const std::string mark = "%" + std::to_string(i + 1);
    for (size_t at = text.find(mark); at != std::string::npos;
         at = text.find(mark, at + finding.arguments[i].size())) {
      text.replace(at, mark.size(), finding.arguments[i]);
    }
  }
  return text;
}

Text FixedLine(std::string_view line, const LineEdit& fix) {
  assert(0 <= fix.begin && fix.begin <= fix.end && fix.end <= static_cast<int>(line.size()));
  Text fixed(line.substr(0, fix.begin));
  fixed += fix.with;
  fixed += line.substr(fix.end);
  return fixed;
}

std::vector<Finding> CheckLine(std::string_view line, bool first_count_line,
                               std::span<const LostCharacter> lost) {
  return LineChecker(line, first_count_line).Run(lost);
}

std::vector<LostInLine> LostCharactersByLine(std::string_view utf8, UndecodableBytes bytes) {
  std::vector<LostInLine> lost;
  if (FirstUnconvertible(utf8, bytes) == std::string_view::npos) return lost;
  int number = 1;
  for (size_t start = 0; start <= utf8.size(); ++number) {
    const size_t end = std::min(utf8.find_first_of("\r\n", start), utf8.size());
    LostInLine line{number, {}};
    Utf8ToGbk(utf8.substr(start, end - start), line.characters, bytes);
    if (!line.characters.empty()) lost.push_back(std::move(line));
    start = end + (utf8.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lost;
}

MarkedColumns MarkedColumnsOf(int begin, int end) {
  const int from = end > begin ? begin : std::max(0, begin - 1);
  return {from, std::max(end, from + 1)};
}

ScriptFindings CheckScript(std::string_view script, size_t most, std::span<const LostInLine> lost) {
  const CommandList lines = SplitLines(script);
  auto lost_next = lost.begin();
  const CommandRow& count = CountCommand();
  bool count_seen = false;
  ScriptFindings found;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::vector<Text> words = SplitWords(lines[i]);
    const bool is_count = !words.empty() && (words[0] == count.keyword || words[0] == count.alias);
    std::span<const LostCharacter> lost_here;
    if (lost_next != lost.end() && lost_next->line == static_cast<int>(i + 1)) {
      lost_here = (lost_next++)->characters;
    }
    std::vector<Finding> line = CheckLine(lines[i], is_count ? !count_seen : true, lost_here);
    count_seen = count_seen || is_count;
    if (line.empty()) continue;
    if (found.listed.size() >= most) {
      ++found.lines_left;
      continue;
    }
    for (Finding& finding : line)
      found.listed.push_back({static_cast<int>(i + 1), std::move(finding)});
  }
  return found;
}

}  // namespace dravel
