// The hub's HTTP and WebSocket server: listens on one address, reads each
// request within the limits below, sends /api/ requests to the HubHandler on
// a pool of its own threads (the handler may wait on its database; the I/O
// threads never do), serves the static files, and upgrades wall sockets
// into the WallHub. Optionally over TLS. Beast stays inside the .cpp files:
// this header is plain C++.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "apps/dravel-hub/hub_exchange.h"

namespace dravel::hub {

class StaticFiles;
class WallHub;

inline constexpr size_t kHeaderLimit = 8 * 1024;

struct ServerOptions {
  std::string bind_address = "0.0.0.0";
  uint16_t port = 8080;  // 0: a free port, see HubServer::Port
  int io_threads = 2;
  int handler_threads = 4;
  size_t connections_per_address = 512;
  size_t connections = 1024;
  // The whole header block must arrive within this, which also ends a
  // keep-alive connection left idle.
  std::chrono::seconds header_time{30};
  std::chrono::seconds body_time{60};
  // A reverse proxy's IP address, "" for none: only from it is the client
  // read from X-Forwarded-For, and its connections, carrying many clients,
  // count towards the cap over all but not the cap per address.
  std::string trusted_proxy;
  std::filesystem::path tls_certificate;  // both set: TLS only
  std::filesystem::path tls_key;
};

class HubServer {
 public:
  // `handler`, `wall` and `files` must outlive the server.
  HubServer(ServerOptions options, HubHandler& handler, WallHub& wall, const StaticFiles& files);
  HubServer(const HubServer&) = delete;
  HubServer& operator=(const HubServer&) = delete;
  ~HubServer();

  // Binds, listens and starts the threads; false with `error` set (English)
  // when the address, the port or the TLS files cannot be used.
  bool Start(std::string& error);

  // The port listened on, once started.
  uint16_t Port() const;

  // Stops accepting, closes every connection, joins the threads. Requests
  // being handled finish first. Idempotent.
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace dravel::hub
