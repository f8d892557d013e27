#include "apps/dravel-render/render_check.h"

#include <filesystem>
#include <iostream>

#include "apps/dravel-render/render_run.h"
#include "apps/dravel-render/script_folder.h"
#include "interpreter/command_list.h"
#include "interpreter/script_checker.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

// The 1-based column, in characters, of byte `offset` of the GBK `line`.
int Column(std::string_view line, int offset) {
  int column = 1;
  for (int at = 0; at < offset; ++column) {
    at += IsLeadByte(static_cast<unsigned char>(line[at])) ? 2 : 1;
  }
  return column;
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
  const std::string shown = OneLineText(ShownName(path).toStdString());
  for (const ScriptFinding& item : CheckScript(script)) {
    const std::string finding = shown + ":" + std::to_string(item.line) + ":" +
                                std::to_string(Column(lines[item.line - 1], item.finding.begin)) +
                                ": " + FindingText(item.finding);
    std::cout << (gbk ? Utf8ToGbk(finding) : finding) << "\n";
    found = true;
  }
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
