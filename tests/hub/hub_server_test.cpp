// The real server on 127.0.0.1 (a free port) with a fake handler, spoken to
// through sockets: what reaches the handler and comes back, the limits on
// headers, bodies and connections, paths that must not reach a file, and
// the wall's sockets.
#include <gtest/gtest.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <tuple>

#include "apps/dravel-hub/server/hub_server.h"
#include "apps/dravel-hub/server/static_files.h"
#include "apps/dravel-hub/server/wall_hub.h"
#include "support/render_process.h"

namespace dravel::hub {
namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = net::ip::tcp;
namespace fs = std::filesystem;

constexpr size_t kSmallLimit = 16;

class FakeHandler : public HubHandler {
 public:
  HubReply Handle(const HubRequest& request) override {
    std::lock_guard lock(mutex_);
    last_ = request;
    if (request.target == "/api/page") {
      return HubReply{200, "text/html; charset=utf-8", "<p>&lt;script&gt;</p>", {}};
    }
    return HubReply{201,
                    "application/json; charset=utf-8",
                    "{\"ok\":true}",
                    {{"Set-Cookie", "s=1; HttpOnly"}, {"X-Bad", "a\r\nInjected: yes"}}};
  }
  size_t BodyLimit(std::string_view target) const override {
    return target.starts_with("/api/small") ? kSmallLimit : 1 << 20;
  }
  std::optional<int64_t> WallClass(const HubRequest& request) override {
    if (request.cookie != "teacher") return std::nullopt;
    return request.target == "/api/classes/2/wall" ? 2 : 1;
  }
  HubRequest Last() {
    std::lock_guard lock(mutex_);
    return last_;
  }

 private:
  std::mutex mutex_;
  HubRequest last_;
};

class HubServerTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("hub-server-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "web");
    std::ofstream(root_ / "web/app.js") << "console.log(1);";
    std::ofstream(root_ / "secret.txt") << "SECRET";
    std::string error;
    ASSERT_TRUE(files_.Load(root_ / "web", "", error)) << error;
  }
  void TearDown() override {
    if (server_) server_->Stop();
    fs::remove_all(root_);
  }

  void Start(size_t per_address = 64, bool tls = false, std::string trusted_proxy = "") {
    ServerOptions options;
    options.bind_address = "127.0.0.1";
    options.port = 0;
    options.connections_per_address = per_address;
    options.trusted_proxy = std::move(trusted_proxy);
    if (tls) {
      options.tls_certificate = root_ / "cert.pem";
      options.tls_key = root_ / "key.pem";
    }
    server_ = std::make_unique<HubServer>(options, handler_, wall_, files_);
    std::string error;
    ASSERT_TRUE(server_->Start(error)) << error;
  }

  tcp::socket Connect() {
    tcp::socket socket(io_);
    socket.connect({net::ip::make_address("127.0.0.1"), server_->Port()});
    return socket;
  }

  // Sends `raw` as is and reads one response; a status of 0 when the server
  // closed the connection instead.
  http::response<http::string_body> Exchange(tcp::socket& socket, const std::string& raw) {
    http::response<http::string_body> response;
    beast::flat_buffer buffer;
    beast::error_code error;
    net::write(socket, net::buffer(raw), error);
    http::read(socket, buffer, response, error);
    if (error) response.result(0u);
    return response;
  }

  http::response<http::string_body> Get(const std::string& target) {
    tcp::socket socket = Connect();
    return Exchange(socket, "GET " + target + " HTTP/1.1\r\nHost: h\r\n\r\n");
  }

  websocket::stream<tcp::socket> Viewer(const std::string& target, const std::string& cookie,
                                        beast::error_code& error) {
    websocket::stream<tcp::socket> viewer(Connect());
    viewer.set_option(websocket::stream_base::decorator(
        [cookie](websocket::request_type& request) { request.set(http::field::cookie, cookie); }));
    viewer.handshake("127.0.0.1", target, error);
    return viewer;
  }

