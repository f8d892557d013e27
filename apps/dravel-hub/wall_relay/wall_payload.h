// What one wall message looks like on its way between hub processes: the
// PostgreSQL channel they all share, and the notification's payload, the
// class's id in decimal, one space, then the message as the wall gets it;
// the id alone closes the class's walls.
// Plain C++; knows nothing of the database.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dravel::hub {

inline constexpr std::string_view kWallChannel = "dravel_wall";
// PostgreSQL refuses a notification's payload of 8000 bytes or more.
inline constexpr size_t kLargestWallPayload = 7999;

struct WallNotice {
  int64_t class_id = 0;
  std::optional<std::string> message;  // nullopt: close the class's walls
};

// The payload for `message` to the wall of `class_id` (> 0); nullopt when it
// would be longer than kLargestWallPayload.
std::optional<std::string> WallPayload(int64_t class_id, std::string_view message);
// The payload that closes the walls of `class_id` (> 0).
std::string WallClosePayload(int64_t class_id);

// The notice a payload carries; nullopt for anything WallPayload does not
// make (another program's notification on the channel, say).
std::optional<WallNotice> ReadWallPayload(std::string_view payload);

}  // namespace dravel::hub
