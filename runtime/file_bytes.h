// Whole-file reading and writing for the open, save and compile commands.
// Names are byte strings used as paths exactly as given (up to their first
// zero byte). A save never leaves a half-written file: the bytes go to a
// temporary file beside the target, which replaces the target only once it
// is complete and on disk. Showing a failure to the user is the caller's job.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace dravel {

struct FileReadResult {
  ByteSet bytes;
  int error = 0;  // errno value; 0 on success (an empty file included)
  bool Ok() const { return error == 0; }
};

struct FileWriteResult {
  int error = 0;  // errno value; 0 on success
  bool Ok() const { return error == 0; }
};

// The longest file read (lengths are 32-bit throughout): the editor opens
// nothing longer, and a longer file is refused (EFBIG) before it is read.
inline constexpr size_t kLargestFile = 0x7FFF'FFFF;

// A short English description of an errno value from the results above.
std::string FileErrorText(int error);

// Reads a whole regular file. An empty name gives EINVAL; a file that is not
// a regular file gives EINVAL too, without being opened (a pipe's open could
// wait), one above kLargestFile bytes EFBIG.
FileReadResult TryReadFileBytes(std::string_view name);

// What a write does when its name is a symbolic link.
enum class LinkAtName {
  kFollow,  // the link's target is replaced: the user named it
  kRefuse,  // ELOOP, and neither the link nor its target is touched: for
            // names a program makes itself in a folder it was handed
};

// Replaces the file's contents with the blocks in order (empty blocks add
// nothing; no header or terminator is added). Writes a temporary file in the
// target's folder, syncs it and renames it over the target, so a failure
// leaves the old file as it was and removes the temporary. An existing
// file's permissions are kept; a symbolic link is followed and its target
// replaced, or refused, as `link` says; a link that appears at the name
// while the bytes are written is replaced itself, never written through.
// A file with other hard links becomes a new file under this name
// (the other names keep the old bytes). Where the folder refuses new files
// but the existing file may be written, the bytes are written over it in
// place and synced (a full disk is found before anything is overwritten),
// after a recovery copy of the old bytes is on disk (recovery_copy.h); a save
// that cannot make the copy fails and writes nothing, and one that fails
// after it writes the old bytes back where it can, else leaves the copy. A
// successful save removes the file's copy. Temporaries that killed saves left
// in the folder are removed. An empty name gives EINVAL.
FileWriteResult TryWriteFileBytes(std::string_view name,
                                  std::initializer_list<std::span<const uint8_t>> blocks,
                                  LinkAtName link = LinkAtName::kFollow);
FileWriteResult TryWriteFileBytes(std::string_view name, std::span<const uint8_t> block,
                                  LinkAtName link = LinkAtName::kFollow);

}  // namespace dravel
