#include "apps/dravel-render/render_check.h"

#include <algorithm>
#include <cassert>
#include <filesystem>
#include <iostream>
#include <optional>

#include "apps/dravel-render/render_run.h"
#include "interpreter/command_list.h"
#include "interpreter/script_checker.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

// A file lists this many findings (whole lines) at most, then counts the
// lines left.
constexpr size_t kFindingsPerFile = 2000;

// The 1-based columns, in characters, of byte offsets of one GBK line, asked
// in increasing order: each walks on from where the last one stopped.
class Column {
 public:
  explicit Column(std::string_view line) : line_(line) {}

  int At(int offset) {
    assert(offset >= asked_);
    asked_ = offset;
    for (; at_ < offset; ++column_) {
      at_ += IsLeadByte(static_cast<unsigned char>(line_[at_])) ? 2 : 1;
    }
    return column_;
  }

 private:
  std::string_view line_;
  int asked_ = 0;
  int at_ = 0;
  int column_ = 1;
};

// The line a fix leaves, after the finding it mends: each line of it (a fix
// may move a command to a line of its own) under the first.
std::string FixLines(std::string_view line, const LineEdit& fix, bool gbk) {
  const std::string first = "  → 修正为：", more(12, ' ');
  CommandList fixed = SplitLines(FixedLine(line, fix));
  if (fixed.empty()) fixed.emplace_back();
  std::string shown;
  for (size_t i = 0; i < fixed.size(); ++i) {
    const std::string& lead = i == 0 ? first : more;
    shown += gbk ? Utf8ToGbk(lead) + fixed[i] : lead + GbkToUtf8(fixed[i]);
    shown += '\n';
  }
  return shown;
}

// Prints the findings of one file; false when it cannot be read.
bool CheckFile(const std::string& path, const RenderOptions& options, bool& found) {
  const FileReadResult read = TryReadFileBytes(path);
  if (!read.Ok()) {
    std::cerr << "dravel-render: cannot read " << path << ": " << FileErrorText(read.error) << "\n";
    return false;
  }
  const Text script = ScriptOf(std::string(read.bytes.begin(), read.bytes.end()), options.encoding);
  const CommandList lines = SplitLines(script);
  const bool gbk =
      options.gbk_output || (options.encoding_given && options.encoding == ScriptEncoding::kGbk);
  const auto print = [&](const std::string& where, const std::string& message) {
    std::cout << where << ": " << (gbk ? Utf8ToGbk(message) : message) << "\n";
  };
  const ScriptFindings findings = CheckScript(script, kFindingsPerFile);
  std::optional<Column> column;
  for (size_t i = 0; i < findings.listed.size(); ++i) {
    const ScriptFinding& item = findings.listed[i];
    if (i == 0 || item.line != findings.listed[i - 1].line) column.emplace(lines[item.line - 1]);
    print(path + ":" + std::to_string(item.line) + ":" +
              std::to_string(column->At(item.finding.begin)),
          FindingText(item.finding));
    if (item.finding.fix) std::cout << FixLines(lines[item.line - 1], *item.finding.fix, gbk);
  }
  if (findings.lines_left > 0) {
    print(path, "后面还有 " + std::to_string(findings.lines_left) + " 行有问题，没有列出。");
  }
  found = found || !findings.listed.empty();
  return true;
}

// The paths given, a folder standing for its .dvg files in name order.
std::vector<std::string> ScriptsOf(const std::vector<std::string>& paths) {
  namespace fs = std::filesystem;
  std::vector<std::string> scripts;
  for (const std::string& path : paths) {
    std::error_code error;
    if (!fs::is_directory(path, error)) {
      scripts.push_back(path);
      continue;
    }
    std::vector<std::string> folder;
    for (const auto& entry : fs::directory_iterator(path, error)) {
      std::string extension = entry.path().extension().string();
      for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (extension == ".dvg") folder.push_back(entry.path().string());
    }
    std::sort(folder.begin(), folder.end());
    scripts.insert(scripts.end(), folder.begin(), folder.end());
  }
  return scripts;
}

}  // namespace

int CheckScripts(const RenderOptions& options) {
  bool found = false;
  bool unreadable = false;
  for (const std::string& path : ScriptsOf(options.check_paths)) {
    if (!CheckFile(path, options, found)) unreadable = true;
  }
  std::cout.flush();
  if (unreadable) return 2;
  return found ? 1 : 0;
}

}  // namespace dravel
