// One HTTP connection, plain or TLS: reads a request's header within the
// header time and the header limit, checks the body's size against the
// target's limit before reading it, and answers; keeps the connection for
// the next request while the client wants it. A wall upgrade leaves this
// session for a wall session on the same stream.
#include <array>
#include <boost/asio/dispatch.hpp>
#include <boost/asio/post.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/beast/websocket/rfc6455.hpp>
#include <optional>
#include <type_traits>

#include "apps/dravel-hub/server/http_replies.h"
#include "apps/dravel-hub/server/hub_server.h"
#include "apps/dravel-hub/server/server_state.h"

namespace dravel::hub {
namespace {

constexpr std::chrono::seconds kWriteTime{60};
// After a refusal, what the client still sends is read and dropped for a
// while, so closing does not reset the connection before it reads the reply.
constexpr std::chrono::seconds kDrainTime{5};

template <class Stream>
class HttpSession : public std::enable_shared_from_this<HttpSession<Stream>> {
 public:
  static constexpr bool kTls = std::is_same_v<Stream, TlsStream>;

  template <class... StreamArguments>
  HttpSession(ServerState& state, Ticket ticket, std::string remote, StreamArguments&&... stream)
      : state_(state),
        ticket_(std::move(ticket)),
        remote_(std::move(remote)),
        stream_(std::forward<StreamArguments>(stream)...) {}

  void Run() {
    net::dispatch(stream_.get_executor(), [self = this->shared_from_this()] { self->Begin(); });
  }

 private:
  void Begin() {
    if constexpr (kTls) {
      beast::get_lowest_layer(stream_).expires_after(state_.header_time);
      stream_.async_handshake(net::ssl::stream_base::server,
                              [self = this->shared_from_this()](beast::error_code error) {
                                if (!error) self->ReadHeader();
                              });
    } else {
      ReadHeader();
    }
  }

  void ReadHeader() {
    parser_.emplace();
    parser_->header_limit(kHeaderLimit);
    // The target's own limit is set once its header is read.
    parser_->body_limit(boost::none);
    beast::get_lowest_layer(stream_).expires_after(state_.header_time);
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = this->shared_from_this()](beast::error_code error, size_t) {
                              self->OnHeader(error);
                            });
  }

  void OnHeader(beast::error_code error) {
    if (error == http::error::header_limit) {
      return Send(Refusal(http::status::request_header_fields_too_large, 11));
    }
    if (error == http::error::end_of_stream || error == beast::error::timeout ||
        error == net::error::operation_aborted || error == net::error::connection_reset ||
        error == net::error::eof)
      return Close();
    if (error) return Send(Refusal(http::status::bad_request, 11));
    const Request& request = parser_->get();
    if (beast::websocket::is_upgrade(request)) return Upgrade();
    const size_t limit =
        IsApiTarget(request.target()) ? state_.handler.BodyLimit(request.target()) : 0;
    const auto length = parser_->content_length();
    if (length && *length > limit) {
      return Send(Refusal(http::status::payload_too_large, request.version()));
    }
    parser_->body_limit(limit);
    if (parser_->is_done()) return OnRequest();
    if (request[http::field::expect] == "100-continue") return ContinueThenReadBody();
    ReadBody();
  }

  // A client that asks first sends its body only once told to go on.
  void ContinueThenReadBody() {
    auto go_on = std::make_shared<http::response<http::empty_body>>(http::status::continue_,
                                                                    parser_->get().version());
    beast::get_lowest_layer(stream_).expires_after(kWriteTime);
    http::async_write(stream_, *go_on,
                      [self = this->shared_from_this(), go_on](beast::error_code error, size_t) {
                        if (error) return self->Close();
                        self->ReadBody();
                      });
  }

  void ReadBody() {
    beast::get_lowest_layer(stream_).expires_after(state_.body_time);
    http::async_read(stream_, buffer_, *parser_,
                     [self = this->shared_from_this()](beast::error_code error, size_t) {
                       self->OnBody(error);
                     });
  }

