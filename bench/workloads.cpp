#include "bench/workloads.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "interpreter/command_list.h"
#include "runtime/file_bytes.h"

namespace dravel::bench {

namespace fs = std::filesystem;

std::vector<fs::path> Workloads(const fs::path& folder) {
  std::vector<fs::path> scripts;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.path().extension() == ".dvg") scripts.push_back(entry.path());
  if (scripts.empty()) {
    std::fprintf(stderr, "no workloads (.dvg) in %s\n", folder.c_str());
    std::exit(2);
  }
  std::sort(scripts.begin(), scripts.end());
  return scripts;
}

Text ReadWorkload(const fs::path& path) {
  const FileReadResult read = TryReadFileBytes(path.string());
  if (!read.Ok()) {
    std::fprintf(stderr, "cannot read the workload %s: %s\n", path.c_str(),
                 FileErrorText(read.error).c_str());
    std::exit(2);
  }
  return ScriptFromFileBytes(read.bytes);
}

Text Workload(const char* name) { return ReadWorkload(fs::path(DRAVEL_BENCH_DATA) / name); }

}  // namespace dravel::bench
