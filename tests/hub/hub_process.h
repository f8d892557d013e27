// What the tests of dravel-hub as a process share: the program started as
// `serve` on 127.0.0.1 with port 0 (its first line says where it listens),
// and plain HTTP/1.1 requests to it over a socket, each on its own
// connection, every read bounded so a hung hub fails the test.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace dravel::hub {

// `dravel-hub serve STORE... --bind 127.0.0.1 --port 0 EXTRA...`, STORE
// being `--data DATA` or the given words (`--database URL`); its standard
// output read here; killed and awaited when destroyed.
struct ServeProcess {
  explicit ServeProcess(const std::filesystem::path& data, std::vector<std::string> extra = {});
  ServeProcess(std::vector<std::string> store, std::vector<std::string> extra);
  ~ServeProcess();
  ServeProcess(const ServeProcess&) = delete;
  ServeProcess& operator=(const ServeProcess&) = delete;

  std::string Line();
  // Sends `signal` and waits; the exit status, -1 when ended by a signal.
  int Stop(int signal);

  pid_t pid = -1;
  FILE* out = nullptr;
};

// The port the hub says it listens on; 0 when its first line is not that.
int ListeningPort(ServeProcess& serve);

// Sends `request` to 127.0.0.1:`port` and returns what comes back until the
// server closes; "" when nothing could be sent.
std::string AskLocal(int port, const std::string& request);

struct HttpAnswer {
  int status = 0;          // 0 when no answer came
  std::string set_cookie;  // "name=token" of a Set-Cookie, "" when none
  std::string body;
};

// One request with `Connection: close`; `cookie` as the Cookie header.
HttpAnswer CallLocal(int port, const std::string& method, const std::string& target,
                     const std::string& body = "", const std::string& cookie = "");

}  // namespace dravel::hub
