#include "runtime/gbk_codec.h"

#include <iconv.h>

#include <cerrno>

namespace dravel {
namespace {

constexpr std::string_view kReplacementUtf8 = "\xef\xbf\xbd";  // U+FFFD

// One conversion descriptor per thread and direction: a descriptor keeps
// state and may not be shared between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of `in` as possible into `out`, advancing `in`; false
  // when it stopped at a byte sequence it cannot convert.
  bool Convert(std::string_view& in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[4096];
    for (;;) {
      char* in_ptr = const_cast<char*>(in.data());
      size_t in_left = in.size();
      char* out_ptr = buffer;
      size_t out_left = sizeof buffer;
      size_t result = iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
      out.append(buffer, static_cast<size_t>(out_ptr - buffer));
      in.remove_prefix(in.size() - in_left);
      if (result != static_cast<size_t>(-1)) return true;
      if (errno != E2BIG) return false;
    }
  }

 private:
  iconv_t cd_;
};

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
size_t Utf8SequenceLength(std::string_view text) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(0);
  size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (length == 0 || length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
  }
  if (lead == 0xE0 && byte(1) < 0xA0) return 0;  // overlong
  if (lead == 0xED && byte(1) >= 0xA0) return 0;  // surrogate
  if (lead == 0xF0 && byte(1) < 0x90) return 0;  // overlong
  if (lead == 0xF4 && byte(1) >= 0x90) return 0;  // beyond U+10FFFF
  return length;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
  thread_local Converter converter("UTF-8", "CP936");
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  while (!gbk.empty()) {
    if (converter.ok() && converter.Convert(gbk, out)) break;
    // An undecodable byte; the next byte may start a good character.
    out += converter.ok() ? kReplacementUtf8 : std::string_view(gbk.substr(0, 1));
    gbk.remove_prefix(1);
  }
  return out;
}

std::string Utf8ToGbk(std::string_view utf8, bool* lossless) {
  thread_local Converter converter("CP936", "UTF-8");
  std::string out;
  out.reserve(utf8.size());
  bool exact = converter.ok();
  while (!utf8.empty()) {
    if (converter.ok() && converter.Convert(utf8, out)) break;
    out += '?';
    exact = false;
    size_t length = Utf8SequenceLength(utf8);
    utf8.remove_prefix(length == 0 ? 1 : length);
  }
  if (lossless != nullptr) *lossless = exact;
  return out;
}

}  // namespace dravel
