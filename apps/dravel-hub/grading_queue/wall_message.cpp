#include "apps/dravel-hub/grading_queue/wall_message.h"

#include <nlohmann/json.hpp>

namespace dravel::hub {

std::string WallMessage(const HandinRecord& handin, const PupilRecord& pupil) {
  const bool graded = handin.state == HandinState::kGraded || handin.state == HandinState::kFailed;
  nlohmann::json message = {
      {"handin_id", handin.id},
      {"assignment_id", handin.assignment_id},
      {"pupil_id", pupil.id},
      {"number", pupil.number},
      {"name", pupil.name},
      {"state", HandinStateWord(handin.state)},
      {"score", handin.score ? nlohmann::json(*handin.score) : nlohmann::json()},
      {"picture", graded
                      ? nlohmann::json("/api/handins/" + std::to_string(handin.id) + "/picture.png")
                      : nlohmann::json()},
  };
  return message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace dravel::hub
