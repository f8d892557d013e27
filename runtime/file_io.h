// The loops under every whole-file read and write, over the `FileSystem` seam:
// reading a regular file whole, writing blocks in full, and making a rename
// durable. What is written where, and in what order, is the callers'
// (file_bytes.h, recovery_copy.h).
#pragma once

#include <span>
#include <string>

#include "runtime/file_system.h"
#include "runtime/value.h"

namespace dravel {

// Reads the whole regular file `path` into `bytes`: 0, or an errno value
// (EINVAL for a file that is not a regular file, EFBIG for one above
// kLargestFile bytes), and then `bytes` is empty. Never waits for a pipe.
int ReadWholeFile(FileSystem& fs, const std::string& path, ByteSet& bytes);

// Writes the blocks in order at `fd`'s offset, each in full: 0 or an errno
// value. No sync.
int WriteBlocks(FileSystem& fs, int fd, std::span<const std::span<const uint8_t>> blocks);

// Makes a rename into the folder of `path` durable. Best effort: a failure
// loses nothing already written, so it is not reported.
void SyncFolderOf(const std::string& path);

}  // namespace dravel
