// The server's parts that need no socket: the connection caps, the client
// behind a trusted proxy, the wall's viewers by class, and the static files'
// map, which must never let a request's path reach a file outside the
// folders it listed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "apps/dravel-hub/server/connection_limits.h"
#include "apps/dravel-hub/server/page_policy.h"
#include "apps/dravel-hub/server/static_files.h"
#include "apps/dravel-hub/server/trusted_proxy.h"
#include "apps/dravel-hub/server/wall_hub.h"

namespace dravel::hub {
namespace {

namespace fs = std::filesystem;

TEST(ConnectionLimits, CapsEachAddressAndTheTotalAndGivesSlotsBack) {
  ConnectionLimits limits(2, 3);
  auto a1 = limits.Take("10.0.0.1");
  auto a2 = limits.Take("10.0.0.1");
  EXPECT_TRUE(a1 && a2);
  EXPECT_EQ(limits.Take("10.0.0.1"), nullptr);
  auto b1 = limits.Take("10.0.0.2");
  EXPECT_TRUE(b1);
  EXPECT_EQ(limits.Take("10.0.0.3"), nullptr) << "the total cap";
  a1.reset();
  EXPECT_TRUE(limits.Take("10.0.0.3"));
  EXPECT_EQ(limits.Open(), 3u - 1u) << "the last ticket was dropped at once";
}

TEST(ConnectionLimits, AProxysConnectionsCountOnlyInTheTotal) {
  ConnectionLimits limits(1, 3);
  auto first = limits.Take("127.0.0.1", false);
  auto second = limits.Take("127.0.0.1", false);
  EXPECT_TRUE(first && second);
  EXPECT_EQ(limits.Take("127.0.0.1"), nullptr) << "a capped one still meets the address's cap";
  EXPECT_TRUE(limits.Take("10.0.0.1"));
  EXPECT_EQ(limits.Open(), 2u);
}

TEST(TrustedProxy, ReadsTheForwardedClientFromTheProxyAlone) {
  struct Case {
    const char* name;
    const char* proxy;
    const char* peer;
    const char* forwarded_for;
    const char* forwarded_proto;
    const char* address;
    bool secure;
  };
  const Case cases[] = {
      {"no proxy: a forged header changes nothing", "", "10.0.0.9", "1.2.3.4", "https", "10.0.0.9",
       false},
      {"another peer: a forged header changes nothing", "127.0.0.1", "10.0.0.9", "1.2.3.4", "https",
       "10.0.0.9", false},
      {"the proxy's own entry is the last", "127.0.0.1", "127.0.0.1", "6.6.6.6, 10.1.2.3", "https",
       "10.1.2.3", true},
      {"spaces and an IPv6 client", "127.0.0.1", "127.0.0.1", "1.1.1.1,	2001:db8::1 ", "http",
       "2001:db8::1", false},
      {"the proxy reached over IPv6 mapping", "127.0.0.1", "::ffff:127.0.0.1", "10.0.0.5", "HTTPS",
       "10.0.0.5", true},
      {"an IPv6 proxy in another spelling", "::1", "0:0:0:0:0:0:0:1", "10.0.0.6", "", "10.0.0.6",
       false},
      {"no header: the proxy itself", "127.0.0.1", "127.0.0.1", "", "", "127.0.0.1", false},
      {"an entry that is not an address", "127.0.0.1", "127.0.0.1", "10.0.0.7, evil", "",
       "127.0.0.1", false},
      {"an address with a port is not one", "127.0.0.1", "127.0.0.1", "10.0.0.8:4000", "",
       "127.0.0.1", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TrustedProxy proxy(c.proxy);
    ASSERT_TRUE(proxy.Valid());
    const RequestClient client = proxy.ClientOf(c.peer, false, c.forwarded_for, c.forwarded_proto);
    EXPECT_EQ(client.address, c.address);
    EXPECT_EQ(client.secure, c.secure);
  }
  EXPECT_FALSE(TrustedProxy("proxy.school").Valid());
  EXPECT_TRUE(TrustedProxy("").ClientOf("10.0.0.9", true, "", "").secure) << "the hub's own TLS";
}

struct RecordingViewer : WallViewer {
  void Send(std::shared_ptr<const std::string> message) override { got.push_back(*message); }
  void Close() override { ++closed; }
  std::vector<std::string> got;
  int closed = 0;
};

TEST(WallHub, PublishesToTheClassViewersOnlyAndSkipsViewersGone) {
  WallHub wall;
  auto first = std::make_shared<RecordingViewer>();
  auto second = std::make_shared<RecordingViewer>();
  auto other = std::make_shared<RecordingViewer>();
  auto gone = std::make_shared<RecordingViewer>();
  wall.Join(1, first);
  wall.Join(1, second);
  wall.Join(2, other);
  wall.Join(1, gone);
  gone.reset();
  wall.Publish(1, "a");
  wall.Publish(3, "nobody watches");
  EXPECT_EQ(first->got, std::vector<std::string>{"a"});
  EXPECT_EQ(second->got, std::vector<std::string>{"a"});
  EXPECT_TRUE(other->got.empty());
  wall.Leave(1, first.get());
  wall.Publish(1, "b");
  EXPECT_EQ(first->got.size(), 1u);
  EXPECT_EQ(wall.Viewers(1), 1u) << "the expired viewer went with the leave";
  wall.CloseAll();
  EXPECT_EQ(second->closed, 1);
  EXPECT_EQ(other->closed, 1);
  EXPECT_EQ(first->closed, 0) << "it had left";
}

class StaticFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ =
        fs::temp_directory_path() / ("hub-static-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    Write("web/index.html", "<script>\nlet a = 1;\n</script><script src=\"app.js\"></script>");
    Write("web/app.js", "app");
    Write("web/dravel-web.wasm", "wasm");
    Write("web/manifest.webmanifest", "{}");
    Write("web/guide/index.html", "guide");
    Write("web/.hidden", "hidden");
    Write("web/two words.js", "spaced");
    Write("pages/teacher.html", "teacher");
    Write("pages/wall.html", "wall");
    Write("pages/wall.mjs", "wall script");
    Write("pages/hub.css", "style");
    Write("pages/package.json", "{}");
    Write("pages/eslint.config.js", "lint");
    Write("pages/tests/wall.test.js", "test");
    Write("pages/node_modules/left.js", "package");
    Write("secret.txt", "SECRET");
    fs::create_symlink(root_ / "secret.txt", root_ / "web/linked.txt");
    fs::create_directory_symlink(root_, root_ / "web/up");
    std::string error;
    ASSERT_TRUE(files_.Load(root_ / "web", root_ / "pages", error)) << error;
  }
  void TearDown() override { fs::remove_all(root_); }

