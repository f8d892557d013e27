// The PNG encoder: palette and RGB images, odd sizes and strides, read back
// by Qt and by a reader of our own on zlib alone (tests/tools).
#include "canvas/png_encoder.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <random>

namespace dravel {
namespace {

struct Picture {
  const char* name;
  int width, height;
  ptrdiff_t stride;
  std::function<uint32_t(int x, int y)> colour;
};

std::vector<uint32_t> Pixels(const Picture& picture) {
  std::vector<uint32_t> pixels(size_t(picture.stride) * picture.height, 0xDEADBEEF);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      pixels[y * picture.stride + x] = 0xFF000000 | picture.colour(x, y);
  return pixels;
}

std::string RgbDigest(const Picture& picture) {
  QByteArray rgb;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const uint32_t c = picture.colour(x, y);
      rgb += char(c >> 16), rgb += char(c >> 8), rgb += char(c);
    }
  return QCryptographicHash::hash(rgb, QCryptographicHash::Sha256).toHex().toStdString();
}

// What the zlib-only reader makes of `png`; empty without python3.
std::string ReadByOurReader(const std::string& png) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("p.png").toStdString();
  FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(png.data(), 1, png.size(), file);
  std::fclose(file);
  const std::string command =
      "python3 " DRAVEL_SOURCE_DIR "/tests/tools/png_rgb_digest.py " + path + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[256];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  return pclose(pipe) == 0 ? out : "failed: " + out;
}

TEST(PngEncoder, EveryReaderSeesTheSamePixels) {
  std::mt19937 noise(7);
  std::vector<uint32_t> random(64 * 48);
  for (uint32_t& c : random) c = noise() & 0xFFFFFF;
  const Picture pictures[] = {
      {"two colours", 732, 420, 732,
       [](int x, int y) { return (x * 7 + y * 3) % 97 == 0 ? 0x00FF00u : 0x606060u; }},
      {"256 colours", 256, 3, 300, [](int x, int) { return uint32_t(x * 0x010101); }},
      {"257 colours: RGB", 257, 2, 257, [](int x, int y) { return uint32_t(x << 8 | y); }},
      {"one pixel", 1, 1, 1, [](int, int) { return 0xABCDEFu; }},
      {"noise", 64, 48, 80, [&](int x, int y) { return random[y * 64 + x]; }},
  };
  const bool python = std::system("python3 -c '' 2>/dev/null") == 0;
  for (const Picture& picture : pictures) {
    SCOPED_TRACE(picture.name);
    const std::vector<uint32_t> pixels = Pixels(picture);
    const std::string png = EncodePng(pixels.data(), picture.width, picture.height, picture.stride);
    const QImage read =
        QImage::fromData(reinterpret_cast<const uchar*>(png.data()), int(png.size()))
            .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(read.size(), QSize(picture.width, picture.height));
    for (int y = 0; y < picture.height; ++y)
      for (int x = 0; x < picture.width; ++x)
        ASSERT_EQ(read.pixel(x, y) & 0xFFFFFF, picture.colour(x, y)) << x << "," << y;
    if (python) {
      EXPECT_EQ(ReadByOurReader(png), std::to_string(picture.width) + " " +
                                          std::to_string(picture.height) + " " +
                                          RgbDigest(picture) + "\n");
    }
  }
}

TEST(PngEncoder, ACanvasPictureIsSmallAndPaletted) {
  std::vector<uint32_t> pixels(732 * 420, 0xFF606060);
  for (int x = 100; x < 600; ++x) pixels[200 * 732 + x] = 0xFF00FF00;
  const std::string png = EncodePng(pixels.data(), 732, 420, 732);
  EXPECT_LT(png.size(), 2000u);
  EXPECT_EQ(png.substr(37, 4), "PLTE");
  EXPECT_EQ(png.substr(41, 6), std::string("\x60\x60\x60\x00\xFF\x00", 6));  // as they appear
}

// The canvas hands its untouched rows as one shared row: the file must be
// the one distinct copies of the rows give, whatever the alpha bits hold.
TEST(PngEncoder, SharedRowsGiveTheBytesOfCopies) {
  for (int width : {1, 5, 8, 733}) {
    SCOPED_TRACE(width);
    const std::vector<uint32_t> blank(size_t(width), 0xFFFFFFFF);
    std::vector<uint32_t> drawn(size_t(width), 0x00FFFFFF);
    for (int x = 0; x < width; x += 3) drawn[size_t(x)] = 0xFF000000 | uint32_t(x % 7) << 8;
    const std::vector<const uint32_t*> shared = {blank.data(), blank.data(), drawn.data(),
                                                 blank.data(), drawn.data(), drawn.data()};
    std::vector<std::vector<uint32_t>> copies;
    std::vector<const uint32_t*> own;
    for (const uint32_t* row : shared) copies.emplace_back(row, row + width);
    for (const auto& copy : copies) own.push_back(copy.data());
    EXPECT_EQ(EncodePng(shared, width), EncodePng(own, width));
  }
}

}  // namespace
}  // namespace dravel
