#include "runtime/gbk_codec.h"

#include <algorithm>

namespace dravel {
namespace gbk_table {
extern const uint16_t kByte80;
extern const uint16_t kPairs[126 * 191];
extern const uint16_t kCodeBlocks[][256];
extern const uint8_t kCodeBlockOf[256];
}  // namespace gbk_table

namespace {

constexpr std::string_view kReplacementUtf8 = "\uFFFD";
constexpr std::string_view kByteOrderMark = "\uFEFF";
constexpr int kFirstLead = 0x81;
constexpr int kLastLead = 0xFE;
constexpr int kFirstTrail = 0x40;
constexpr int kLastTrail = 0xFE;
constexpr int kTrails = kLastTrail - kFirstTrail + 1;

// The character of the pair at `gbk`, 0 when it is not a GBK pair.
uint32_t PairCharacter(unsigned char lead, unsigned char trail) {
  if (lead < kFirstLead || lead > kLastLead || trail < kFirstTrail || trail > kLastTrail) return 0;
  return gbk_table::kPairs[(lead - kFirstLead) * kTrails + (trail - kFirstTrail)];
}

// BMP character to its GBK code (one byte below 0x100, else lead << 8 | trail),
// 0 for none.
uint16_t CodeOf(uint32_t character) {
  if (character > 0xFFFF) return 0;
  return gbk_table::kCodeBlocks[gbk_table::kCodeBlockOf[character >> 8]][character & 0xFF];
}

void AppendUtf8(uint32_t character, std::string& out) {
  if (character < 0x80) {
    out += static_cast<char>(character);
  } else if (character < 0x800) {
    out += static_cast<char>(0xC0 | character >> 6);
    out += static_cast<char>(0x80 | (character & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | character >> 12);
    out += static_cast<char>(0x80 | (character >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (character & 0x3F));
  }
}

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
size_t Utf8SequenceLength(std::string_view text) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(0);
  size_t length = lead < 0x80                    ? 1
                  : lead >= 0xC2 && lead <= 0xDF ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0 || length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
  }
  if (lead == 0xE0 && byte(1) < 0xA0) return 0;   // overlong
  if (lead == 0xED && byte(1) >= 0xA0) return 0;  // surrogate
  if (lead == 0xF0 && byte(1) < 0x90) return 0;   // overlong
  if (lead == 0xF4 && byte(1) >= 0x90) return 0;  // beyond U+10FFFF
  return length;
}

uint32_t DecodeUtf8(std::string_view sequence) {
  const auto byte = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(sequence[i]));
  };
  switch (sequence.size()) {
    case 1: return byte(0);
    case 2: return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
    case 3: return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
    default:
      return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 |
             (byte(3) & 0x3F);
  }
}

// GBK bytes for `character`, or false when GBK has none.
bool AppendGbk(uint32_t character, UndecodableBytes bytes, std::string& out) {
  if (character < 0x80) {
    out += static_cast<char>(character);
    return true;
  }
  if (bytes == UndecodableBytes::kKeep && IsKeptByte(character)) {
    out += static_cast<char>(character - kKeptByteFirst + 0x80);
    return true;
  }
  const uint16_t code = CodeOf(character);
  if (code == 0) return false;
  if (code > 0xFF) out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
  return true;
}

// Converts into `out` and gives the offset of the first character it could
// not convert, or npos; notes each such character in `lost` when given.
size_t ConvertUtf8(std::string_view utf8, UndecodableBytes bytes, std::string& out,
                   std::vector<LostCharacter>* lost = nullptr) {
  size_t first_loss = std::string_view::npos;
  for (size_t at = 0; at < utf8.size();) {
    const size_t length = Utf8SequenceLength(utf8.substr(at));
    if (length == 0 || !AppendGbk(DecodeUtf8(utf8.substr(at, length)), bytes, out)) {
      if (lost != nullptr) {
        lost->push_back({out.size(), length == 0 ? std::string(kReplacementUtf8)
                                                 : std::string(utf8.substr(at, length))});
      }
      out += '?';
      first_loss = std::min(first_loss, at);
    }
    at += length == 0 ? 1 : length;
  }
  return first_loss;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk, UndecodableBytes bytes) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  for (size_t i = 0; i < gbk.size(); ++i) {
    const auto byte = static_cast<unsigned char>(gbk[i]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
      continue;
    }
    const uint32_t pair =
        i + 1 < gbk.size() ? PairCharacter(byte, static_cast<unsigned char>(gbk[i + 1])) : 0;
    if (pair != 0) {
      AppendUtf8(pair, out);
      ++i;
    } else if (byte == 0x80 && gbk_table::kByte80 != 0) {
      AppendUtf8(gbk_table::kByte80, out);
    } else if (bytes == UndecodableBytes::kKeep) {
      AppendUtf8(kKeptByteFirst + (byte - 0x80), out);
    } else {
      out += kReplacementUtf8;
    }
  }
  return out;
}

std::string Utf8ToGbk(std::string_view utf8, bool* lossless, UndecodableBytes bytes) {
  std::string out;
  out.reserve(utf8.size());
  const size_t first_loss = ConvertUtf8(utf8, bytes, out);
  if (lossless != nullptr) *lossless = first_loss == std::string_view::npos;
  return out;
}

std::string Utf8ToGbk(std::string_view utf8, std::vector<LostCharacter>& lost,
                      UndecodableBytes bytes) {
  std::string out;
  out.reserve(utf8.size());
  ConvertUtf8(utf8, bytes, out, &lost);
  return out;
}

int GbkLength(uint32_t character, UndecodableBytes bytes) {
  std::string out;
  return AppendGbk(character, bytes, out) ? static_cast<int>(out.size()) : 1;
}

size_t FirstUnconvertible(std::string_view utf8, UndecodableBytes bytes) {
  std::string out;
  out.reserve(utf8.size());
  return ConvertUtf8(utf8, bytes, out);
}

bool LooksLikeUtf8(std::string_view bytes) {
  if (bytes.starts_with(kByteOrderMark)) return true;
  bool multi_byte = false;
  while (!bytes.empty()) {
    const size_t length = Utf8SequenceLength(bytes);
    if (length == 0) return false;
    multi_byte = multi_byte || length > 1;
    bytes.remove_prefix(length);
  }
  return multi_byte;
}

std::string_view WithoutByteOrderMark(std::string_view bytes) {
  return bytes.starts_with(kByteOrderMark) ? bytes.substr(kByteOrderMark.size()) : bytes;
}

}  // namespace dravel