  // Joins and leaves happen after the client sees the handshake or the close:
  // wait for them.
  void WaitForViewers(int64_t class_id, size_t count) {
    for (int i = 0; i < 5000 && wall_.Viewers(class_id) != count; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(wall_.Viewers(class_id), count);
  }

  fs::path root_;
  FakeHandler handler_;
  WallHub wall_;
  StaticFiles files_;
  std::unique_ptr<HubServer> server_;
  net::io_context io_;
};

TEST_F(HubServerTest, PassesTheRequestToTheHandlerAndItsReplyBack) {
  Start();
  tcp::socket socket = Connect();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);  // the second on the same kept-alive connection
    const auto response = Exchange(
        socket,
        "POST /api/handins?x=1 HTTP/1.1\r\nHost: hub:8080\r\nCookie: session=abc\r\n"
        "Origin: http://hub:8080\r\nContent-Type: application/json\r\nContent-Length: 7\r\n\r\n"
        "{\"a\":1}");
    EXPECT_EQ(response.result_int(), 201);
    EXPECT_EQ(response.body(), "{\"ok\":true}");
    EXPECT_EQ(response[http::field::set_cookie], "s=1; HttpOnly");
    EXPECT_EQ(response["X-Content-Type-Options"], "nosniff");
    EXPECT_EQ(response[http::field::cache_control], "no-store");
    EXPECT_EQ(response.find("Injected"), response.end());
    EXPECT_EQ(response.find("X-Bad"), response.end());
  }
  const HubRequest seen = handler_.Last();
  EXPECT_EQ(seen.method, "POST");
  EXPECT_EQ(seen.target, "/api/handins?x=1");
  EXPECT_EQ(seen.cookie, "session=abc");
  EXPECT_EQ(seen.origin, "http://hub:8080");
  EXPECT_EQ(seen.host, "hub:8080");
  EXPECT_EQ(seen.content_type, "application/json");
  EXPECT_EQ(seen.body, "{\"a\":1}");
  EXPECT_EQ(seen.remote_address, "127.0.0.1");
  EXPECT_FALSE(seen.secure);
}

TEST_F(HubServerTest, APageTheHandlerMakesMayRunNoScript) {
  Start();
  const auto page = Get("/api/page");
  ASSERT_EQ(page.result_int(), 200);
  const std::string policy(page["Content-Security-Policy"]);
  EXPECT_TRUE(policy.starts_with("default-src 'none';")) << policy;
  EXPECT_EQ(policy.find("script-src"), std::string::npos);
  EXPECT_EQ(Get("/api/data")["Content-Security-Policy"], "");
}

TEST_F(HubServerTest, TellsAClientThatAsksFirstToSendItsBody) {
  Start();
  tcp::socket socket = Connect();
  const auto go_on = Exchange(socket,
                              "POST /api/small HTTP/1.1\r\nHost: h\r\nExpect: 100-continue\r\n"
                              "Content-Length: 4\r\n\r\n");
  EXPECT_EQ(go_on.result_int(), 100);
  EXPECT_EQ(Exchange(socket, "body").result_int(), 201);
  EXPECT_EQ(handler_.Last().body, "body");
}

TEST_F(HubServerTest, RefusesWhatIsTooLargeBeforeTheHandlerSeesIt) {
  Start();
  const std::string big_header(kHeaderLimit, 'a');
  struct Row {
    const char* name;
    std::string raw;
    int status;
  } rows[] = {
      {"declared body over the target's limit",
       "POST /api/small HTTP/1.1\r\nHost: h\r\nContent-Length: 17\r\n\r\n", 413},
      {"declared body over the limit, huge",
       "POST /api/other HTTP/1.1\r\nHost: h\r\nContent-Length: 99999999999\r\n\r\n", 413},
      {"chunked body over the limit",
       "POST /api/small HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n\r\n"
       "10\r\n0123456789abcdef\r\n1\r\nx\r\n0\r\n\r\n",
       413},
      {"a body sent to a static file",
       "POST /app.js HTTP/1.1\r\nHost: h\r\nContent-Length: 1\r\n\r\nx", 413},
      {"header block over 8 KiB",
       "GET /app.js HTTP/1.1\r\nHost: h\r\nX-Long: " + big_header + "\r\n\r\n", 431},
      {"not HTTP", "HELLO\r\n\r\n", 400},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    tcp::socket socket = Connect();
    EXPECT_EQ(Exchange(socket, row.raw).result_int(), row.status);
  }
  EXPECT_TRUE(handler_.Last().method.empty());
  tcp::socket socket = Connect();
  const auto at_limit = Exchange(
      socket, "POST /api/small HTTP/1.1\r\nHost: h\r\nContent-Length: 16\r\n\r\n0123456789abcdef");
  EXPECT_EQ(at_limit.result_int(), 201) << "a body of exactly the limit is taken";
}

