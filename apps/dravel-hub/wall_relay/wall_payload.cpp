#include "apps/dravel-hub/wall_relay/wall_payload.h"

#include <algorithm>
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

std::string WallClosePayload(int64_t class_id) {
  assert(class_id > 0);
  return std::to_string(class_id);
}

std::optional<WallNotice> ReadWallPayload(std::string_view payload) {
  const size_t space = std::min(payload.find(' '), payload.size());
  if (space == 0) return std::nullopt;
  WallNotice notice;
  auto [end, error] = std::from_chars(payload.data(), payload.data() + space, notice.class_id);
  if (error != std::errc() || end != payload.data() + space || notice.class_id <= 0) {
    return std::nullopt;
  }
  if (space < payload.size()) notice.message = std::string(payload.substr(space + 1));
  return notice;
}

}  // namespace dravel::hub
