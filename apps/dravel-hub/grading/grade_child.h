// The hub's hidden child mode (dravel-hub --grade-child ...): one script of
// a hand-in, or one of its references, run in a process of its own under the
// grader's limits by the folder mode's child (batch_child.h), which writes
// its picture, its score against reference pictures and its report into the
// private folder the grader made. What the child is asked is the grader's
// (grade_script.h); this unit only sets the child's process up. No Qt here:
// a script that writes text loads the text library as dravel-render does.
#pragma once

#include <cstdint>

namespace dravel::hub {

// The first argument that makes the hub a grading child.
inline constexpr char kGradeChildFlag[] = "--grade-child";

// The most bytes a child may write to any one file (its picture, its
// overlay, its report, its standard error): far over what the canvas's
// pictures take, so only a fault reaches it, and it then ends the child.
inline constexpr uint64_t kChildFileBytes = uint64_t{32} << 20;

// The child's whole run, for main() when argv[1] is kGradeChildFlag: the
// rest of argv are the folder mode child's options. Returns the process's
// exit status; 0 once the report is written.
int RunGradeChild(int argc, char** argv);

}  // namespace dravel::hub
