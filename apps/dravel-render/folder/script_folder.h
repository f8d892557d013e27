// The scripts of a class folder as the file system holds them, for both the
// folder mode and --check: names as bytes, so a name in GBK (unzipped from a
// Chinese Windows archive) is listed and read like any other, and shown
// decoded as UTF-8 when it is valid UTF-8, as GBK otherwise (file_names.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "marking/file_names.h"

namespace dravel {

// What the folder holds under a script's name, as the entry itself is (a
// link is not followed).
enum class EntryKind { kRegular, kLink, kOther };

struct ScriptFile {
  std::string name;   // the entry's name, as bytes
  std::string shown;  // the name decoded for people, UTF-8
  EntryKind kind = EntryKind::kRegular;
  uint64_t size = 0;  // a regular file's bytes
};

// Why `file` is not read: only what was handed in is, a regular file inside
// the class folder, so a link (to a file anywhere the teacher may read) or
// anything else is not, and a script longer than the editor opens
// (kLargestFile) is refused before it is read. nullopt for a script to read.
std::optional<std::string> NotReadBecause(const ScriptFile& file);

// The entries of `folder` (not of its subfolders) whose names end in .dvg in
// any case, folders left out (a link to one is listed), in the order of
// their shown names; nullopt when the folder cannot be listed. A name that
// would look like another's (name_looks.h: the same name in GBK and in
// UTF-8, é written two ways, two names that cannot be decoded) is shown
// with its bytes: "é.dvg [e%CC%81.dvg]".
std::optional<std::vector<ScriptFile>> ListScripts(const std::string& folder);

}  // namespace dravel
