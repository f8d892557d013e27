#include "apps/dravel-hub/grading/grade_child.h"

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cassert>
#include <cstdlib>
#include <iostream>
#include <new>
#include <string_view>
#include <variant>

#include "apps/dravel-render/folder/batch_child.h"
#include "apps/dravel-render/render_options.h"
#include "apps/dravel-render/text_library/text_library.h"
#include "marking/teacher_words.h"
#include "runtime/sanitized_build.h"

namespace dravel::hub {
namespace {

// The hub's sockets and its database are no business of a pupil's script.
void CloseInheritedFiles() { close_range(3, ~0U, 0); }

void LimitFileSize() {
#ifndef DRAVEL_SANITIZED
  const rlimit limit{kChildFileBytes, kChildFileBytes};
  setrlimit(RLIMIT_FSIZE, &limit);
#endif
}

int Refuse(std::string_view why) {
  std::cerr << "dravel-hub: " << why << "\n";
  return 2;
}

}  // namespace

int RunGradeChild(int argc, char** argv) {
  assert(argc >= 2 && std::string_view(argv[1]) == kGradeChildFlag);
  CloseInheritedFiles();
  // The child's own refusals (a canvas, the text library) reach a teacher.
  setenv("LC_ALL", "zh_CN.UTF-8", 1);
  LimitFileSize();
  // As dravel-render's main: one heap for the run thread and this one.
  mallopt(M_ARENA_MAX, 1);
  // The folder mode's child reads the options after the flag, its program name.
  const ParsedCommandLine parsed = ParseRenderOptions(argc - 1, argv + 1);
  const auto* options = std::get_if<RenderOptions>(&parsed);
  if (options == nullptr || !options->batch_report) return Refuse("not a grading request");
  int status = 2;
  try {
    status = RunBatchChild(*options);
  } catch (const std::bad_alloc&) {
    // "bad_alloc" tells the grader what ended its child, as in the folder mode.
    status = Refuse(SaidText(Said::kRanOutOfMemory) + " (std::bad_alloc)");
  }
  EndTextLibrary();
  return status;
}

}  // namespace dravel::hub
