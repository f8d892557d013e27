// The hub's API (/api/...) behind the server's HubHandler: refuses
// state-changing requests from other sites' pages, finds who is calling
// from the session cookie, matches the route table and answers in UTF-8
// JSON (the term's-end files as pages and downloads), errors as
// {"error": "…"} in Chinese; a database that fails answers 503 with
// Retry-After, never a success for what was not kept. Knows nothing of sockets;
// plain C++ over a HubStore.
#pragma once

#include <functional>

#include "apps/dravel-hub/api/route_context.h"
#include "apps/dravel-hub/hub_exchange.h"
#include "apps/dravel-hub/store/hub_store.h"

namespace dravel::hub {

class HubApi final : public HubHandler {
 public:
  static constexpr size_t kBodyLimit = 64 * 1024;
  static constexpr size_t kRosterBodyLimit = 1024 * 1024;
  // What a 503 asks the caller to wait before trying again.
  static constexpr int kRetryAfterSeconds = 5;

  // `wake_graders` is called whenever hand-ins were queued.
  HubApi(HubStore& store, WallFeed& wall, std::function<void()> wake_graders);

  HubReply Handle(const HubRequest& request) override;
  size_t BodyLimit(std::string_view target) const override;
  std::optional<int64_t> WallClass(const HubRequest& request) override;

 private:
  HubReply Answer(const HubRequest& request);

  ApiServices services_;
};

}  // namespace dravel::hub
