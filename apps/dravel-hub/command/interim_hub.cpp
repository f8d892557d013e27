#include "apps/dravel-hub/command/interim_hub.h"

#include <system_error>

namespace dravel::hub {

class Hub::Unavailable final : public HubHandler {
 public:
  HubReply Handle(const HubRequest&) override {
    return HubReply{503, "application/json; charset=utf-8", "{\"error\":\"unavailable\"}", {}};
  }
  size_t BodyLimit(std::string_view) const override { return 0; }
  std::optional<int64_t> WallClass(const HubRequest&) override { return std::nullopt; }
};

bool InitHub(const std::filesystem::path& data_dir, std::string_view, std::string& error) {
  std::error_code code;
  std::filesystem::create_directories(data_dir, code);
  if (code) error = data_dir.string() + ": " + code.message();
  return !code;
}

Hub::Hub(std::filesystem::path data_dir, int, WallFeed&)
    : data_dir_(std::move(data_dir)), handler_(std::make_unique<Unavailable>()) {}

bool Hub::Start(std::string& error) {
  if (std::filesystem::is_directory(data_dir_)) return true;
  error = data_dir_.string() + ": no such folder (run dravel-hub init first)";
  return false;
}

void Hub::Stop() {}

HubHandler& Hub::Handler() { return *handler_; }

}  // namespace dravel::hub
