#include "apps/dravel-render/folder/output_folder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <span>

#include "apps/dravel-render/folder/script_folder.h"
#include "marking/teacher_words.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

constexpr std::string_view kManifestHeader = "dravel-render files 1\n";
// Far beyond a class's records; a bigger file is no manifest of ours.
constexpr size_t kLargestManifest = size_t{16} << 20;

// A file as the manifest records it; all zero: claimed before it was written.
struct Record {
  int64_t modified_ns = 0;
  int64_t size = 0;
  bool operator==(const Record&) const = default;
};

using Records = std::map<std::string, Record>;

// Nothing at the name: the folder has no such entry, or there is no folder
// (where something else stands at the folder's name, making it says so).
bool Absent(int error) { return error == ENOENT || error == ENOTDIR; }

// The file at `path` as a record, when it is a regular file (not a link).
std::optional<Record> RecordOf(const std::string& path, int& error) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) {
    error = errno;
    return std::nullopt;
  }
  error = 0;
  if (!S_ISREG(info.st_mode)) return std::nullopt;
  return Record{int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
                int64_t(info.st_size)};
}

// A name on one line: backslashes and line breaks escaped.
std::string Escaped(std::string_view name) {
  std::string line;
  for (const char c : name) line += c == '\\' ? "\\\\" : c == '\n' ? "\\n" : std::string(1, c);
  return line;
}

std::optional<std::string> Unescaped(std::string_view line) {
  std::string name;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '\\') {
      name += line[i];
      continue;
    }
    if (++i == line.size() || (line[i] != '\\' && line[i] != 'n')) return std::nullopt;
    name += line[i] == 'n' ? '\n' : '\\';
  }
  return name;
}

// "MODIFIED SIZE NAME"; false when the line is not one.
bool ParseLine(std::string_view line, Records& records) {
  long long modified = 0, size = 0;
  int used = 0;
  const std::string numbers(line.substr(0, 64));
  if (std::sscanf(numbers.c_str(), "%lld %lld%n", &modified, &size, &used) != 2 ||
      size_t(used) >= line.size() || line[size_t(used)] != ' ')
    return false;
  // The name is the rest, spaces and all.
  const std::optional<std::string> name = Unescaped(line.substr(size_t(used) + 1));
  if (!name || name->empty()) return false;
  records[*name] = Record{modified, size};
  return true;
}

// The manifest's records; nullopt when something else stands at its name.
std::optional<Records> ReadManifest(const std::string& folder) {
  const std::string path = JoinPath(folder, kManifestName);
  int error = 0;
  const std::optional<Record> file = RecordOf(path, error);
  if (Absent(error)) return Records();
  if (!file || file->size > int64_t(kLargestManifest)) return std::nullopt;
  const FileReadResult read = TryReadFileBytes(path);
  if (!read.Ok()) return std::nullopt;
  const std::string_view text(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size());
  if (!text.starts_with(kManifestHeader)) return std::nullopt;
  Records records;
  for (size_t at = kManifestHeader.size(); at < text.size();) {
    const size_t end = text.find('\n', at);
    if (end == std::string_view::npos || !ParseLine(text.substr(at, end - at), records))
      return std::nullopt;
    at = end + 1;
  }
  return records;
}

// The folder's own name with the suffix in the name's encoding.
std::string MarkedName(const std::string& name) {
  const std::string suffix = "-批改";
  const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return c >= 0; });
  return ascii || LooksLikeUtf8(name) ? name + suffix : name + Utf8ToGbk(suffix);
}

}  // namespace

std::optional<std::string> DefaultOutputFolder(const std::string& class_folder) {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::absolute(class_folder, error).lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();
  if (error || !folder.has_filename() || folder.filename() == "..") return std::nullopt;
  return (folder.parent_path() / MarkedName(folder.filename().native())).native();
}

std::vector<std::string> InTheWay(const std::string& folder,
                                  const std::vector<std::string>& names) {
  const std::optional<Records> records = ReadManifest(folder);
  std::vector<std::string> in_the_way;
  if (!records) in_the_way.push_back(kManifestName);
  for (const std::string& name : names) {
    int error = 0;
    const std::optional<Record> file = RecordOf(JoinPath(folder, name), error);
    if (Absent(error)) continue;
    const auto recorded = records ? records->find(name) : Records::const_iterator();
    const bool own = file && records && recorded != records->end() &&
                     (recorded->second == Record() || recorded->second == *file);
    if (!own) in_the_way.push_back(name);
  }
  return in_the_way;
}

int RecordOwnFiles(const std::string& folder, const std::vector<std::string>& names,
                   bool claim_absent) {
  Records records = ReadManifest(folder).value_or(Records());
  for (auto it = records.begin(); it != records.end();) {
    int error = 0;
    RecordOf(JoinPath(folder, it->first), error);
    it = Absent(error) ? records.erase(it) : std::next(it);
  }
  for (const std::string& name : names) {
    int error = 0;
    const std::optional<Record> file = RecordOf(JoinPath(folder, name), error);
    if (!Absent(error) || claim_absent) records[name] = file.value_or(Record());
  }
  std::string text(kManifestHeader);
  for (const auto& [name, record] : records) {
    text += std::to_string(record.modified_ns) + " " + std::to_string(record.size) + " " +
            Escaped(name) + "\n";
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  return TryWriteFileBytes(JoinPath(folder, kManifestName), std::span(bytes, text.size()),
                           LinkAtName::kRefuse)
      .error;
}

std::optional<std::string> InTheWayMessage(const std::string& folder,
                                           const std::vector<std::string>& names) {
  const std::vector<std::string> in_the_way = InTheWay(folder, names);
  if (in_the_way.empty()) return std::nullopt;
  const std::string first = ShownPath(JoinPath(folder, in_the_way.front()));
  if (in_the_way.size() == 1) return SaidText(Said::kInTheWay, {first});
  return SaidText(Said::kManyInTheWay, {first, std::to_string(in_the_way.size() - 1)});
}

std::optional<std::string> MadeOutputFolder(const std::string& folder,
                                            const std::vector<std::string>& subfolders,
                                            const std::vector<std::string>& names) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder, error))
    return SaidText(Said::kCannotMakeFolder, {ShownPath(folder)});
  // A class's folder is a folder of the run's own, never a link out of it.
  for (const std::string& subfolder : subfolders) {
    const std::string path = JoinPath(folder, subfolder);
    std::filesystem::create_directory(path, error);
    if (std::filesystem::symlink_status(path, error).type() !=
        std::filesystem::file_type::directory)
      return SaidText(Said::kCannotMakeFolder, {ShownPath(path)});
  }
  const int unrecorded = RecordOwnFiles(folder, names, true);
  if (unrecorded == 0) return std::nullopt;
  const std::string manifest = JoinPath(folder, kManifestName);
  return unrecorded == ELOOP ? SaidText(Said::kLeftLink, {manifest})
                             : SaidText(Said::kCannotWriteWhy, {manifest, ErrorWords(unrecorded)});
}

}  // namespace dravel
