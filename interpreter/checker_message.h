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

// GBK words of a script line, quoted in a message.
inline std::string Quoted(std::string_view gbk) { return GbkToUtf8(gbk); }

}  // namespace dravel
