#include "apps/dravel-render/render_check.h"

#include <algorithm>
#include <cassert>
#include <filesystem>
#include <iostream>
#include <optional>

#include "apps/dravel-render/render_run.h"
#include "apps/dravel-render/script_folder.h"
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
  const std::string shown = OneLineText(ShownName(path).toStdString());
  const auto print = [&](const std::string& line) {
    std::cout << (gbk ? Utf8ToGbk(line) : line) << "\n";
  };
  const ScriptFindings findings = CheckScript(script, kFindingsPerFile);
  std::optional<Column> column;
  for (size_t i = 0; i < findings.listed.size(); ++i) {
    const ScriptFinding& item = findings.listed[i];
    if (i == 0 || item.line != findings.listed[i - 1].line) column.emplace(lines[item.line - 1]);
    print(shown + ":" + std::to_string(item.line) + ":" +
          std::to_string(column->At(item.finding.begin)) + ": " + FindingText(item.finding));
  }
  if (findings.lines_left > 0) {
    print(shown + ": 后面还有 " + std::to_string(findings.lines_left) + " 行有问题，没有列出。");
  }
  found = found || !findings.listed.empty();
  return true;
}

// Checks the scripts of `folder` as the folder mode lists them; false when
// it or one of them cannot be read.
bool CheckFolder(const std::string& folder, const RenderOptions& options, bool& found) {
  const std::optional<std::vector<ScriptFile>> files = ListScripts(folder);
  if (!files) {
    std::cerr << "dravel-render: cannot read the folder " << folder << "\n";
    return false;
  }
  bool readable = true;
  for (const ScriptFile& file : *files)
    readable = CheckFile(JoinPath(folder, file.name), options, found) && readable;
  return readable;
}

}  // namespace

int CheckScripts(const RenderOptions& options) {
  bool found = false;
  bool unreadable = false;
  for (const std::string& path : options.check_paths) {
    std::error_code error;
    const bool folder = std::filesystem::is_directory(path, error);
    if (!(folder ? CheckFolder(path, options, found) : CheckFile(path, options, found)))
      unreadable = true;
  }
  std::cout.flush();
  if (unreadable) return 2;
  return found ? 1 : 0;
}

}  // namespace dravel