TEST_F(HubServerTest, ServesListedFilesOnlyWithTheirType) {
  Start();
  const auto app = Get("/app.js");
  EXPECT_EQ(app.result_int(), 200);
  EXPECT_EQ(app.body(), "console.log(1);");
  EXPECT_EQ(app[http::field::content_type], "text/javascript; charset=utf-8");
  EXPECT_EQ(app["X-Content-Type-Options"], "nosniff");
  const std::string absolute = (root_ / "secret.txt").string();
  for (const std::string& target :
       std::vector<std::string>{"/../secret.txt", "/%2e%2e/secret.txt", "/..%2fsecret.txt",
                                absolute, "/" + absolute, "/app.js%00", "/nothing"}) {
    SCOPED_TRACE(target);
    const auto response = Get(target);
    EXPECT_EQ(response.result_int(), 404);
    EXPECT_EQ(response.body().find("SECRET"), std::string::npos);
  }
  tcp::socket socket = Connect();
  const auto with_nul =
      Exchange(socket, std::string("GET /app.js\0/../secret.txt HTTP/1.1\r\nHost: h\r\n\r\n", 48));
  EXPECT_NE(with_nul.result_int(), 200);
  EXPECT_EQ(with_nul.body().find("SECRET"), std::string::npos);
  tcp::socket put_socket = Connect();
  EXPECT_EQ(Exchange(put_socket, "DELETE /app.js HTTP/1.1\r\nHost: h\r\n\r\n").result_int(), 405);
}

TEST_F(HubServerTest, WallRefusedWhenTheHandlerSaysNo) {
  Start();
  for (const auto& [target, cookie] :
       {std::pair{"/api/classes/1/wall", "pupil"}, std::pair{"/api/classes/x/wall", "teacher"},
        std::pair{"/api/other", "teacher"}}) {
    SCOPED_TRACE(target);
    beast::error_code error;
    Viewer(target, cookie, error);
    EXPECT_EQ(error, websocket::error::upgrade_declined);
  }
  EXPECT_EQ(wall_.Viewers(1), 0u);
}

TEST_F(HubServerTest, WallMessagesReachEveryViewerOfTheClassAndNoOther) {
  Start();
  beast::error_code error;
  auto first = Viewer("/api/classes/1/wall", "teacher", error);
  ASSERT_FALSE(error) << error.message();
  auto second = Viewer("/api/classes/1/wall", "teacher", error);
  ASSERT_FALSE(error) << error.message();
  auto other = Viewer("/api/classes/2/wall", "teacher", error);
  ASSERT_FALSE(error) << error.message();
  WaitForViewers(1, 2);
  WaitForViewers(2, 1);
  wall_.Publish(1, "graded 1");
  wall_.Publish(1, "graded 2");
  wall_.Publish(2, "for class 2");
  for (auto* viewer : {&first, &second}) {
    for (const char* expected : {"graded 1", "graded 2"}) {
      beast::flat_buffer message;
      viewer->read(message);
      EXPECT_EQ(beast::buffers_to_string(message.data()), expected);
    }
  }
  beast::flat_buffer message;
  other.read(message);
  EXPECT_EQ(beast::buffers_to_string(message.data()), "for class 2")
      << "class 1's messages never reached class 2's wall";
  // A class handed to another teacher: its walls close, the other class's stay.
  wall_.CloseClass(1);
  for (auto* viewer : {&first, &second}) {
    beast::flat_buffer closed;
    viewer->read(closed, error);
    EXPECT_TRUE(error);
  }
  WaitForViewers(1, 0);
  EXPECT_EQ(wall_.Viewers(2), 1u);
  // After a gap in the messages every wall is closed, so its page reads its class anew.
  wall_.CloseAll();
  beast::flat_buffer after;
  other.read(after, error);
  EXPECT_TRUE(error);
  WaitForViewers(2, 0);
}