  void OnBody(beast::error_code error) {
    if (error == http::error::body_limit) {
      return Send(Refusal(http::status::payload_too_large, parser_->get().version()));
    }
    if (error == beast::error::timeout || error == net::error::operation_aborted) return Close();
    if (error) return Send(Refusal(http::status::bad_request, 11));
    OnRequest();
  }

  void OnRequest() {
    auto request = std::make_shared<Request>(parser_->release());
    if (!IsApiTarget(request->target())) return Send(StaticResponse(*request, state_.files));
    net::post(state_.jobs, [self = this->shared_from_this(), request] {
      HubReply reply = self->HandleSafely(*request);
      net::post(self->stream_.get_executor(), [self, request, reply = std::move(reply)] {
        self->Send(ApiResponse(*request, reply));
      });
    });
  }

  HubReply HandleSafely(const Request& request) {
    try {
      return state_.handler.Handle(ToHubRequest(request, remote_, kTls, state_.proxy));
    } catch (...) {
      // The handler promises not to throw; a pupil still gets an answer.
      return HubReply{500, "text/plain; charset=utf-8", "Internal Server Error\n", {}};
    }
  }

  void Upgrade() {
    auto request = std::make_shared<Request>(parser_->release());
    const auto class_id = WallTarget(request->target());
    if (!class_id || request->method() != http::verb::get) {
      return Send(Refusal(http::status::not_found, request->version()));
    }
    net::post(state_.jobs, [self = this->shared_from_this(), request] {
      std::optional<int64_t> allowed;
      try {
        allowed = self->state_.handler.WallClass(
            ToHubRequest(*request, self->remote_, kTls, self->state_.proxy));
      } catch (...) {
      }
      net::post(self->stream_.get_executor(),
                [self, request, allowed] { self->OnWallClass(std::move(*request), allowed); });
    });
  }

  void OnWallClass(Request request, std::optional<int64_t> allowed) {
    if (!allowed || *allowed != *WallTarget(request.target())) {
      return Send(Refusal(http::status::not_found, request.version()));
    }
    beast::get_lowest_layer(stream_).expires_never();
    StartWallSession(state_, std::move(stream_), std::move(request), *allowed, std::move(ticket_));
  }

  void Send(http::message_generator message) {
    const bool keep_alive = message.keep_alive();
    beast::get_lowest_layer(stream_).expires_after(kWriteTime);
    beast::async_write(
        stream_, std::move(message),
        [self = this->shared_from_this(), keep_alive](beast::error_code error, size_t) {
          if (error || !keep_alive) return self->Close();
          self->ReadHeader();
        });
  }

  void Close() {
    beast::error_code ignored;
    if constexpr (kTls) {
      beast::get_lowest_layer(stream_).expires_after(kWriteTime);
      stream_.async_shutdown([self = this->shared_from_this()](beast::error_code) {});
    } else {
      stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
      stream_.expires_after(kDrainTime);
      Drain();
    }
  }

  void Drain() {
    stream_.async_read_some(net::buffer(drain_),
                            [self = this->shared_from_this()](beast::error_code error, size_t) {
                              if (!error) self->Drain();
                            });
  }

  ServerState& state_;
  Ticket ticket_;
  const std::string remote_;
  Stream stream_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  std::array<char, 4096> drain_;
};

}  // namespace

void StartHttpSession(ServerState& state, tcp::socket socket, Ticket ticket) {
  beast::error_code error;
  std::string remote = socket.remote_endpoint(error).address().to_string();
  if (state.tls != nullptr) {
    std::make_shared<HttpSession<TlsStream>>(state, std::move(ticket), std::move(remote),
                                             std::move(socket), *state.tls)
        ->Run();
  } else {
    std::make_shared<HttpSession<PlainStream>>(state, std::move(ticket), std::move(remote),
                                               std::move(socket))
        ->Run();
  }
}

}  // namespace dravel::hub
