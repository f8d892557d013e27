#include "apps/dravel-render/folder/script_folder.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "marking/file_names.h"
#include "marking/name_looks.h"
#include "marking/teacher_words.h"
#include "runtime/file_bytes.h"

namespace dravel {

namespace {

// Names that would look the same as another's (LooksKey) are shown with
// their bytes, so every row tells its pupil apart.
void TellLookalikesApart(std::vector<ScriptFile>& scripts) {
  std::map<std::string, int> looks;
  for (const ScriptFile& script : scripts) ++looks[LooksKey(script.shown)];
  for (ScriptFile& script : scripts)
    if (looks[LooksKey(script.shown)] > 1) script.shown += " [" + BytesText(script.name) + "]";
}

}  // namespace

std::optional<std::vector<ScriptFile>> ListScripts(const std::string& folder) {
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  if (error) return std::nullopt;
  std::vector<ScriptFile> scripts;
  for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    if (error) return std::nullopt;
    const std::string name = entries->path().filename().native();
    if (!IsScriptName(name)) continue;
    // The entry itself, a link not followed: a pipe or a link is listed, to
    // show as not read.
    std::error_code kind_error;
    const std::filesystem::file_status status = entries->symlink_status(kind_error);
    if (std::filesystem::is_directory(status)) continue;
    ScriptFile file{name, ShownName(name), EntryKind::kOther, 0};
    if (std::filesystem::is_symlink(status)) file.kind = EntryKind::kLink;
    if (std::filesystem::is_regular_file(status)) {
      file.kind = EntryKind::kRegular;
      file.size = entries->file_size(kind_error);
    }
    scripts.push_back(std::move(file));
  }
  TellLookalikesApart(scripts);
  std::sort(scripts.begin(), scripts.end(), [](const ScriptFile& a, const ScriptFile& b) {
    return a.shown != b.shown ? a.shown < b.shown : a.name < b.name;
  });
  return scripts;
}

std::optional<std::string> NotReadBecause(const ScriptFile& file) {
  switch (file.kind) {
    case EntryKind::kLink: return SaidText(Said::kLinkNotRead);
    case EntryKind::kOther: return SaidText(Said::kOtherNotRead);
    case EntryKind::kRegular: break;
  }
  if (file.size > kLargestFile) return SaidText(Said::kTooLong, {std::to_string(kLargestFile)});
  return std::nullopt;
}

}  // namespace dravel
