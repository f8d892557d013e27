// The run itself, on the calling thread: reset the hint box, find the run
// count, one pass of `ExecuteLines` per count, the closing messages. The
// desktop's run driver calls it on a run thread; the web edition calls it in
// its worker.
#pragma once

#include "interpreter/execute_lines.h"
#include "runtime/text.h"

namespace dravel {

// A run's inputs, read from the window when the run starts.
struct RunInput {
  Text script;
  Text run_count_box;
};

// Runs `input.script` as the run button does, on the calling thread, with
// `context.stop` as the run's token.
void RunScript(const RunInput& input, RunContext& context);

}  // namespace dravel
