#include "apps/dravel-hub/server/http_replies.h"

#include <algorithm>
#include <boost/beast/http/span_body.hpp>
#include <charconv>

#include "apps/dravel-hub/server/page_policy.h"
#include "apps/dravel-hub/server/static_files.h"
#include "apps/dravel-hub/server/trusted_proxy.h"

namespace dravel::hub {
namespace {

constexpr std::string_view kServerName = "dravel-hub";
// A page the handler makes from the data (login cards, a report) shows
// names pupils typed and needs no script: should an escape ever be missed,
// the browser still runs nothing.
constexpr std::string_view kMadePagePolicy =
    "default-src 'none'; img-src 'self' data:; style-src 'unsafe-inline'; base-uri 'none'; "
    "form-action 'none'; frame-ancestors 'self'";

std::string Field(const Request& request, http::field field) {
  auto found = request.find(field);
  return found == request.end() ? std::string() : std::string(found->value());
}

// The last of the fields named `name`: a proxy appends to what the client
// sent, so an earlier one may be the client's own.
std::string_view LastField(const Request& request, std::string_view name) {
  std::string_view last;
  for (auto [at, end] = request.equal_range(name); at != end; ++at) last = at->value();
  return last;
}

std::string_view PathOf(std::string_view target) { return target.substr(0, target.find('?')); }

// A header from the handler goes out only when it cannot split the response.
bool SafeHeader(std::string_view name, std::string_view value) {
  auto bad = [](char c) { return c == '\r' || c == '\n' || c == '\0'; };
  return !name.empty() && std::none_of(name.begin(), name.end(), bad) &&
         name.find(':') == std::string_view::npos && std::none_of(value.begin(), value.end(), bad);
}

template <class Body>
void SetCommon(http::response<Body>& response, const Request& request) {
  response.set(http::field::server, kServerName);
  response.set("X-Content-Type-Options", "nosniff");
  response.keep_alive(request.keep_alive());
}

// A refusal of a request read whole: the connection may stay, and a HEAD
// gets the headers alone.
http::message_generator RefusalTo(const Request& request, http::status status) {
  http::response<http::string_body> response{status, request.version()};
  SetCommon(response, request);
  response.set(http::field::content_type, "text/plain; charset=utf-8");
  response.set(http::field::cache_control, "no-store");
  if (status == http::status::method_not_allowed) response.set(http::field::allow, "GET, HEAD");
  const std::string text = std::string(http::obsolete_reason(status)) + "\n";
  if (request.method() != http::verb::head) response.body() = text;
  response.prepare_payload();
  response.content_length(text.size());
  return response;
}

}  // namespace

HubRequest ToHubRequest(const Request& request, const std::string& peer, bool tls,
                        const TrustedProxy& proxy) {
  RequestClient client = proxy.ClientOf(peer, tls, LastField(request, "X-Forwarded-For"),
                                        LastField(request, "X-Forwarded-Proto"));
  HubRequest hub;
  hub.method = std::string(request.method_string());
  hub.target = std::string(request.target());
  hub.cookie = Field(request, http::field::cookie);
  hub.origin = Field(request, http::field::origin);
  hub.host = Field(request, http::field::host);
  hub.content_type = Field(request, http::field::content_type);
  hub.body = request.body();
  hub.remote_address = std::move(client.address);
  hub.secure = client.secure;
  return hub;
}

std::optional<int64_t> WallTarget(std::string_view target) {
  constexpr std::string_view kStart = "/api/classes/", kEnd = "/wall";
  const std::string_view path = PathOf(target);
  if (!path.starts_with(kStart) || !path.ends_with(kEnd)) return std::nullopt;
  const std::string_view digits =
      path.substr(kStart.size(), path.size() - kStart.size() - kEnd.size());
  int64_t id = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || id <= 0)
    return std::nullopt;
  return id;
}

bool IsApiTarget(std::string_view target) {
  return target == "/api" || target.starts_with("/api/") || target.starts_with("/api?");
}

http::message_generator ApiResponse(const Request& request, const HubReply& reply) {
  const int code = reply.status >= 100 && reply.status <= 599 ? reply.status : 500;
  http::response<http::string_body> response{static_cast<http::status>(code), request.version()};
  SetCommon(response, request);
  for (const auto& [name, value] : reply.headers) {
    if (SafeHeader(name, value)) response.insert(name, value);
  }
  response.set(http::field::content_type, reply.content_type);
  response.set(http::field::cache_control, "no-store");
  if (reply.content_type.starts_with("text/html")) {
    response.set("Content-Security-Policy", kMadePagePolicy);
    response.set("Referrer-Policy", "no-referrer");
  }
  if (request.method() != http::verb::head) response.body() = reply.body;
  response.prepare_payload();
  if (request.method() == http::verb::head) response.content_length(reply.body.size());
  return response;
}

http::message_generator StaticResponse(const Request& request, const StaticFiles& files) {
  const bool head = request.method() == http::verb::head;
  if (!head && request.method() != http::verb::get) {
    return RefusalTo(request, http::status::method_not_allowed);
  }
  const StaticFile* file = files.Find(PathOf(request.target()));
  if (file == nullptr) return RefusalTo(request, http::status::not_found);
  http::response<http::span_body<const char>> response{http::status::ok, request.version()};
  SetCommon(response, request);
  response.set(http::field::content_type, file->content_type);
  // A new build of the page must reach the pupils at once.
  response.set(http::field::cache_control, "no-cache");
  if (!file->policy.empty()) {
    response.set("Content-Security-Policy", file->policy);
    response.set("Referrer-Policy", "no-referrer");
    response.set("X-Frame-Options", "SAMEORIGIN");
  }
  if (!head) response.body() = {file->body.data(), file->body.size()};
  response.content_length(file->body.size());
  return response;
}

http::message_generator Refusal(http::status status, unsigned version) {
  http::response<http::string_body> response{status, version};
  response.set(http::field::server, kServerName);
  response.set(http::field::content_type, "text/plain; charset=utf-8");
  response.set("X-Content-Type-Options", "nosniff");
  response.set(http::field::cache_control, "no-store");
  response.body() = std::string(http::obsolete_reason(status)) + "\n";
  response.keep_alive(false);
  response.prepare_payload();
  return response;
}

}  // namespace dravel::hub