  void Write(const std::string& name, const std::string& bytes) {
    fs::create_directories((root_ / name).parent_path());
    std::ofstream(root_ / name, std::ios::binary) << bytes;
  }

  fs::path root_;
  StaticFiles files_;
};

TEST_F(StaticFilesTest, MapsPathsToListedFilesOnly) {
  struct Row {
    std::string path;
    const char* body;  // null: not found
  } rows[] = {
      {"/", "<script>"},
      {"/app.js", "app"},
      {"/guide/index.html", "guide"},
      {"/teacher", "teacher"},
      {"/wall/12", "wall"},
      {"/hub/wall.mjs", "wall script"},
      {"/hub/hub.css", "style"},
      {"/hub/package.json", nullptr},
      {"/hub/eslint.config.js", nullptr},
      {"/hub/tests/wall.test.js", nullptr},
      {"/hub/node_modules/left.js", nullptr},
      {"/wall/", nullptr},
      {"/wall/12/x", nullptr},
      {"/wall/-1", nullptr},
      {"/teacher/", nullptr},
      {"/hub/teacher.html/", nullptr},
      {"/../secret.txt", nullptr},
      {"/guide/../../secret.txt", nullptr},
      {"/%2e%2e/secret.txt", nullptr},
      {"/%2E%2E%2Fsecret.txt", nullptr},
      {"/hub/../secret.txt", nullptr},
      {"//secret.txt", nullptr},
      {"/app.js/", nullptr},
      {"/app.js%00", nullptr},
      {std::string("/app.js\0.png", 12), nullptr},
      {fs::absolute(root_ / "secret.txt").string(), nullptr},
      {"/linked.txt", nullptr},
      {"/up/secret.txt", nullptr},
      {"/.hidden", nullptr},
      {"/two words.js", nullptr},
      {"/two%20words.js", nullptr},
      {"", nullptr},
      {"app.js", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    const StaticFile* file = files_.Find(row.path);
    if (row.body == nullptr) {
      EXPECT_EQ(file, nullptr);
    } else {
      ASSERT_NE(file, nullptr);
      EXPECT_TRUE(file->body.starts_with(row.body));
    }
  }
}

TEST_F(StaticFilesTest, GivesEachFileItsTypeAndPagesTheirPolicy) {
  struct Row {
    const char* path;
    const char* type;
  } rows[] = {
      {"/", "text/html; charset=utf-8"},
      {"/app.js", "text/javascript; charset=utf-8"},
      {"/hub/wall.mjs", "text/javascript; charset=utf-8"},
      {"/dravel-web.wasm", "application/wasm"},
      {"/manifest.webmanifest", "application/manifest+json; charset=utf-8"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    ASSERT_NE(files_.Find(row.path), nullptr);
    EXPECT_EQ(files_.Find(row.path)->content_type, row.type);
  }
  EXPECT_TRUE(files_.Find("/app.js")->policy.empty());
  const std::string policy = files_.Find("/")->policy;
  EXPECT_NE(policy.find("'sha256-wCpX6PRaV2tYabHPuD0EVrhGyeiYQpOhQOJ8OhOtDwA='"), std::string::npos)
      << policy;
  EXPECT_NE(policy.find("'wasm-unsafe-eval'"), std::string::npos);
  const size_t script_at = policy.find("script-src");
  const std::string script_src = policy.substr(script_at, policy.find(';', script_at) - script_at);
  EXPECT_EQ(script_src.find("unsafe-inline"), std::string::npos)
      << "inline scripts are allowed by hash, never wholesale";
}

TEST(StaticFiles, RefusesAFolderThatCannotBeRead) {
  StaticFiles files;
  std::string error;
  EXPECT_FALSE(files.Load("/nonexistent/hub-web", "", error));
  EXPECT_NE(error.find("/nonexistent/hub-web"), std::string::npos);
}

TEST(PagePolicy, UnknownExtensionIsPlainBytes) {
  EXPECT_EQ(ContentTypeOf("README"), "application/octet-stream");
  EXPECT_EQ(ContentTypeOf("x.exe"), "application/octet-stream");
  EXPECT_EQ(ContentTypeOf("X.WASM"), "application/wasm");
}

}  // namespace
}  // namespace dravel::hub
