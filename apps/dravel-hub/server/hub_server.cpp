#include "apps/dravel-hub/server/hub_server.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <cassert>
#include <optional>
#include <thread>
#include <vector>

#include "apps/dravel-hub/server/server_state.h"
#include "apps/dravel-hub/server/trusted_proxy.h"

namespace dravel::hub {
namespace {

// After a failed accept (out of descriptors, say), a pause before the next,
// so the loop does not spin.
constexpr std::chrono::milliseconds kAcceptPause{100};

bool LoadTls(net::ssl::context& context, const ServerOptions& options, std::string& error) {
  beast::error_code code;
  context.set_options(net::ssl::context::default_workarounds | net::ssl::context::no_sslv2 |
                      net::ssl::context::no_sslv3 | net::ssl::context::no_tlsv1 |
                      net::ssl::context::no_tlsv1_1);
  context.use_certificate_chain_file(options.tls_certificate.string(), code);
  if (code) {
    error = options.tls_certificate.string() + ": " + code.message();
    return false;
  }
  context.use_private_key_file(options.tls_key.string(), net::ssl::context::pem, code);
  if (code) error = options.tls_key.string() + ": " + code.message();
  return !code;
}

}  // namespace

struct HubServer::Impl {
  Impl(ServerOptions server_options, HubHandler& handler, WallHub& wall, const StaticFiles& files)
      : options(std::move(server_options)),
        limits(options.connections_per_address, options.connections),
        proxy(options.trusted_proxy),
        jobs(static_cast<size_t>(options.handler_threads)),
        state{handler,          wall, files, limits, proxy, jobs, nullptr, options.header_time,
              options.body_time} {}

  bool Listen(std::string& error);
  void Accept();
  void OnAccept(beast::error_code error, tcp::socket socket);

  const ServerOptions options;
  // Declared before the contexts: sessions still queued in them give their
  // tickets back as they go.
  ConnectionLimits limits;
  const TrustedProxy proxy;
  std::optional<net::ssl::context> tls;
  net::io_context io{options.io_threads};
  tcp::acceptor acceptor{net::make_strand(io)};
  net::steady_timer pause{acceptor.get_executor()};
  // Declared after the I/O context: jobs not yet run hold sessions whose
  // sockets need it.
  net::thread_pool jobs;
  ServerState state;
  std::vector<std::thread> threads;
  uint16_t port = 0;
};

bool HubServer::Impl::Listen(std::string& error) {
  beast::error_code code;
  const auto address = net::ip::make_address(options.bind_address, code);
  if (code) {
    error = "not an IP address: " + options.bind_address;
    return false;
  }
  const tcp::endpoint endpoint(address, options.port);
  acceptor.open(endpoint.protocol(), code);
  if (!code) acceptor.set_option(net::socket_base::reuse_address(true), code);
  if (!code) acceptor.bind(endpoint, code);
  if (!code) acceptor.listen(net::socket_base::max_listen_connections, code);
  if (!code) port = acceptor.local_endpoint(code).port();
  if (code)
    error = options.bind_address + ":" + std::to_string(options.port) + ": " + code.message();
  return !code;
}

void HubServer::Impl::Accept() {
  acceptor.async_accept(net::make_strand(io), [this](beast::error_code error, tcp::socket socket) {
    OnAccept(error, std::move(socket));
  });
}

void HubServer::Impl::OnAccept(beast::error_code error, tcp::socket socket) {
  if (error == net::error::operation_aborted || !acceptor.is_open()) return;
  if (error) {
    pause.expires_after(kAcceptPause);
    pause.async_wait([this](beast::error_code waited) {
      if (!waited) Accept();
    });
    return;
  }
  beast::error_code code;
  const std::string remote = socket.remote_endpoint(code).address().to_string();
  // Beyond a cap the connection is closed unanswered: answering would cost
  // what the cap saves.
  if (Ticket ticket = code ? nullptr : limits.Take(remote, !proxy.Is(remote))) {
    StartHttpSession(state, std::move(socket), std::move(ticket));
  }
  Accept();
}

HubServer::HubServer(ServerOptions options, HubHandler& handler, WallHub& wall,
                     const StaticFiles& files)
    : impl_(std::make_unique<Impl>(std::move(options), handler, wall, files)) {
  assert(impl_->options.io_threads > 0 && impl_->options.handler_threads > 0);
}

HubServer::~HubServer() { Stop(); }

bool HubServer::Start(std::string& error) {
  assert(impl_->threads.empty());
  const ServerOptions& options = impl_->options;
  if (!impl_->proxy.Valid()) {
    error = "not an IP address: " + options.trusted_proxy;
    return false;
  }
  if (!options.tls_certificate.empty() || !options.tls_key.empty()) {
    impl_->tls.emplace(net::ssl::context::tls_server);
    if (!LoadTls(*impl_->tls, options, error)) return false;
    impl_->state.tls = &*impl_->tls;
  }
  if (!impl_->Listen(error)) return false;
  net::post(impl_->acceptor.get_executor(), [impl = impl_.get()] { impl->Accept(); });
  for (int i = 0; i < options.io_threads; ++i) {
    impl_->threads.emplace_back([impl = impl_.get()] { impl->io.run(); });
  }
  return true;
}

uint16_t HubServer::Port() const { return impl_->port; }

void HubServer::Stop() {
  if (impl_->threads.empty()) return;
  net::post(impl_->acceptor.get_executor(), [impl = impl_.get()] {
    beast::error_code ignored;
    impl->acceptor.close(ignored);
    impl->pause.cancel();
  });
  impl_->io.stop();
  for (std::thread& thread : impl_->threads) thread.join();
  impl_->threads.clear();
  impl_->jobs.stop();
  impl_->jobs.join();
}

}  // namespace dravel::hub
