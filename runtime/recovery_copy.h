// Recovery copies: what a save that writes a file in place keeps of the old
// bytes until the new ones are on disk, so that a save killed half-way leaves
// the file restorable. The copies live in the user's cache folder
// ($XDG_CACHE_HOME/dravel/recovery/, else ~/.cache/dravel/recovery/; the
// folders 0700, the copies 0600), one per file, named by a hash of the file's
// canonical path, which a header in the copy repeats in full. When to keep and
// drop a copy is file_bytes.h's; offering one back is the window's.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "runtime/file_system.h"
#include "runtime/value.h"

namespace dravel {

struct RecoveryCopy {
  std::string path;  // the copy's own file
  ByteSet bytes;     // the file's bytes before the save
};

// Writes a copy of `old_bytes` for the existing file `target` and syncs it,
// replacing an earlier copy for the same file: 0, or an errno value (no home
// folder, a folder that is not ours, a full disk), and then nothing is kept.
int KeepRecoveryCopy(FileSystem& fs, const std::string& target, std::span<const uint8_t> old_bytes);

// Removes the copy for `target`, if there is one. Best effort.
void DropRecoveryCopy(FileSystem& fs, const std::string& target);

// The copy a save of the file `name` (up to its first zero byte) left behind:
// none when there is none, when it cannot be read, or when its header names
// another file.
std::optional<RecoveryCopy> FindRecoveryCopy(std::string_view name);

}  // namespace dravel
