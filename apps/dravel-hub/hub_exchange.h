// Where the hub's network side meets what the hub does: the server (Beast)
// turns each HTTP request into a HubRequest and hands it to a HubHandler,
// and lets the handler's side reach the wall's viewers through a WallFeed.
// Neither side sees the other's types, so the API is tested without a
// socket and the server without a database. Plain C++.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dravel::hub {

struct HubRequest {
  std::string method;  // "GET", "POST", ...
  std::string target;  // path and query, as sent
  std::string cookie;  // the Cookie header, "" when none
  std::string origin;  // the Origin header, "" when none
  std::string host;    // the Host header
  std::string content_type;
  std::string body;
  std::string remote_address;  // the peer's IP address, for rate limits
  bool secure = false;         // arrived over TLS
};

struct HubReply {
  int status = 200;
  std::string content_type = "application/json; charset=utf-8";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // Set-Cookie and the like
};

class HubHandler {
 public:
  virtual ~HubHandler() = default;

  // Answers one API request (a target under /api/, or a page made from the
  // data such as the cards or a report); never throws.
  virtual HubReply Handle(const HubRequest& request) = 0;

  // The most body bytes the target may carry (the roster's is larger);
  // the server refuses more with 413 before reading it all.
  virtual size_t BodyLimit(std::string_view target) const = 0;

  // The class whose wall `request` (a WebSocket upgrade to
  // /api/classes/ID/wall) may watch; nullopt when it may not.
  virtual std::optional<int64_t> WallClass(const HubRequest& request) = 0;
};

// The server's side of the wall: every viewer of a class's wall gets each
// message published for that class. Safe to call from any thread.
class WallFeed {
 public:
  virtual ~WallFeed() = default;
  virtual void Publish(int64_t class_id, std::string message) = 0;
  // Ends every open wall of the class (it changed hands): each page connects
  // again and is asked anew whether it may watch.
  virtual void CloseClass(int64_t class_id) = 0;
};

}  // namespace dravel::hub
