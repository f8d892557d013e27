// The hub's grader: one hand-in scored against its assignment's references
// as `dravel-render --reference REF ... script.dvg` scores it (the best
// reference's score, the same drawing match), with its picture, the overlay
// against the best reference and the hint's last message. Neither the
// pupil's script nor a reference ever runs in the hub's process: each runs
// in a child under the folder mode's limits (grade_child.h), in a private
// temporary folder whose files the grader names and always removes. What
// grading is queued behind, and what is kept of it, are the store's.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "apps/dravel-hub/hub_records.h"

namespace dravel::hub {

class ReferencePictures;

struct GradeLimits {
  // Each run's timeout, as dravel-render's --timeout.
  std::chrono::milliseconds timeout{10'000};
  // Each child's address space in MB; below dravel-render's LeastChildMemory
  // no script can run, and every hand-in fails for want of memory.
  int memory_mb = 512;
  // What a child gets past its timeout to write its pictures before it is killed.
  std::chrono::milliseconds grace{5'000};
  // The child's program: empty for this one, which must then call
  // RunGradeChild from main on kGradeChildFlag (grade_child.h).
  std::string program;
  // Where each grading makes its own folder: the system's temporary folder
  // when empty. The hub gives one in its data folder and empties it at
  // start, so a hub killed mid-grading leaves nothing behind for long.
  std::filesystem::path work_root;
};

// Runs each of `gbk_references` (GBK scripts), unless `kept` has their
// pictures already, and then `gbk_script` in children, and scores the
// script's picture against the references'. kGraded
// with the score when the script ran to its end (its closing message or a
// failing line, as dravel-render scores it). kFailed with a Chinese reason
// in last_message otherwise: stopped at its time limit, out of memory,
// crashed, or a reference that is missing, does not end, or draws nothing
// (said as the teacher's to fix). The picture and the overlay are given
// whenever the child wrote them. Returns within (references + 1) x (timeout
// + grace). Never throws; safe from several threads, so long as nothing else
// in the process reaps children it did not start (a SIGCHLD handler calling
// waitpid(-1), or SIGCHLD ignored), which would leave a child unawaited.
GradeOutcome GradeScript(std::string_view gbk_script,
                         const std::vector<std::string>& gbk_references, const GradeLimits& limits,
                         ReferencePictures& kept);

}  // namespace dravel::hub
