#include "apps/dravel-hub/hub_records.h"

#include <array>

namespace dravel::hub {
namespace {

constexpr std::array<std::string_view, 4> kHandinStateWords = {"queued", "grading", "graded",
                                                               "failed"};

}  // namespace

std::string_view HandinStateWord(HandinState state) {
  return kHandinStateWords[static_cast<size_t>(state)];
}

std::optional<HandinState> HandinStateFromWord(std::string_view word) {
  for (size_t i = 0; i < kHandinStateWords.size(); ++i) {
    if (kHandinStateWords[i] == word) return static_cast<HandinState>(i);
  }
  return std::nullopt;
}

}  // namespace dravel::hub