TEST_F(HubServerTest, RefusesConnectionsBeyondTheCapOfOneAddress) {
  Start(2);
  std::vector<tcp::socket> held;
  for (int i = 0; i < 2; ++i) {
    held.push_back(Connect());
    // Answered: the server has counted it.
    EXPECT_EQ(Exchange(held.back(), "GET /app.js HTTP/1.1\r\nHost: h\r\n\r\n").result_int(), 200);
  }
  tcp::socket refused = Connect();
  EXPECT_EQ(Exchange(refused, "GET /app.js HTTP/1.1\r\nHost: h\r\n\r\n").result_int(), 0);
  EXPECT_EQ(Exchange(held[0], "GET /app.js HTTP/1.1\r\nHost: h\r\n\r\n").result_int(), 200)
      << "those within the cap are still served";
}

TEST_F(HubServerTest, TakesTheClientFromTheTrustedProxyAlone) {
  const std::string forged =
      "POST /api/login HTTP/1.1\r\nHost: h\r\nX-Forwarded-For: 10.9.9.9\r\n"
      "X-Forwarded-For: 1.2.3.4, 10.0.0.7\r\nX-Forwarded-Proto: https\r\nContent-Length: 0\r\n\r\n";
  for (const auto& [proxy, address, secure] :
       {std::tuple{"127.0.0.2", "127.0.0.1", false}, std::tuple{"127.0.0.1", "10.0.0.7", true}}) {
    SCOPED_TRACE(proxy);
    Start(1, false, proxy);
    tcp::socket socket = Connect();
    ASSERT_EQ(Exchange(socket, forged).result_int(), 201);
    EXPECT_EQ(handler_.Last().remote_address, address);
    EXPECT_EQ(handler_.Last().secure, secure);
    // One address's cap is 1: the proxy's second connection is still served.
    tcp::socket second = Connect();
    EXPECT_EQ(Exchange(second, "GET /app.js HTTP/1.1\r\nHost: h\r\n\r\n").result_int(),
              std::string(proxy) == "127.0.0.1" ? 200 : 0);
    server_->Stop();
  }
}

TEST_F(HubServerTest, DropsAWallViewerThatReadsNothing) {
  Start();
  beast::error_code error;
  auto stuck = Viewer("/api/classes/1/wall", "teacher", error);
  ASSERT_FALSE(error) << error.message();
  WaitForViewers(1, 1);
  // Far more than the socket's buffers and the viewer's queue hold.
  const std::string large(64 * 1024, 'x');
  for (int i = 0; i < 1024 && wall_.Viewers(1) > 0; ++i) wall_.Publish(1, large);
  WaitForViewers(1, 0);
}

TEST_F(HubServerTest, ServesOverTlsAndSaysSo) {
  const std::string make_certificate =
      "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 -keyout " +
      (root_ / "key.pem").string() + " -out " + (root_ / "cert.pem").string() + " 2>/dev/null";
  if (RunCommand(make_certificate).status != 0) GTEST_SKIP() << "no openssl command";
  Start(64, true);
  net::ssl::context context(net::ssl::context::tls_client);
  beast::ssl_stream<tcp::socket> client(Connect(), context);
  client.handshake(net::ssl::stream_base::client);
  http::request<http::string_body> request{http::verb::get, "/api/me", 11};
  request.set(http::field::host, "h");
  http::write(client, request);
  beast::flat_buffer buffer;
  http::response<http::string_body> response;
  http::read(client, buffer, response);
  EXPECT_EQ(response.result_int(), 201);
  EXPECT_TRUE(handler_.Last().secure);
}

TEST(HubServer, RefusesTlsFilesItCannotUse) {
  FakeHandler handler;
  WallHub wall;
  StaticFiles files;
  ServerOptions options;
  options.bind_address = "127.0.0.1";
  options.port = 0;
  options.tls_certificate = "/nonexistent/cert.pem";
  options.tls_key = "/nonexistent/key.pem";
  HubServer server(options, handler, wall, files);
  std::string error;
  EXPECT_FALSE(server.Start(error));
  EXPECT_NE(error.find("cert.pem"), std::string::npos) << error;
}

}  // namespace
}  // namespace dravel::hub
