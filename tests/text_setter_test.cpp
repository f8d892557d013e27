// The one text setter with the bundled face: the face measures as the
// desktop's fonts always did, a text cut by the layer's edge keeps the pixels
// it has on a larger layer, and bad text, a box past memory and bytes that are
// not a font give an empty result rather than a fault.
#include "canvas/text_setter.h"

#include <gtest/gtest.h>

#include "canvas/bundled_font.h"
#include "canvas/pixel_memory.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

const TextFace& Face() {
  const TextFace* face = BundledFace();
  if (face == nullptr) throw std::runtime_error("the bundled font is not built");
  return *face;
}

bool Covered(const TextMask& mask, int x, int y) {
  if (x < mask.left || y < mask.top || x >= mask.left + mask.width || y >= mask.top + mask.height)
    return false;
  return mask.coverage[size_t(y - mask.top) * size_t(mask.width) + size_t(x - mask.left)] != 0;
}

TEST(TextSetter, TheFaceMeasuresAsTheDesktopsFontsDid) {
  EXPECT_EQ(Face().Ascent(), 22);
  EXPECT_EQ(Face().LineHeight(), 26);
  const std::string text = Utf8ToGbk("你好ab");
  const TextMask mask = SetText(Face(), {text, 50, 50, 0, 400, 200});
  // The box is the text's advance (24 + 24 + 12 + 12) and line, half a line around.
  EXPECT_EQ(mask.width, 72 + 26);
  EXPECT_EQ(mask.height, 26 + 26);
  EXPECT_EQ(mask.ascent, 22);
}

// Set on a layer of 400 x 300 with the anchor moved by (dx, dy), the text
// covers the same pixels, moved, as on the small layer cut at its edges.
TEST(TextSetter, ATextCutByTheEdgeKeepsItsPixels) {
  const std::string text = Utf8ToGbk("写文字 Dravel 海龟");
  struct Case {
    int x, y, escapement;
  } cases[] = {{-40, 20, 0},   {60, -12, 0}, {100, 50, 900},  {150, 40, 1800},
               {-20, 70, 450}, {5, 5, 3150}, {190, 95, 2700}, {30, 90, 1350}};
  constexpr int kWidth = 200, kHeight = 100, kDx = 100, kDy = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.escapement);
    const TextMask cut = SetText(Face(), {text, c.x, c.y, c.escapement, kWidth, kHeight});
    const TextMask whole =
        SetText(Face(), {text, c.x + kDx, c.y + kDy, c.escapement, kWidth + 200, kHeight + 200});
    ASSERT_EQ(cut.coverage.size(), size_t(cut.width) * size_t(cut.height));
    EXPECT_GE(cut.left, 0);
    EXPECT_GE(cut.top, 0);
    EXPECT_LE(cut.left + cut.width, kWidth);
    EXPECT_LE(cut.top + cut.height, kHeight);
    int covered = 0, differing = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        covered += Covered(cut, x, y);
        differing += Covered(cut, x, y) != Covered(whole, x + kDx, y + kDy);
      }
    }
    EXPECT_GT(covered, 0);
    EXPECT_EQ(differing, 0);
  }
}

TEST(TextSetter, NothingToSetGivesAnEmptyMask) {
  const std::string undecodable("\xff\x81", 2);
  struct Case {
    const char* name;
    std::string gbk;
    int x, y;
    size_t memory_limit;
  } cases[] = {
      {"empty", "", 10, 10, 0},
      {"a zero byte first", std::string("\0ab", 3), 10, 10, 0},
      {"off the layer", "ab", 5000, 10, 0},
      {"far off the layer", "ab", -(1 << 24), 1 << 24, 0},
      {"no memory for the box", "abc", 10, 10, 64},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t limit = SetPixelMemoryLimit(c.memory_limit);
    const TextMask mask = SetText(Face(), {c.gbk, c.x, c.y, 0, 200, 100});
    SetPixelMemoryLimit(limit);
    EXPECT_EQ(mask.width * mask.height, 0);
    EXPECT_TRUE(mask.coverage.empty());
  }
  // Bytes that are not GBK are set as the replacement character, not a fault.
  const TextMask mask = SetText(Face(), {undecodable, 10, 10, 0, 200, 100});
  EXPECT_EQ(mask.coverage.size(), size_t(mask.width) * size_t(mask.height));
}

TEST(TextSetter, BytesThatAreNoWholeFontGiveNoFace) {
  const FileReadResult font = TryReadFileBytes(BundledFontPlaces().back());
  ASSERT_TRUE(font.Ok());
  EXPECT_NE(TextFace::FromBytes(font.bytes), nullptr);
  EXPECT_EQ(TextFace::FromBytes({font.bytes.begin(), font.bytes.begin() + 65536}), nullptr);
  EXPECT_EQ(TextFace::FromBytes({}), nullptr);
  EXPECT_EQ(TextFace::FromBytes({'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'n', 't'}), nullptr);
  EXPECT_EQ(TextFace::FromBytes(std::vector<uint8_t>(4096, 0)), nullptr);
}

}  // namespace
}  // namespace dravel
