// INTERIM, until the hub's API side is merged: stands in for InitHub and Hub
// so the program builds and serves its pages. InitHub only makes the data
// folder; Hub's handler answers every API request 503 and lets no wall open.
// At the merge, main.cpp includes the real header instead and these two
// files go.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "apps/dravel-hub/hub_exchange.h"

namespace dravel::hub {

bool InitHub(const std::filesystem::path& data_dir, std::string_view password, std::string& error);

class Hub {
 public:
  Hub(std::filesystem::path data_dir, int jobs, WallFeed& wall);
  bool Start(std::string& error);
  void Stop();
  HubHandler& Handler();

 private:
  class Unavailable;
  std::filesystem::path data_dir_;
  std::unique_ptr<HubHandler> handler_;
};

}  // namespace dravel::hub
