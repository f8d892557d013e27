// What every connection of the server shares, and the two session kinds'
// entry points. Internal to the server's .cpp files: it brings Beast in.
#pragma once

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/ssl/ssl_stream.hpp>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "apps/dravel-hub/hub_exchange.h"
#include "apps/dravel-hub/server/connection_limits.h"

namespace dravel::hub {

class StaticFiles;
class TrustedProxy;
class WallHub;

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;
using PlainStream = beast::tcp_stream;
using TlsStream = beast::ssl_stream<beast::tcp_stream>;
using Ticket = std::unique_ptr<ConnectionLimits::Ticket>;

struct ServerState {
  HubHandler& handler;
  WallHub& wall;
  const StaticFiles& files;
  ConnectionLimits& limits;
  const TrustedProxy& proxy;
  net::thread_pool& jobs;
  net::ssl::context* tls;  // null: plain HTTP
  std::chrono::seconds header_time;
  std::chrono::seconds body_time;
};

// Serves HTTP on an accepted socket until the client leaves or a limit ends it.
void StartHttpSession(ServerState& state, tcp::socket socket, Ticket ticket);

// Completes the WebSocket upgrade `request` on `stream` and joins the wall of
// `class_id`.
void StartWallSession(ServerState& state, PlainStream stream,
                      http::request<http::string_body> request, int64_t class_id, Ticket ticket);
void StartWallSession(ServerState& state, TlsStream stream,
                      http::request<http::string_body> request, int64_t class_id, Ticket ticket);

}  // namespace dravel::hub
