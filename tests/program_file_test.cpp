#include "interpreter/program_file.h"

#include <gtest/gtest.h>

namespace dravel {
namespace {

TEST(RemoveStopKeywords, DeletesBothKeywordsAsPlainSubstrings) {
  const struct {
    const char* name;
    Text script;
    Text program;
  } kCases[] = {
      {"line of only the keyword", "a\r\n\xcd\xa3\xd6\xb9\r\nb", "a\r\n\r\nb"},
      {"keyword, space and comment", "\xcd\xa3\xd6\xb9 //x", " //x"},
      {"english keyword", "stop\r\n", "\r\n"},
      {"inside a word", "nonstop", "non"},
      {"other cases stay", "STOP Stop sTop", "STOP Stop sTop"},
      {"no overlap", "ststopop", "stop"},
      {"second byte 0x73 then top", "\xb0\x73top", "\xb0\x73top"},
      {"removal order", "s\xcd\xa3\xd6\xb9top", ""},
      {"nothing to remove", "go 100\r\n", "go 100\r\n"},
      {"empty", "", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RemoveStopKeywords(c.script), c.program);
  }
}

}  // namespace
}  // namespace dravel
