// How a pupil's file name looks, so that pupils whose names would look the
// same are told apart and no two pictures share a name on a disk that
// ignores letter case: é written as one character or as e and a combining
// accent looks the same, and so does a name in GBK and in UTF-8 once both
// are shown decoded. Plain C++ (the letter case from the C library's UTF-8
// locale).
#pragma once

#include <string>
#include <string_view>

namespace dravel {

// UTF-8 `text` as it looks: combining marks (U+0300 to U+036F) left out, a
// Latin letter with a mark as the letter. Bytes that are not UTF-8 are kept.
std::string LooksKey(std::string_view text);

// LooksKey with every letter in lower case (Ä as ä, not only A as a), as a
// disk that ignores case and accents' forms may compare names.
std::string FoldedKey(std::string_view text);

// `bytes` as in a web address: ASCII letters and digits and the bytes of
// `kept` as they are, every other byte (the percent sign too) as %XX. The
// one encoder of bytes for both people (BytesText) and links (report.html).
std::string PercentEncoded(std::string_view bytes, std::string_view kept);

// `bytes` for people: printable ASCII as it is, every other byte (and the
// percent sign) as %XX, as in a web address, so no text it goes into
// escapes it again.
std::string BytesText(std::string_view bytes);

}  // namespace dravel
