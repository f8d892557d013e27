#include "apps/dravel-render/folder/folder_scripts.h"

#include <algorithm>
#include <filesystem>
#include <span>

#include "apps/dravel-render/folder/picture_names.h"
#include "apps/dravel-render/render_text.h"
#include "marking/report_page.h"
#include "marking/script_copies.h"
#include "marking/summary_files.h"
#include "runtime/file_bytes.h"

namespace dravel {
namespace {

// A pupil's script is far smaller; a larger file is left out of the copies.
constexpr size_t kLargestCopied = 1 << 20;

// The names the run writes in the output folder itself, which no picture
// may take. The folder may not be made yet, so paths are compared as they
// would resolve.
std::vector<std::string> OwnNames(const RenderOptions& options, const std::string& out) {
  std::vector<std::string> names = {kSummaryFileName, kSummaryCsvName, kReportFileName};
  if (!options.contact_sheet) return names;
  const std::filesystem::path sheet(*options.contact_sheet);
  std::error_code error;
  const auto resolved = [&](const std::filesystem::path& path) {
    return std::filesystem::weakly_canonical(path.empty() ? "." : path, error);
  };
  if (resolved(sheet.parent_path()) == resolved(out)) names.push_back(sheet.filename().native());
  return names;
}

// Pictures are named in UTF-8, as the summaries name them: a GBK name's
// bytes would show garbled in a file manager.
std::vector<FolderScript> ScriptsOf(const std::vector<ScriptFile>& files,
                                    const RenderOptions& options, const std::string& out) {
  std::vector<std::string> names;
  for (const ScriptFile& file : files) names.push_back(file.shown);
  std::vector<std::string> taken = OwnNames(options, out);
  const std::vector<std::string> pictures =
      PictureNames(names, options.svg_in_folder ? ".svg" : ".png", taken);
  // NAME-overlay.png beside NAME.png, numbered as pictures are when taken.
  std::vector<std::string> overlays;
  if (!options.references.empty()) {
    for (std::string& name : names) name = name.substr(0, name.size() - 4) + "-overlay.dvg";
    taken.insert(taken.end(), pictures.begin(), pictures.end());
    overlays = PictureNames(names, ".png", taken);
  }
  std::vector<FolderScript> scripts;
  for (size_t i = 0; i < files.size(); ++i) {
    scripts.push_back({files[i], pictures[i], overlays.empty() ? "" : overlays[i], {}, false, {}});
    scripts.back().row.shown = files[i].shown;
  }
  return scripts;
}

// The copy key of the script at `path`, read as the run reads it; empty
// when it cannot be read or is past kLargestCopied bytes.
std::string CopyKeyOf(const RenderOptions& options, const std::string& path) {
  const FileReadResult read = TryReadFileBytes(path);
  if (!read.Ok() || read.bytes.size() > kLargestCopied) return {};
  return CopyKey(ScriptOf(std::string(read.bytes.begin(), read.bytes.end()), options.encoding));
}

std::string ScriptCopyKey(const RenderOptions& options, const FolderScript& script) {
  if (NotReadBecause(script.file) || script.file.size > kLargestCopied) return {};
  return CopyKeyOf(options, JoinPath(script.folder, script.file.name));
}

// Each row's group among a class's `scripts`, numbered on from
// `groups_before`; the class's groups.
int MarkCopies(const RenderOptions& options, std::span<FolderScript> scripts, int groups_before) {
  std::vector<std::string> keys, answers;
  for (const FolderScript& script : scripts) keys.push_back(ScriptCopyKey(options, script));
  for (const std::string& reference : options.references)
    if (IsScriptName(reference)) answers.push_back(CopyKeyOf(options, reference));
  const std::vector<int> groups = CopyGroups(keys, answers);
  for (size_t i = 0; i < scripts.size(); ++i)
    scripts[i].row.copy_group = groups[i] == 0 ? 0 : groups_before + groups[i];
  return groups.empty() ? 0 : *std::max_element(groups.begin(), groups.end());
}

}  // namespace

std::optional<std::vector<FolderScript>> ClassScripts(const RenderOptions& options,
                                                      const std::string& out,
                                                      const ClassFolder& class_folder) {
  const std::optional<std::vector<ScriptFile>> files = ListScripts(class_folder.path);
  if (!files) return std::nullopt;
  const std::string& name = class_folder.name;
  const std::string under = name.empty() ? "" : name + "/";
  std::vector<FolderScript> scripts =
      ScriptsOf(*files, options, name.empty() ? out : JoinPath(out, name));
  for (FolderScript& script : scripts) {
    script.folder = class_folder.path;
    script.row.class_name = name;
    script.picture_name = under + script.picture_name;
    if (!script.overlay_name.empty()) script.overlay_name = under + script.overlay_name;
  }
  return scripts;
}

std::vector<std::string> WrittenNames(const RenderOptions& options, const std::string& out,
                                      const std::vector<FolderScript>& scripts) {
  std::vector<std::string> names = OwnNames(options, out);
  for (const FolderScript& script : scripts) {
    names.push_back(script.picture_name);
    if (!script.overlay_name.empty()) names.push_back(script.overlay_name);
  }
  return names;
}

void MarkEveryClassesCopies(const RenderOptions& options, std::vector<FolderScript>& scripts) {
  int groups = 0;
  for (size_t start = 0, end = 0; start < scripts.size(); start = end) {
    end = start;
    while (end < scripts.size() && scripts[end].folder == scripts[start].folder) ++end;
    groups += MarkCopies(options, std::span(scripts).subspan(start, end - start), groups);
  }
}

}  // namespace dravel
