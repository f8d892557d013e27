// The bounded hint the window, dravel-render and the page keep: byte for byte
// while it is of a normal size, head, counted marker and tail when a run
// appends without end, and changes a box can follow.
#include "runtime/bounded_hint.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/system_text.h"

namespace dravel {
namespace {

Text PassLine(uint64_t pass) { return "pass " + std::to_string(pass) + "\r\n"; }

uint64_t CountBreaks(std::string_view text) {
  uint64_t lines = 0;
  for (size_t at = text.find("\r\n"); at != Text::npos; at = text.find("\r\n", at + 2)) ++lines;
  return lines;
}

TEST(BoundedHint, KeepsAHintOfNormalSizeByteForByte) {
  struct Case {
    const char* name;
    size_t bytes;
  } cases[] = {{"empty", 0},
               {"a few lines", 40},
               {"exactly the head", BoundedHint::kHeadBytes},
               {"head and a full tail", BoundedHint::kHeadBytes + BoundedHint::kTailBytes}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BoundedHint hint;
    Text expected;
    hint.Replace("header\r\n");
    expected = "header\r\n";
    // Lines of ten bytes; the last one shortened to land on the size.
    while (expected.size() < c.bytes) {
      Text line = "12345678\r\n";
      line.resize(std::min(line.size(), c.bytes - expected.size()));
      hint.Append(line);
      expected += line;
    }
    EXPECT_EQ(hint.Joined(), expected);
  }
}

// Two hundred thousand pass lines (about 3 MB) stand for a count of two
// thousand million: the first lines and the closing lines survive, the
// window's marker counts exactly the lines in between.
TEST(BoundedHint, LeavesOutTheMiddleOfAnEndlessHintWithACountedMarker) {
  constexpr uint64_t kPasses = 200000;
  BoundedHint hint;
  hint.Replace("header\r\n");
  for (uint64_t pass = 1; pass <= kPasses; ++pass) hint.Append(PassLine(pass));
  hint.Append("done\r\n");
  const Text joined = hint.Joined();

  EXPECT_LE(joined.size(),
            BoundedHint::kHeadBytes + BoundedHint::kTailBytes + BoundedHint::kTrimStep + 100);
  EXPECT_TRUE(joined.starts_with("header\r\npass 1\r\npass 2\r\n"));
  EXPECT_TRUE(joined.ends_with(PassLine(kPasses) + "done\r\n"));

  const Text marker = BoundedHint::MarkerLine(hint.LeftOutLines());
  EXPECT_EQ(marker, SystemText("……中间略去 " + std::to_string(hint.LeftOutLines()) + " 行……\r\n"));
  const size_t at = joined.find(marker);
  ASSERT_NE(at, Text::npos);
  // header + passes + done, less the marker line itself.
  EXPECT_EQ(CountBreaks(joined) - 1 + hint.LeftOutLines(), kPasses + 2);
  // Cut at line starts only: the line after the marker is a whole pass line.
  EXPECT_TRUE(joined.substr(at + marker.size()).starts_with("pass "));
}

TEST(BoundedHint, ReplaceStartsAfresh) {
  BoundedHint hint;
  for (uint64_t pass = 0; pass < 300000; ++pass) hint.Append(PassLine(pass));
  hint.Replace("new run\r\n");
  hint.Append("done\r\n");
  EXPECT_EQ(hint.Joined(), "new run\r\ndone\r\n");
  EXPECT_EQ(hint.LeftOutLines(), 0u);
}

// A box that only follows the changes (head text, tail text, lines dropped
// from the tail's front) shows what the hint holds, wherever the appends cut
// the lines: mid-line at the head's end, between a CR and its LF.
TEST(BoundedHint, ABoxFollowingItsChangesShowsItsText) {
  Text said = "h";
  for (uint64_t pass = 0; pass < 20000; ++pass) said += PassLine(pass);
  for (const size_t piece : {size_t{1}, size_t{7}, size_t{333}, size_t{100000}}) {
    SCOPED_TRACE(piece);
    BoundedHint hint(1000, 2000);
    Text head;
    Text tail;
    for (size_t at = 0; at < said.size(); at += piece) {
      const std::string_view text = std::string_view(said).substr(at, piece);
      const BoundedHint::Change change = hint.Append(text);
      head += text.substr(0, change.to_head);
      tail += text.substr(change.to_head);
      for (uint64_t line = 0; line < change.dropped_lines; ++line)
        tail.erase(0, tail.find('\n') + 1);
    }
    ASSERT_GT(hint.LeftOutLines(), 0u);
    EXPECT_EQ(head + BoundedHint::MarkerLine(hint.LeftOutLines()) + tail, hint.Joined());
    EXPECT_EQ(CountBreaks(head) + hint.LeftOutLines() + CountBreaks(tail), 20000u);
  }
}

}  // namespace
}  // namespace dravel
