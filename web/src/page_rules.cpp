// The core's rules the page asks rather than repeats: how the run reads a
// number (the editor's colours, the run count box) and the system's fixed
// texts. Each call leaves its bytes in one result (dravel_rules_result)
// until the next call.
#include <emscripten.h>

#include <string>
#include <string_view>

#include "web/src/page_rules.h"

namespace dravel {
namespace {

std::string result;

}  // namespace
}  // namespace dravel

using namespace dravel;

extern "C" {

// The page's text (UTF-8) read as a number (PageNumber): answer[0] whether
// the run reads all of it as its number, answer[1] the run count box's
// reading of it.
EMSCRIPTEN_KEEPALIVE void dravel_number(const char* utf8, int size, int* answer) {
  const auto [whole, integer] = PageNumber(std::string_view(utf8, size_t(size)));
  answer[0] = whole ? 1 : 0;
  answer[1] = integer;
}

// The system's fixed texts (PageMessagesUtf8); gives the result's size.
EMSCRIPTEN_KEEPALIVE int dravel_messages() {
  result = PageMessagesUtf8();
  return int(result.size());
}

EMSCRIPTEN_KEEPALIVE const char* dravel_rules_result() { return result.data(); }

}  // extern "C"
