#include "apps/dravel-render/folder/render_check.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>

#include "apps/dravel-render/folder/script_folder.h"
#include "apps/dravel-render/folder/time_limit.h"
#include "apps/dravel-render/render_run.h"
#include "interpreter/command_list.h"
#include "interpreter/script_checker.h"
#include "marking/teacher_words.h"
#include "runtime/control_text.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

// A file lists this many findings (whole lines) at most, then counts the
// lines left.
constexpr size_t kFindingsPerFile = 2000;

// Shown on either side of a fix's edit: a fix of a long line shows only
// that much of it, marked "…" where it was cut.
constexpr int kShownAround = 60;

// Character boundaries of one GBK line with their 1-based columns, each
// found walking on from the last one asked (from the line's start when asked
// behind it): asked in increasing order, a line is walked once.
class Column {
 public:
  explicit Column(std::string_view line) : line_(line) {}

  // The column of the first character that starts at byte `offset` or after.
  int At(int offset) {
    if (offset < at_) {
      at_ = 0;
      column_ = 1;
    }
    for (; at_ < offset; ++column_) {
      at_ += IsLeadByte(static_cast<unsigned char>(line_[at_])) ? 2 : 1;
    }
    return column_;
  }
  // The byte where that character starts.
  int Boundary(int offset) {
    At(offset);
    return std::min(at_, static_cast<int>(line_.size()));
  }

 private:
  std::string_view line_;
  int at_ = 0;
  int column_ = 1;
};

// The line `fix` leaves (at most kShownAround bytes either side of its edit),
// after the finding it mends: each line of it (a fix may move a command to a
// line of its own) under the first.
std::string FixLines(std::string_view line, const LineEdit& fix, Column& starts, bool gbk) {
  const int begin = starts.Boundary(std::max(0, fix.begin - kShownAround));
  int end = fix.end;
  while (end < static_cast<int>(line.size()) && end < fix.end + kShownAround) {
    end += IsLeadByte(static_cast<unsigned char>(line[end])) ? 2 : 1;
  }
  end = std::min(end, static_cast<int>(line.size()));
  const LineEdit edit{fix.begin - begin, fix.end - begin, fix.with};
  CommandList fixed = SplitLines(FixedLine(line.substr(begin, end - begin), edit));
  if (fixed.empty()) fixed.emplace_back();
  const std::string cut = gbk ? Utf8ToGbk("…") : "…";
  std::string shown;
  for (size_t i = 0; i < fixed.size(); ++i) {
    const std::string lead = i == 0 ? "  → 修正为：" : std::string(12, ' ');
    shown += gbk ? Utf8ToGbk(lead) : lead;
    if (i == 0 && begin > 0) shown += cut;
    shown += ControlsEscaped(gbk ? fixed[i] : GbkToUtf8(fixed[i]), "", !gbk);
    if (i + 1 == fixed.size() && end < static_cast<int>(line.size())) shown += cut;
    shown += '\n';
  }
  return shown;
}

// A file to check: its path, and how its lines name it (one line, its
// folder's and its own names shown as the folder run shows them).
struct CheckedFile {
  std::string path;
  std::string shown;
};

CheckedFile GivenFile(const std::string& path) { return {path, OneLineText(ShownPath(path))}; }

// Prints the findings of one file; false when it cannot be read. Reading
// and checking it may take the options' timeout, as a run of it may.
bool CheckFile(const CheckedFile& file, const RenderOptions& options, TimeLimit& limit,
               bool& found) {
  limit.Arm(TimeLimit::Clock::now() + TimeoutOf(options),
            "dravel-render: " + SaidText(Said::kStoppedChecking, {file.shown}), 2);
  const FileReadResult read = TryReadFileBytes(file.path);
  if (!read.Ok()) {
    std::cerr << "dravel-render: "
              << SaidText(Said::kCannotRead, {file.shown, ErrorWords(read.error)}) << "\n";
    limit.Disarm();
    return false;
  }
  const std::string bytes(read.bytes.begin(), read.bytes.end());
  const Text script = ScriptOf(bytes, options.encoding);
  const CommandList lines = SplitLines(script);
  const bool gbk =
      options.gbk_output || (options.encoding_given && options.encoding == ScriptEncoding::kGbk);
  const std::string& shown = file.shown;
  // A finding quotes the script, which may hold control characters.
  const auto print = [&](const std::string& line) {
    const std::string shown_line = ControlsEscaped(line, "");
    std::cout << (gbk ? Utf8ToGbk(shown_line) : shown_line) << "\n";
  };
  const ScriptFindings findings =
      CheckScript(script, kFindingsPerFile, LostCharactersOf(bytes, options.encoding));
  std::optional<Column> column, fix_starts;
  for (size_t i = 0; i < findings.listed.size(); ++i) {
    const ScriptFinding& item = findings.listed[i];
    if (i == 0 || item.line != findings.listed[i - 1].line) {
      column.emplace(lines[item.line - 1]);
      fix_starts.emplace(lines[item.line - 1]);
    }
    print(shown + ":" + std::to_string(item.line) + ":" +
          std::to_string(column->At(item.finding.begin)) + ": " + FindingText(item.finding));
    if (item.finding.fix) {
      std::cout << FixLines(lines[item.line - 1], *item.finding.fix, *fix_starts, gbk);
    }
  }
  if (findings.lines_left > 0) {
    print(shown + ": 后面还有 " + std::to_string(findings.lines_left) + " 行有问题，没有列出。");
  }
  found = found || !findings.listed.empty();
  std::cout.flush();
  limit.Disarm();
  return true;
}

// Checks the scripts of `folder` as the folder mode lists them; false when
// it or one of them cannot be read.
bool CheckFolder(const std::string& folder, const RenderOptions& options, TimeLimit& limit,
                 bool& found) {
  const std::optional<std::vector<ScriptFile>> files = ListScripts(folder);
  if (!files) {
    std::cerr << "dravel-render: "
              << SaidText(Said::kCannotReadFolder, {OneLineText(ShownPath(folder))}) << "\n";
    return false;
  }
  bool readable = true;
  for (const ScriptFile& file : *files) {
    // Shown as the folder run's rows show it: names that look alike told apart.
    const CheckedFile checked{JoinPath(folder, file.name),
                              OneLineText(JoinPath(ShownPath(folder), file.shown))};
    if (const auto why = NotReadBecause(file)) {
      std::cerr << "dravel-render: " << checked.shown << ": " << *why << "\n";
      readable = false;
      continue;
    }
    readable = CheckFile(checked, options, limit, found) && readable;
  }
  return readable;
}

}  // namespace

int CheckScripts(const RenderOptions& options) {
  bool found = false;
  bool unreadable = false;
  TimeLimit limit;
  for (const std::string& path : options.check_paths) {
    std::error_code error;
    const bool folder = std::filesystem::is_directory(path, error);
    if (!(folder ? CheckFolder(path, options, limit, found)
                 : CheckFile(GivenFile(path), options, limit, found)))
      unreadable = true;
  }
  std::cout.flush();
  if (unreadable) return 2;
  return found ? 1 : 0;
}

}  // namespace dravel
