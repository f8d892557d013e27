// The page's one GBK codec: every byte the page reads from a file or writes
// to one crosses here, through the desktop's own codec (runtime/gbk_codec), so
// a file opened and saved on the page keeps every byte the desktop keeps. The
// page's texts are UTF-8 with LF line ends; files are GBK with CR LF. Each
// call leaves its bytes in one result (dravel_result) until the next call.
#include <emscripten.h>

#include <string>
#include <string_view>

#include "runtime/gbk_codec.h"
#include "web/src/page_rules.h"

namespace dravel {
namespace {

std::string result;
int lost_at = -1;

}  // namespace
}  // namespace dravel

using namespace dravel;

extern "C" {

// Whether a file's `size` bytes read as UTF-8 rather than GBK (LooksLikeUtf8).
EMSCRIPTEN_KEEPALIVE int dravel_looks_like_utf8(const char* bytes, int size) {
  return LooksLikeUtf8(std::string_view(bytes, size_t(size)));
}

// A file's bytes as the page's text (UTF-8; line ends as they were): decoded
// from GBK with every undecodable byte kept as its own character, or, when
// `utf8`, taken as UTF-8 without its byte order mark. Gives the result's size.
EMSCRIPTEN_KEEPALIVE int dravel_decode(const char* bytes, int size, int utf8) {
  result = PageDecode(std::string_view(bytes, size_t(size)), utf8 != 0);
  return int(result.size());
}

// The page's text (UTF-8, LF line ends) as the desktop writes it (PageEncode):
// GBK with CR LF, '?' for each character GBK cannot hold; when `compile`, the
// program file. Gives the result's size; dravel_lost_at tells where the
// first '?' came from.
EMSCRIPTEN_KEEPALIVE int dravel_encode(const char* utf8, int size, int compile) {
  result = PageEncode(std::string_view(utf8, size_t(size)), compile != 0, lost_at);
  return int(result.size());
}

// The byte offset in the text dravel_encode was last given of the first
// character it wrote as '?', or -1 when it lost none.
EMSCRIPTEN_KEEPALIVE int dravel_lost_at() { return lost_at; }

EMSCRIPTEN_KEEPALIVE const char* dravel_result() { return result.data(); }

}  // extern "C"
