// The benchmark workloads in bench/data: their paths and their scripts. A
// missing workload is an error that ends the benchmark, never an empty script.
#pragma once

#include <filesystem>
#include <vector>

#include "runtime/text.h"

namespace dravel::bench {

// Every .dvg in `folder` (default bench/data), by name; exits with a message
// when the folder holds none.
std::vector<std::filesystem::path> Workloads(
    const std::filesystem::path& folder = DRAVEL_BENCH_DATA);

// The script of `path` as the editor would hold it; exits with a message
// when it cannot be read.
Text ReadWorkload(const std::filesystem::path& path);

// The script of workload `name` in bench/data.
Text Workload(const char* name);

}  // namespace dravel::bench
