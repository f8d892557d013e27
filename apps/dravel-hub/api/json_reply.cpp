#include "apps/dravel-hub/api/json_reply.h"

#include <string>

namespace dravel::hub {

HubReply JsonReply(int status, const Json& value) {
  HubReply reply;
  reply.status = status;
  reply.body = value.dump(-1, ' ', false, Json::error_handler_t::replace);
  reply.headers.emplace_back("Cache-Control", "no-store");
  return reply;
}

HubReply ErrorReply(int status, std::string_view message) {
  return JsonReply(status, Json{{"error", std::string(message)}});
}

std::optional<Json> JsonObjectBody(const HubRequest& request) {
  Json body = Json::parse(request.body, nullptr, /*allow_exceptions=*/false);
  if (!body.is_object()) return std::nullopt;
  return body;
}

HubReply BadBody(std::string_view what) {
  return ErrorReply(400, "请求内容有误：" + std::string(what));
}

}  // namespace dravel::hub
