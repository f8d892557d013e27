// Writes the GBK (code page 936) tables that the codec is built on, as C++
// source into the file named by its argument: for every lead byte 0x81..0xFE
// and trail byte 0x40..0xFE the BMP character the pair stands for, 0 where it
// stands for none; and the same turned around, each BMP character's code, in
// blocks of 256 characters where the blocks without any share one of zeros.
// Runs at build time with the system's iconv, so the program needs no
// conversion library at run time, builds no table at start and every build
// decodes alike. A pair is kept only when its character encodes back to the
// same pair, so decoding and encoding are exact inverses.
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The BMP character of `utf8` when it is exactly one, else 0.
uint32_t SingleCharacter(const std::string& utf8) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(utf8[i]); };
  if (utf8.size() == 2 && (byte(0) & 0xE0) == 0xC0) return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
  if (utf8.size() == 3 && (byte(0) & 0xF0) == 0xE0)
    return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
  return 0;
}

bool Convert(iconv_t cd, const std::string& in, std::string& out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char buffer[16];
  char* in_ptr = const_cast<char*>(in.data());
  size_t in_left = in.size();
  char* out_ptr = buffer;
  size_t out_left = sizeof buffer;
  if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<size_t>(-1)) return false;
  if (iconv(cd, nullptr, nullptr, &out_ptr, &out_left) == static_cast<size_t>(-1)) return false;
  out.assign(buffer, static_cast<size_t>(out_ptr - buffer));
  return in_left == 0;
}

// kCodeBlockOf[c >> 8] names the block of kCodeBlocks that holds character
// c's code at c & 0xFF; block 0 is all zeros.
void WriteCodeBlocks(std::FILE* out, const std::vector<uint16_t>& codes) {
  std::array<int, 256> block_of{};
  int blocks = 1;
  std::fprintf(out, "extern const uint16_t kCodeBlocks[][256] = {\n{},\n");
  for (int high = 0; high < 256; ++high) {
    const auto first = codes.begin() + high * 256;
    if (std::all_of(first, first + 256, [](uint16_t code) { return code == 0; })) continue;
    block_of[high] = blocks++;
    std::fprintf(out, "{");
    for (int low = 0; low < 256; ++low) {
      std::fprintf(out, "0x%04x,%s", first[low], low % 16 == 15 ? "\n" : "");
    }
    std::fprintf(out, "},\n");
  }
  std::fprintf(out, "};\nextern const uint8_t kCodeBlockOf[256] = {");
  for (const int block : block_of) std::fprintf(out, "%d,", block);
  std::fprintf(out, "};\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gbk_table_generator OUTPUT.cpp\n");
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const iconv_t decode = iconv_open("UTF-8", "CP936");
  const iconv_t encode = iconv_open("CP936", "UTF-8");
  if (decode == reinterpret_cast<iconv_t>(-1) || encode == reinterpret_cast<iconv_t>(-1)) {
    std::fprintf(stderr, "gbk_table_generator: iconv has no CP936\n");
    return 1;
  }
  std::fprintf(out, "// Generated at build time from the system's CP936 tables.\n");
  std::fprintf(out, "#include <cstdint>\nnamespace dravel::gbk_table {\n");
  std::string utf8, back;
  const std::string euro("\x80", 1);
  const uint32_t byte80 = Convert(decode, euro, utf8) && Convert(encode, utf8, back) && back == euro
                              ? SingleCharacter(utf8)
                              : 0;
  std::fprintf(out, "extern const uint16_t kByte80 = 0x%04x;\n", byte80);
  std::vector<uint16_t> codes(0x10000, 0);
  if (byte80 != 0) codes[byte80] = 0x80;
  std::fprintf(out, "extern const uint16_t kPairs[126 * 191] = {\n");
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      uint32_t character = 0;
      if (Convert(decode, pair, utf8) && Convert(encode, utf8, back) && back == pair) {
        character = SingleCharacter(utf8);
      }
      if (character != 0) codes[character] = static_cast<uint16_t>(lead << 8 | trail);
      std::fprintf(out, "0x%04x,%s", character, trail % 16 == 15 ? "\n" : "");
    }
    std::fprintf(out, "\n");
  }
  std::fprintf(out, "};\n");
  WriteCodeBlocks(out, codes);
  std::fprintf(out, "}  // namespace dravel::gbk_table\n");
  iconv_close(decode);
  iconv_close(encode);
  return std::fclose(out) == 0 ? 0 : 1;
}
