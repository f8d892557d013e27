// The page's rules (web/src/page_rules.h) answered by the desktop's build, for
// tests/web/page_rules_test.mjs, which asks the page's module the same and
// compares. Each line of stdin is a question, "KIND HEX" (the input's bytes
// in hex); each line of stdout its answer, in hex where it is bytes.
#include <iostream>
#include <string>

#include "web/src/page_rules.h"

namespace {

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

std::string Bytes(std::string_view hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += char(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  return bytes;
}

}  // namespace

int main() {
  using namespace dravel;
  std::string line;
  while (std::getline(std::cin, line)) {
    const size_t space = line.find(' ');
    const std::string kind = line.substr(0, space);
    const std::string input =
        space == std::string::npos ? std::string() : Bytes(line.substr(space + 1));
    if (kind == "decode" || kind == "utf8") {
      std::cout << Hex(PageDecode(input, kind == "utf8"));
    } else if (kind == "sniff") {
      std::cout << (LooksLikeUtf8(input) ? 1 : 0);
    } else if (kind == "encode" || kind == "compile") {
      int lost_at = -1;
      const std::string bytes = PageEncode(input, kind == "compile", lost_at);
      std::cout << Hex(bytes) << ' ' << lost_at;
    } else if (kind == "number") {
      const auto [whole, integer] = PageNumber(input);
      std::cout << (whole ? 1 : 0) << ' ' << integer;
    } else if (kind == "messages") {
      std::cout << Hex(PageMessagesUtf8());
    } else {
      std::cout << "unknown question";
    }
    std::cout << '\n';
  }
}
