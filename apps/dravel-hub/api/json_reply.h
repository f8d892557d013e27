// The API's replies and request bodies as JSON: a reply from a value, an
// error reply {"error": "…"} with its Chinese text, and a request body read
// as a JSON object (nothing else is a valid body).
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string_view>

#include "apps/dravel-hub/hub_exchange.h"

namespace dravel::hub {

using Json = nlohmann::json;

// `value` as UTF-8 JSON; bytes that are not UTF-8 show as U+FFFD.
HubReply JsonReply(int status, const Json& value);
HubReply ErrorReply(int status, std::string_view message);

// The request's body as a JSON object; nullopt when it is not one.
std::optional<Json> JsonObjectBody(const HubRequest& request);

// `value`, or null.
template <typename T>
Json Nullable(const std::optional<T>& value) {
  return value ? Json(*value) : Json();
}

// The reply to a body that is not what the route takes.
HubReply BadBody(std::string_view what);

}  // namespace dravel::hub
