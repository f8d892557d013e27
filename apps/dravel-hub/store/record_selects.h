// The columns each record is read from, in the order both stores read them:
// the same SQL on SQLite and on PostgreSQL, so the two cannot drift apart.
#pragma once

namespace dravel::hub {

inline constexpr const char* kTeacherColumns =
    "SELECT id, name, password_hash, admin FROM teachers";
inline constexpr const char* kClassColumns =
    "SELECT id, teacher_id, name, join_code, join_open FROM classes";
inline constexpr const char* kPupilColumns = "SELECT id, class_id, number, name, code FROM pupils";
inline constexpr const char* kAssignmentColumns =
    "SELECT id, class_id, title, deadline, resubmit, show_score FROM assignments";

}  // namespace dravel::hub
