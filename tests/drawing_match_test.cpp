// The score of a drawing against the one asked for, on a class's answers to
// "a five-pointed star with sides of 100" (data/star; the teacher's star
// turns right): each correct star wherever and however turned it stands,
// one short of a side below them all, other shapes and sizes low, and so a
// star beside other drawings (a few stray dots aside); in place
// only with kExact, any size with kAnySize. And the picture of what
// differs, in the reference's frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "canvas/pixel_format.h"
#include "canvas/window_look.h"
#include "marking/drawing_match.h"
#include "marking/match_overlay.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"
#include "support/script_pixels.h"

namespace dravel {
namespace {

DrawnShape ShapeOf(const PixelImage& picture) {
  return DrawnShape(picture.View(), kWindowBackgroundColour);
}

DrawnShape StarClass(const std::string& name) {
  const ByteSet bytes = TryReadFileBytes(std::string(DRAVEL_TEST_DATA) + "/star/" + name).bytes;
  return ShapeOf(testing::ScriptPixels(std::string(bytes.begin(), bytes.end())));
}

enum Kind { kInPlace, kElsewhere, kPartial, kOtherSize, kPentagon, kHouse, kBeside, kNothing };
struct Range {
  double low, high;
};
// Each kind's scores in kPlaced, kExact and kAnySize.
constexpr Range kRanges[][3] = {
    /* kInPlace */ {{90, 100}, {90, 100}, {90, 100}},
    /* kElsewhere */ {{90, 100}, {0, 40}, {90, 100}},
    /* kPartial */ {{60, 89.9}, {60, 89.9}, {60, 89.9}},
    /* kOtherSize */ {{0, 60}, {0, 60}, {90, 100}},
    /* kPentagon */ {{0, 60}, {0, 60}, {0, 60}},
    /* kHouse */ {{0, 40}, {0, 40}, {0, 40}},
    /* kBeside */ {{0, 60}, {0, 60}, {0, 60}},
    /* kNothing */ {{0, 0}, {0, 0}, {0, 0}},
};
constexpr MatchMode kModes[] = {MatchMode::kPlaced, MatchMode::kExact, MatchMode::kAnySize};

TEST(MatchDrawing, GradesTheDrawingNotWhereItStands) {
  const struct {
    const char* script;
    Kind kind;
  } rows[] = {
      {"right-144.dvg", kInPlace},
      {"stray-dots.dvg", kInPlace},
      {"left-144.dvg", kElsewhere},
      {"polygon.dvg", kElsewhere},
      {"rotated-18.dvg", kElsewhere},
      {"moved.dvg", kElsewhere},
      {"backwards.dvg", kElsewhere},
      {"mirrored.dvg", kElsewhere},
      {"four-sides.dvg", kPartial},
      {"star-60.dvg", kOtherSize},
      {"star-150.dvg", kOtherSize},
      {"pentagon.dvg", kPentagon},
      {"house.dvg", kHouse},
      {"empty.dvg", kNothing},
      // Extra strokes used to count for nothing: each answer scored 100.
      {"sky-and-grass.dvg", kBeside},
      {"with-house-and-pentagon.dvg", kBeside},
  };
  const DrawnShape reference = StarClass("reference.dvg");
  double least_correct[3] = {100, 100, 100}, most_partial[3] = {0, 0, 0};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.script);
    const DrawnShape drawing = StarClass(row.script);
    for (size_t m = 0; m < std::size(kModes); ++m) {
      SCOPED_TRACE("mode " + std::to_string(m));
      const double score = MatchDrawing(reference, drawing, kModes[m]).score;
      const Range range = kRanges[row.kind][m];
      EXPECT_GE(score, range.low);
      EXPECT_LE(score, range.high);
      if (range.low >= 90) least_correct[m] = std::min(least_correct[m], score);
      if (row.kind == kPartial) most_partial[m] = std::max(most_partial[m], score);
    }
  }
  for (size_t m = 0; m < std::size(kModes); ++m) {
    EXPECT_LT(most_partial[m], least_correct[m]) << "mode " << m;
  }
}

TEST(MatchDrawing, EmptyPicturesAndOtherCanvasSizes) {
  const std::string star = Utf8ToGbk("重复 5 【前进 100|右转 144】");
  const PixelImage empty = testing::ScriptPixels("");
  const struct {
    const char* what;
    PixelImage reference, drawing;
    double score;
  } cases[] = {
      {"nothing asked, nothing drawn", empty, empty, 100},
      {"nothing asked, a star drawn", empty, testing::ScriptPixels(star), 0},
      {"drawn from home on a larger canvas", testing::ScriptPixels(star),
       testing::ScriptPixels(star, 1001, 601), 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(MatchDrawing(ShapeOf(c.reference), ShapeOf(c.drawing), MatchMode::kExact).score,
              c.score);
  }
}

// Four sides of the star, moved, turned, with a spur at the end: on the
// reference's own strokes the four sides in the pen's colour and the fifth
// in red, the spur in orange beside them.
TEST(MatchOverlay, ShowsWhatIsMissingAndWhatIsExtraOnTheReference) {
  const PixelImage target = testing::ScriptPixels(Utf8ToGbk("重复 5 【前进 100|右转 144】"));
  const DrawnShape reference = ShapeOf(target);
  const DrawnShape drawing =
      ShapeOf(testing::ScriptPixels(Utf8ToGbk("抬笔\r\n置坐标 -200 -90\r\n右转 40\r\n落笔\r\n重复 "
                                              "4 【前进 100|右转 144】\r\n右转 90\r\n前进 "
                                              "20")));
  const DrawingMatch match = MatchDrawing(reference, drawing, MatchMode::kPlaced);
  const PixelImage overlay =
      MatchOverlay(reference, drawing, match, kWindowPenColour, kWindowBackgroundColour);
  ASSERT_EQ(overlay.width, target.width);
  ASSERT_EQ(overlay.height, target.height);
  std::map<uint32_t, int> on_reference, off_reference;
  for (int y = 0; y < overlay.height; ++y) {
    for (int x = 0; x < overlay.width; ++x) {
      const uint32_t colour = ColourOf(overlay.pixels[size_t(y) * size_t(overlay.width) + x]);
      ++(reference.Drawn(x, y) ? on_reference : off_reference)[colour];
    }
  }
  const int64_t side = reference.Whole().count / 5;
  EXPECT_EQ(on_reference[kWindowPenColour] + on_reference[kMissingColour], reference.Whole().count);
  EXPECT_NEAR(on_reference[kMissingColour], side, side / 3);
  EXPECT_EQ(off_reference[kWindowPenColour] + off_reference[kMissingColour], 0);
  EXPECT_GE(off_reference[kExtraColour], 15);
  EXPECT_LE(off_reference[kExtraColour], 25);
}

}  // namespace
}  // namespace dravel
