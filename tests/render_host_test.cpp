// dravel-render's hint text: kept byte for byte while it is of a normal size,
// bounded (head, marker line, tail) when a run appends without end.
#include "apps/dravel-render/render_host.h"

#include <gtest/gtest.h>

#include <string>

namespace dravel {
namespace {

Text PassLine(uint64_t pass) { return "pass " + std::to_string(pass) + "\r\n"; }

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
// marker counts exactly the lines in between.
TEST(BoundedHint, LeavesOutTheMiddleOfAnEndlessHintWithACountedMarker) {
  constexpr uint64_t kPasses = 200000;
  BoundedHint hint;
  hint.Replace("header\r\n");
  for (uint64_t pass = 1; pass <= kPasses; ++pass) hint.Append(PassLine(pass));
  hint.Append("done\r\n");
  const Text joined = hint.Joined();

  EXPECT_LE(joined.size(), BoundedHint::kHeadBytes + BoundedHint::kTailBytes + 100);
  EXPECT_TRUE(joined.starts_with("header\r\npass 1\r\npass 2\r\n"));
  EXPECT_TRUE(joined.ends_with(PassLine(kPasses) + "done\r\n"));

  const size_t marker = joined.find("[dravel-render: ");
  ASSERT_NE(marker, Text::npos);
  const size_t marker_end = joined.find(" lines left out]\r\n", marker);
  ASSERT_NE(marker_end, Text::npos);
  const uint64_t left_out = std::stoull(joined.substr(marker + 16, marker_end - marker - 16));
  uint64_t kept = 0;
  for (size_t at = joined.find("\r\n"); at != Text::npos; at = joined.find("\r\n", at + 2)) ++kept;
  // header + passes + done, less the marker line itself.
  EXPECT_EQ(kept - 1 + left_out, kPasses + 2);
  // Cut at line starts only: the line after the marker is a whole pass line.
  EXPECT_TRUE(joined.substr(marker_end + 18).starts_with("pass "));
}

TEST(BoundedHint, ReplaceStartsAfresh) {
  BoundedHint hint;
  for (uint64_t pass = 0; pass < 300000; ++pass) hint.Append(PassLine(pass));
  hint.Replace("new run\r\n");
  hint.Append("done\r\n");
  EXPECT_EQ(hint.Joined(), "new run\r\ndone\r\n");
}

TEST(RenderHost, AStoppedRunAppendsNothing) {
  RenderHost host("", "1");
  std::stop_source run;
  host.ReplaceHint(run.get_token(), "header\r\n");
  host.UnderEffectsLock([&] { run.request_stop(); });
  host.AppendHint(run.get_token(), "late\r\n");
  host.AppendHint({}, "stopped\r\n");
  EXPECT_EQ(host.Hint(), "header\r\nstopped\r\n");
}

}  // namespace
}  // namespace dravel
