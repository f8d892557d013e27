// The server's side of one HTTP exchange, apart from the connection: the
// HubRequest made of a Beast request, and each kind of response (the API's,
// a static file, a refusal) with the headers it must carry. Internal to the
// server's .cpp files.
#pragma once

#include <boost/beast/http/message_generator.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "apps/dravel-hub/server/server_state.h"

namespace dravel::hub {

using Request = http::request<http::string_body>;

// The HubRequest of `request` from `peer` over a connection that is `tls`;
// its client as `proxy` reads it (the peer unless the peer is the proxy).
HubRequest ToHubRequest(const Request& request, const std::string& peer, bool tls,
                        const TrustedProxy& proxy);

// The class of a wall target, "/api/classes/ID/wall"; nullopt for another.
std::optional<int64_t> WallTarget(std::string_view target);

bool IsApiTarget(std::string_view target);

http::message_generator ApiResponse(const Request& request, const HubReply& reply);

// A file of `files` for a GET or HEAD; 404 or 405 otherwise.
http::message_generator StaticResponse(const Request& request, const StaticFiles& files);

// A short plain refusal of a request not read whole (or not to be answered
// further): the connection closes after it.
http::message_generator Refusal(http::status status, unsigned version);

}  // namespace dravel::hub
