// What the class hub keeps, as plain values: a teacher and a login session,
// a class, its pupils, an assignment with its references, a hand-in and
// what grading made of it.
// The store reads and writes these; the API turns them into JSON and the
// term's-end files (gradebook, export, cards) are made from them. Texts are
// UTF-8 here; scripts are kept as the pupil's GBK bytes. Plain C++.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravel::hub {

struct TeacherRecord {
  int64_t id = 0;
  std::string name;
  std::string password_hash;  // Argon2id, as crypto_pwhash_str writes it
  bool admin = false;         // a school's administrator: lists teachers, hands classes over
};

// Who a login session speaks for: a teacher, or a pupil of one class.
enum class SessionRole { kTeacher, kPupil };

struct SessionRecord {
  std::string token_hash;  // the cookie's token is never kept, only its hash
  SessionRole role = SessionRole::kTeacher;
  int64_t owner_id = 0;    // the teacher's or the pupil's id
  int64_t expires_at = 0;  // Unix seconds
};

struct ClassRecord {
  int64_t id = 0;
  int64_t teacher_id = 0;
  std::string name;
  std::string join_code;
  bool join_open = true;
};

struct PupilRecord {
  int64_t id = 0;
  int64_t class_id = 0;
  std::string number;  // 学号: text, leading zeros and all
  std::string name;
  std::string code;  // the personal code on the pupil's login card
};

struct AssignmentRecord {
  int64_t id = 0;
  int64_t class_id = 0;
  std::string title;
  std::vector<std::string> references;  // GBK scripts, one or more
  std::optional<int64_t> deadline;      // Unix seconds
  bool resubmit = true;
  bool show_score = true;
};

// A hand-in's way through grading; the API names each state with a word.
enum class HandinState { kQueued, kGrading, kGraded, kFailed };

// "queued", "grading", "graded", "failed".
std::string_view HandinStateWord(HandinState state);
std::optional<HandinState> HandinStateFromWord(std::string_view word);

// What grading one hand-in made: its score (none when the run failed or
// stopped before its end), the last message of its hint, the picture and
// the overlay against the best reference, as PNG bytes.
struct GradeOutcome {
  HandinState state = HandinState::kFailed;  // kGraded or kFailed
  std::optional<double> score;
  std::string last_message;  // UTF-8
  std::string picture_png;
  std::string overlay_png;
};

struct HandinRecord {
  int64_t id = 0;
  int64_t assignment_id = 0;
  int64_t pupil_id = 0;
  int attempt = 1;           // 1, 2, ... per pupil and assignment
  std::string script;        // GBK bytes as handed in
  int64_t handed_in_at = 0;  // Unix seconds
  bool late = false;
  HandinState state = HandinState::kQueued;
  std::optional<double> score;
  std::string last_message;
  int copies = 0;  // the group of copies it is in, 0 for none
};

// The two pictures grading leaves of a hand-in.
enum class PictureKind { kPicture, kOverlay };

}  // namespace dravel::hub
