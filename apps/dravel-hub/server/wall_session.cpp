// One wall socket: accepts the upgrade, joins the class's viewers, sends
// each published message in order from its own queue, and leaves when the
// viewer goes. A viewer whose queue is full is dropped rather than let the
// queue grow; its page reconnects. What a viewer sends is read and ignored.
#include <boost/asio/post.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>
#include <deque>

#include "apps/dravel-hub/server/server_state.h"
#include "apps/dravel-hub/server/wall_hub.h"

namespace dravel::hub {
namespace {

namespace websocket = beast::websocket;

constexpr size_t kMostQueued = 256;
constexpr size_t kLargestIncoming = 1024;

template <class Stream>
class WallSession : public WallViewer, public std::enable_shared_from_this<WallSession<Stream>> {
 public:
  WallSession(ServerState& state, Stream stream, int64_t class_id, Ticket ticket)
      : state_(state),
        socket_(std::move(stream)),
        class_id_(class_id),
        ticket_(std::move(ticket)) {}

  ~WallSession() override { state_.wall.Leave(class_id_, this); }

  void Accept(http::request<http::string_body> request) {
    socket_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
    socket_.set_option(websocket::stream_base::decorator([](websocket::response_type& response) {
      response.set(http::field::server, "dravel-hub");
    }));
    socket_.read_message_max(kLargestIncoming);
    socket_.async_accept(request, [self = this->shared_from_this()](beast::error_code error) {
      if (error) return;
      self->state_.wall.Join(self->class_id_, self);
      self->Read();
    });
  }

  void Send(std::shared_ptr<const std::string> message) override {
    net::post(socket_.get_executor(),
              [self = this->shared_from_this(), message] { self->Queue(message); });
  }

  void Close() override {
    net::post(socket_.get_executor(), [self = this->shared_from_this()] { self->Drop(); });
  }

 private:
  void Read() {
    socket_.async_read(incoming_,
                       [self = this->shared_from_this()](beast::error_code error, size_t) {
                         if (error) return self->Drop();
                         self->incoming_.clear();
                         self->Read();
                       });
  }

  void Queue(std::shared_ptr<const std::string> message) {
    if (dropped_) return;
    if (queue_.size() >= kMostQueued) return Drop();
    queue_.push_back(std::move(message));
    if (queue_.size() == 1) Write();
  }

  void Write() {
    socket_.text(true);
    socket_.async_write(net::buffer(*queue_.front()),
                        [self = this->shared_from_this()](beast::error_code error, size_t) {
                          if (error || self->dropped_) return self->Drop();
                          self->queue_.pop_front();
                          if (!self->queue_.empty()) self->Write();
                        });
  }

  // Ends every pending operation; the session goes with the last of them.
  // The queue stays until then: a write in flight still reads its front.
  void Drop() {
    if (dropped_) return;
    dropped_ = true;
    state_.wall.Leave(class_id_, this);
    beast::error_code ignored;
    beast::get_lowest_layer(socket_).socket().close(ignored);
  }

  ServerState& state_;
  websocket::stream<Stream> socket_;
  const int64_t class_id_;
  Ticket ticket_;
  beast::flat_buffer incoming_;
  std::deque<std::shared_ptr<const std::string>> queue_;
  bool dropped_ = false;
};

template <class Stream>
void StartWall(ServerState& state, Stream stream, http::request<http::string_body> request,
               int64_t class_id, Ticket ticket) {
  std::make_shared<WallSession<Stream>>(state, std::move(stream), class_id, std::move(ticket))
      ->Accept(std::move(request));
}

}  // namespace

void StartWallSession(ServerState& state, PlainStream stream,
                      http::request<http::string_body> request, int64_t class_id, Ticket ticket) {
  StartWall(state, std::move(stream), std::move(request), class_id, std::move(ticket));
}

void StartWallSession(ServerState& state, TlsStream stream,
                      http::request<http::string_body> request, int64_t class_id, Ticket ticket) {
  StartWall(state, std::move(stream), std::move(request), class_id, std::move(ticket));
}

}  // namespace dravel::hub
