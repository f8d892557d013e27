#include "apps/dravel-hub/wall_relay/wall_payload.h"

#include <cassert>
#include <charconv>

namespace dravel::hub {

std::optional<std::string> WallPayload(int64_t class_id, std::string_view message) {
  assert(class_id > 0);
  std::string payload = std::to_string(class_id);
  if (payload.size() + 1 + message.size() > kLargestWallPayload) return std::nullopt;
  payload += ' ';
  payload += message;
  return payload;
}

std::optional<WallNotice> ReadWallPayload(std::string_view payload) {
  const size_t space = payload.find(' ');
  if (space == std::string_view::npos || space == 0) return std::nullopt;
  WallNotice notice;
  auto [end, error] = std::from_chars(payload.data(), payload.data() + space, notice.class_id);
  if (error != std::errc() || end != payload.data() + space || notice.class_id <= 0) {
    return std::nullopt;
  }
  notice.message = std::string(payload.substr(space + 1));
  return notice;
}

}  // namespace dravel::hub
