#include "apps/dravel-hub/term/safe_file_name.h"

#include <algorithm>
#include <array>

namespace dravel::hub {
namespace {

constexpr std::string_view kRefused = "/\\:*?\"<>|";

bool IsDeviceName(std::string_view name) {
  static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
  std::string base(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  std::transform(base.begin(), base.end(), base.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
  if (std::find(kDevices.begin(), kDevices.end(), base) != kDevices.end()) return true;
  return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
         base[3] >= '1' && base[3] <= '9';
}

// At most `most` bytes of `text`, not ending inside a UTF-8 character.
std::string_view CutAtCharacter(std::string_view text, size_t most) {
  if (text.size() <= most) return text;
  size_t end = most;
  while (end > 0 && (uint8_t(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace

std::string SafeFileName(std::string_view utf8) {
  std::string name;
  for (const char c : utf8) {
    const bool control = uint8_t(c) < 0x20 || c == 0x7F;
    name += control || kRefused.find(c) != std::string_view::npos ? '_' : c;
  }
  const auto end_junk = [](char c) { return c == ' ' || c == '.'; };
  while (!name.empty() && end_junk(name.back())) name.pop_back();
  name.erase(0, std::min(name.find_first_not_of(" ."), name.size()));
  name = std::string(CutAtCharacter(name, kMostNameBytes));
  while (!name.empty() && end_junk(name.back())) name.pop_back();
  if (name.empty()) return "_";
  return IsDeviceName(name) ? "_" + name : name;
}

}  // namespace dravel::hub
