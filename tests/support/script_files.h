// The scripts every canvas must agree on: each .dvg under tests/data and the
// shared workloads, in name order, and reading one as bytes.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "runtime/text.h"

namespace dravel::testing {

inline Text FileText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return Text(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline std::vector<std::filesystem::path> SharedScripts() {
  std::vector<std::filesystem::path> scripts;
  for (const char* folder : {DRAVEL_TEST_DATA, DRAVEL_BENCH_DATA}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      if (entry.path().extension() == ".dvg") scripts.push_back(entry.path());
    }
  }
  std::sort(scripts.begin(), scripts.end());
  return scripts;
}

}  // namespace dravel::testing
