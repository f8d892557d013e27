// How the checker writes its messages: each template marked for Qt's
// translation tools in the context "ScriptChecker" (the window translates
// them there; no Qt is needed here), with the GBK words it quotes given as
// UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "runtime/gbk_codec.h"

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif
#define DRAVEL_MESSAGE(text) QT_TRANSLATE_NOOP("ScriptChecker", text)

namespace dravel {

// A quote keeps this many characters at most: a message names what it is
// about, and a line of 50 MB quoted whole would be 50 MB in every summary.
inline constexpr size_t kQuotedCharacters = 60;

// GBK words of a script line, quoted in a message: past `most` characters
// cut on a character boundary and marked "…".
inline std::string Quoted(std::string_view gbk, size_t most = kQuotedCharacters) {
  size_t end = 0;
  for (size_t characters = 0; end < gbk.size() && characters < most; ++characters)
    end += IsLeadByte(static_cast<unsigned char>(gbk[end])) ? 2 : 1;
  if (end >= gbk.size()) return GbkToUtf8(gbk);
  return GbkToUtf8(gbk.substr(0, end)) + "…";
}

}  // namespace dravel
