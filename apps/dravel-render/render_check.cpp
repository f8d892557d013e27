#include "apps/dravel-render/render_check.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "apps/dravel-render/render_run.h"
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
  for (const ScriptFinding& item : CheckScript(script)) {
    const std::string message = FindingText(item.finding);
    std::cout << path << ":" << item.line << ":" << Column(lines[item.line - 1], item.finding.begin)
              << ": " << (gbk ? Utf8ToGbk(message) : message) << "\n";
    found = true;
  }
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
