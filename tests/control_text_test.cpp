// Control characters written out, so no printed name or line acts on a
// terminal; what a GBK character's bytes hold is never taken for one.
#include <gtest/gtest.h>

#include "runtime/control_text.h"

namespace dravel {
namespace {

TEST(ControlsEscaped, WritesOutEveryControlButTheKept) {
  const struct {
    const char* what;
    std::string text, kept, escaped;
    bool utf8 = true;
  } cases[] = {
      {"a screen clear", "\x1b[2J名字", "", "\\x1B[2J名字"},
      {"a window title", "\x1b]0;hi\x07", "", "\\x1B]0;hi\\x07"},
      {"kept line breaks", "a\nb\tc\rd", "\n\t", "a\nb\tc\\x0Dd"},
      {"delete and a zero byte", std::string("a\x7f\0b", 4), "", "a\\x7F\\x00b"},
      {"a C1 control in UTF-8",
       "a\xc2\x9b"
       "2J",
       "", "a\\u009B2J"},
      {"a C1-looking byte pair in GBK is a character", "\xc2\x9b", "", "\xc2\x9b",  // 聸
       false},
      {"plain text", "五角星 ok", "", "五角星 ok"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ControlsEscaped(c.text, c.kept, c.utf8), c.escaped);
  }
}

}  // namespace
}  // namespace dravel
