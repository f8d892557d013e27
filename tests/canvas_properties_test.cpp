// The stored property format: the main window canvas's record, every version
// the reader knows, and records that must fail cleanly.
#include "canvas/canvas_properties.h"

#include <gtest/gtest.h>

#include <QFile>
#include <initializer_list>

namespace dravel {
namespace {

QByteArray Ints(std::initializer_list<int32_t> values) {
  QByteArray bytes;
  for (int32_t value : values)
    for (int i = 0; i < 4; ++i)
      bytes.append(static_cast<char>(static_cast<uint32_t>(value) >> (8 * i) & 0xFF));
  return bytes;
}

QByteArray Repeated(int32_t value, int count) {
  QByteArray bytes;
  for (int i = 0; i < count; ++i) bytes += Ints({value});
  return bytes;
}

CanvasProperties DravelObject1() {
  CanvasProperties p;
  p.pen_colour = p.fill_colour = 0x00FF00;
  p.background_colour = 0x606060;
  p.pen_width = 1;
  p.edge_mode = 1;
  p.frame_interval = 500;
  return p;
}

TEST(CanvasProperties, StoredMainCanvasIsTheVersionSixRecord) {
  QFile file(":/canvas/dravel_object1.props");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray stored = file.readAll();
  EXPECT_EQ(stored, WriteProperties(DravelObject1()));
  EXPECT_EQ(stored.size(), 288);
  EXPECT_EQ(ReadProperties(stored), DravelObject1());
}

TEST(CanvasProperties, WriteThenReadGivesTheSameRecord) {
  CanvasProperties p = DravelObject1();
  p.background_picture = QByteArray("picture\0bytes", 13);
  p.own_images[0] = "MITL....";
  p.own_images[20] = "last";
  p.frames[7] = 3;
  p.image_sets[19] = 0;
  p.picture_mode = 2;
  EXPECT_EQ(ReadProperties(WriteProperties(p)), p);
}

TEST(CanvasProperties, OlderVersionsReadIntoTheRightFields) {
  const QByteArray basics = Ints({0x11, 0x22, 0x33, 4});
  struct Case {
    QByteArray bytes;
    CanvasProperties want;
  };
  CanvasProperties v1;
  v1.pen_colour = 0x11, v1.background_colour = 0x22, v1.fill_colour = 0x33, v1.pen_width = 4;
  CanvasProperties v2 = v1;
  v2.edge_mode = 2;
  CanvasProperties v3 = v2;
  v3.picture_mode = 3;
  CanvasProperties v4 = v3;
  v4.frame_interval = 250, v4.frames[0] = 1, v4.background_picture = "png";
  CanvasProperties v5 = v3;
  v5.frame_interval = 100, v5.frames[0] = 2, v5.background_picture = "pic";
  for (int slot = 0; slot < 20; ++slot) v5.image_sets[slot] = slot % 11;
  v5.own_images[19] = "own";
  QByteArray v5_bytes = Ints({5}) + basics + Ints({2, 3, 100, 2});
  for (int slot = 0; slot < 20; ++slot) v5_bytes += Ints({slot % 11});
  v5_bytes += Ints({3}) + "pic" + Repeated(0, 19) + Ints({3}) + "own";
  const Case cases[] = {
      {Ints({0}), CanvasProperties{}},
      {Ints({1}) + basics, v1},
      {Ints({2}) + basics + Ints({2}), v2},
      {Ints({3}) + basics + Ints({2, 3}), v3},
      {Ints({4}) + basics + Ints({2, 3, 99, 250, 1, 3}) + "png", v4},
      {v5_bytes, v5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.left(4).toHex().toStdString());
    EXPECT_EQ(ReadProperties(c.bytes), c.want);
  }
}

TEST(CanvasProperties, EmptyBytesGiveTheConstructionValues) {
  const auto read = ReadProperties({});
  ASSERT_TRUE(read);
  EXPECT_EQ(read->background_colour, 0xFFFFFF);
  EXPECT_EQ(read->image_sets[20], 1);
}

TEST(CanvasProperties, BadRecordsFailCleanly) {
  const QByteArray good = WriteProperties(DravelObject1());
  const QByteArray cases[] = {
      Ints({7}),
      Ints({-1}),
      QByteArray("\x06\x00", 2),
      Ints({1, 1, 2}),
      Ints({4}) + Ints({1, 2, 3, 4, 0, 0, 0, 0, 0}) + Ints({10}) + "short",
      Ints({4}) + Ints({1, 2, 3, 4, 0, 0, 0, 0, 0}) + Ints({0x7FFFFFFF}),
      good.left(good.size() - 1),
  };
  for (const QByteArray& bytes : cases) {
    SCOPED_TRACE(bytes.toHex().toStdString());
    EXPECT_FALSE(ReadProperties(bytes));
  }
  for (qsizetype length = 1; length < good.size(); ++length)
    ASSERT_FALSE(ReadProperties(good.left(length))) << length;
}

TEST(CanvasProperties, NegativeBlobLengthIsEmptyAndTrailingBytesAreIgnored) {
  QByteArray bytes = Ints({4}) + Ints({1, 2, 3, 4, 0, 0, 0, 0, 0}) + Ints({-5});
  const auto read = ReadProperties(bytes + "trailing");
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->background_picture.isEmpty());
}

}  // namespace
}  // namespace dravel
