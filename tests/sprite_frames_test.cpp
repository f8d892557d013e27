// The built-in sprites compiled in as pixels at build time are the pixels Qt
// reads from the strips kept as resources (and the desktop showed until it
// used them), frame by frame, see-through parts white.
#include "canvas/sprite_frames.h"

#include <gtest/gtest.h>

#include <QImage>

#include "canvas/qt_pixels.h"

namespace dravel {
namespace {

TEST(SpriteFrames, TheCompiledStripsAreTheResourcesPixels) {
  const char* names[] = {"TURTLE", "BUTT",  "TANK",    "R_AER",   "B_AER",
                         "CAR",    "ROBOT", "B_ROBOT", "LADYBUG", "BALLOON"};
  for (int set = 1; set <= 10; ++set) {
    SCOPED_TRACE(names[set - 1]);
    const QImage strip(QStringLiteral(":/sprites/DRAVELPANEL_IDB_IMAGE_LIST_") +
                       QString::fromLatin1(names[set - 1]));
    ASSERT_FALSE(strip.isNull());
    const SpriteFrames& frames = BuiltInSprites(set);
    const SpriteFrames read = SplitStrip(FlattenedPixels(strip), frames.front().width);
    ASSERT_EQ(read.size(), frames.size());
    for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(read[i].pixels, frames[i].pixels) << i;
  }
}

}  // namespace
}  // namespace dravel
