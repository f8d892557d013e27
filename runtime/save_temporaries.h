// The temporary files a save writes beside its target: their names, creating
// one, and removing those that a killed save left behind. A name is short and
// fixed in length, so any name that fits a folder also fits its temporary; it
// carries the saving process's id, so a later save can tell a dead save's
// leftovers from a live one's.
#pragma once

#include <string>

#include "runtime/file_system.h"

namespace dravel {

// The folder part of `path` with its trailing slash, or "" for a bare name.
std::string FolderPrefixOf(const std::string& path);

// Creates a new, empty temporary file in `folder_prefix` (as FolderPrefixOf
// gives it) with the permissions `mode` (less the umask); returns its
// descriptor and name, or -1 with errno set.
int CreateSaveTemporary(FileSystem& fs, const std::string& folder_prefix, std::string& temp_path,
                        mode_t mode = 0666);

// Removes, from `folder_prefix`, temporaries of ours whose process is gone
// and which belong to the calling user: those CreateSaveTemporary names and
// those earlier versions named ".<target_name>.saving-<pid>-<n>". Best effort:
// anything it cannot remove stays.
void RemoveStaleTemporaries(const std::string& folder_prefix, const std::string& target_name);

}  // namespace dravel
