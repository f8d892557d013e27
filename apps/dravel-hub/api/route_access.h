// Who may see what: a teacher reaches only their own classes and what is
// in them, a pupil only their own class's assignments and their own
// hand-ins. Everything else is answered as if it did not exist (404), so
// ids of other classes reveal nothing.
#pragma once

#include <optional>

#include "apps/dravel-hub/api/route_context.h"

namespace dravel::hub {

HubReply NotFound();

// Whether the calling teacher is the school's administrator.
bool CallerIsAdmin(RouteContext& context);

// The class with `class_id` when it is the calling teacher's.
std::optional<ClassRecord> OwnClass(RouteContext& context, int64_t class_id);
// The assignment with `assignment_id` when its class is the calling teacher's.
std::optional<AssignmentRecord> OwnAssignment(RouteContext& context, int64_t assignment_id);
// The assignment with `assignment_id` when it is for the calling pupil's class.
std::optional<AssignmentRecord> PupilAssignment(RouteContext& context, int64_t assignment_id);

struct VisibleHandin {
  HandinRecord handin;
  AssignmentRecord assignment;
  bool show_score = true;  // false for a pupil where the assignment hides scores
};

// The hand-in with `handin_id` when the caller may see it: the teacher of
// its class, or the pupil who handed it in.
std::optional<VisibleHandin> HandinFor(RouteContext& context, int64_t handin_id);

}  // namespace dravel::hub
