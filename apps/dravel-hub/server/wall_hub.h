// The wall's viewers by class: each open wall socket joins the class it
// watches and leaves when it closes; Publish hands a message to every viewer
// of that class. A viewer sends from its own queue, so a slow projector never
// holds up the others or the publisher. Thread-safe; knows nothing of sockets.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "apps/dravel-hub/hub_exchange.h"

namespace dravel::hub {

// One open wall: Send queues a message and Close ends the socket; both
// return at once, from any thread.
class WallViewer {
 public:
  virtual ~WallViewer() = default;
  virtual void Send(std::shared_ptr<const std::string> message) = 0;
  virtual void Close() = 0;
};

class WallHub final : public WallFeed {
 public:
  void Join(int64_t class_id, const std::shared_ptr<WallViewer>& viewer);
  void Leave(int64_t class_id, const WallViewer* viewer);

  void Publish(int64_t class_id, std::string message) override;
  void CloseClass(int64_t class_id) override;

  // Closes every open wall. After messages may have been missed (the wall
  // across processes lost its database for a while), each page reconnects
  // and reads its class anew.
  void CloseAll();

  size_t Viewers(int64_t class_id) const;

 private:
  mutable std::mutex mutex_;
  std::map<int64_t, std::vector<std::weak_ptr<WallViewer>>> viewers_;
};

}  // namespace dravel::hub
