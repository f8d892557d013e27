#include "runtime/gbk_codec.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace dravel {
namespace {

using namespace std::string_literals;

TEST(GbkCodec, ConvertsBothWaysExactly) {
  struct Case {
    std::string utf8, gbk;
  } cases[] = {
      {"前进 100", "\xc7\xb0\xbd\xf8 100"},
      {"【】|", "\xa1\xbe\xa1\xbf|"},
      {"１２３", "\xa3\xb1\xa3\xb2\xa3\xb3"},
      {"一龥€", "\xd2\xbb\xfd\x9b\x80"},  // the ends of the unified block; CP936's one byte
      {"a\0b"s, "a\0b"s},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    bool lossless = false;
    EXPECT_EQ(Utf8ToGbk(c.utf8, &lossless), c.gbk);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8);
  }
}

TEST(GbkCodec, ReplacesWhatCannotBeConverted) {
  EXPECT_EQ(GbkToUtf8("a\xff"
                      "b"),
            "a\ufffd"
            "b");
  EXPECT_EQ(GbkToUtf8("ab\xc7"), "ab\ufffd");
  EXPECT_EQ(GbkToUtf8("\xc7\xb0\xc7"), "前\ufffd");
  struct Case {
    std::string utf8, gbk;
  } cases[] = {
      {"a😀b", "a?b"},
      // From a block of characters GBK holds none of.
      {"a가b", "a?b"},
      {"a\xc3(", "a?("},
      {"\xed\xa0\x80x", "???x"},
      {"\xe5\x89", "??"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gbk);
    bool lossless = true;
    EXPECT_EQ(Utf8ToGbk(c.utf8, &lossless), c.gbk);
    EXPECT_FALSE(lossless);
    EXPECT_EQ(FirstUnconvertible(c.utf8), c.gbk.find('?'));
  }
  EXPECT_EQ(FirstUnconvertible("前进 100"), std::string::npos);
}

// Each '?' the conversion writes is noted with what stood there, so the
// checker can mark it where the line was typed.
TEST(GbkCodec, NotesEachCharacterItCouldNotHold) {
  struct Case {
    std::string utf8, gbk;
    std::vector<std::pair<size_t, std::string>> lost;
  } cases[] = {
      {"写文字 😀?", "\xd0\xb4\xce\xc4\xd7\xd6 ??", {{7, "😀"}}},
      {"a\xc3(\xe0\xb8\x81", "a?(?", {{1, "\ufffd"}, {3, "\u0e01"}}},
      {"前进 100", "\xc7\xb0\xbd\xf8 100", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    std::vector<LostCharacter> lost;
    EXPECT_EQ(Utf8ToGbk(c.utf8, lost), c.gbk);
    ASSERT_EQ(lost.size(), c.lost.size());
    for (size_t i = 0; i < lost.size(); ++i) {
      EXPECT_EQ(lost[i].at, c.lost[i].first);
      EXPECT_EQ(lost[i].character, c.lost[i].second);
    }
  }
  // A kept byte is no loss where bytes are kept.
  std::vector<LostCharacter> lost;
  EXPECT_EQ(Utf8ToGbk("\uf7ff", lost, UndecodableBytes::kKeep), "\xff");
  EXPECT_TRUE(lost.empty());
  struct Width {
    uint32_t character;
    int bytes;
  } widths[] = {{'a', 1}, {0x524D, 2}, {0xF781, 1}, {0x1F600, 1}, {0x0E01, 1}};
  for (const Width& w : widths) EXPECT_EQ(GbkLength(w.character), w.bytes) << w.character;
}

TEST(GbkCodec, KeepsUndecodableBytesWhenAsked) {
  const std::string odd = "\xc7\r\n\xff\xff\x81 \xaa\xa1\x80\xc7";
  const std::string shown = GbkToUtf8(odd, UndecodableBytes::kKeep);
  EXPECT_EQ(shown.find("\ufffd"), std::string::npos);
  bool lossless = false;
  EXPECT_EQ(Utf8ToGbk(shown, &lossless, UndecodableBytes::kKeep), odd);
  EXPECT_TRUE(lossless);
  // Without kKeep the stand-ins are characters GBK cannot hold.
  EXPECT_EQ(Utf8ToGbk(shown, &lossless), "?\r\n??? ??\x80?");
  EXPECT_FALSE(lossless);
}

TEST(GbkCodec, AnyBytesComeBackExactly) {
  std::string bytes;
  uint32_t state = 12345;
  for (int i = 0; i < 200000; ++i) {
    state = state * 1103515245 + 12345;
    bytes += static_cast<char>(state >> 16);
  }
  for (int lead = 0x81; lead <= 0xfe; ++lead)
    for (int trail = 0; trail <= 0xff; ++trail)
      bytes += {static_cast<char>(lead), static_cast<char>(trail)};
  bool lossless = false;
  EXPECT_EQ(
      Utf8ToGbk(GbkToUtf8(bytes, UndecodableBytes::kKeep), &lossless, UndecodableBytes::kKeep),
      bytes);
  EXPECT_TRUE(lossless);
}

TEST(GbkCodec, ConvertsTextsLongerThanOneBuffer) {
  std::string utf8;
  for (int i = 0; i < 5000; ++i) utf8 += "前进a";
  std::string gbk = Utf8ToGbk(utf8);
  EXPECT_EQ(gbk.size(), 5000u * 5);
  EXPECT_EQ(GbkToUtf8(gbk), utf8);
}

TEST(GbkCodec, WorksOnSeveralThreadsAtOnce) {
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 500; ++i) {
        if (GbkToUtf8(Utf8ToGbk("画圆 50")) != "画圆 50") ++failures;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace dravel
