// The core's rules as the page's module answers them, in plain C++: the
// module's exports (page_codec.cpp, page_rules.cpp) call these, and so does a
// native build of them (tests/web/page_rules_native.cpp), so a test can hold
// the module's answers to the desktop's over a table of cases. The page's
// texts are UTF-8 with LF line ends; files are GBK with CR LF.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "interpreter/messages.h"
#include "interpreter/program_file.h"
#include "mainwindow/window_texts.h"
#include "runtime/gbk_codec.h"
#include "runtime/value.h"

namespace dravel {

// A file's bytes as the page's text (line ends as they were): decoded from
// GBK with every undecodable byte kept as its own character, or, when
// `utf8`, taken as UTF-8 without its byte order mark.
inline std::string PageDecode(std::string_view file, bool utf8) {
  return utf8 ? std::string(WithoutByteOrderMark(file)) : GbkToUtf8(file, UndecodableBytes::kKeep);
}

// The page's text as the desktop writes it: GBK with CR LF, kept bytes back
// as their bytes, '?' for each character GBK cannot hold; when `compile`,
// without its stop keywords (the program file). `lost_at`: the byte offset in
// `utf8` of the first character written as '?', or -1.
inline std::string PageEncode(std::string_view utf8, bool compile, int& lost_at) {
  std::string text;
  text.reserve(utf8.size() + utf8.size() / 8);
  for (const char c : utf8) {
    if (c == '\n') text += '\r';
    text += c;
  }
  bool lossless = true;
  std::string bytes = Utf8ToGbk(text, &lossless, UndecodableBytes::kKeep);
  lost_at = -1;
  if (!lossless) {
    // In the page's text, which has one byte fewer for each CR added before it.
    const size_t at = FirstUnconvertible(text, UndecodableBytes::kKeep);
    lost_at = int(at - size_t(std::count(text.begin(), text.begin() + std::ptrdiff_t(at), '\r')));
  }
  return compile ? RemoveStopKeywords(bytes) : bytes;
}

// The page's text (UTF-8) read as the run reads a number: whether the run
// reads all of it as its number (the editor's colours), and the run count
// box's reading of it.
inline std::pair<bool, int> PageNumber(std::string_view utf8) {
  return {IsWholeNumber(Utf8ToGbk(utf8)), LeadingInteger(utf8)};
}

// The system's own fixed texts the page shows, (name, GBK text), by the
// names the page's texts (page/texts.js) give them: the module hands them
// over once at start-up, so the page repeats none of them.
inline std::vector<std::pair<std::string_view, Text>> PageMessages() {
  return {
      {"hintInitial", texts::kHintInitial}, {"runStopped", messages::kRunStopped},
      {"newDone", texts::kNewDone},         {"openPrefix", texts::kOpenPrefix},
      {"savePrefix", texts::kSavePrefix},   {"compilePrefix", texts::kCompilePrefix},
      {"succeeded", texts::kSucceeded},     {"failed", texts::kFailed},
      {"savePrompt", texts::kSavePrompt},   {"convertFromUtf8", texts::kConvertFromUtf8},
      {"linePrefix", texts::kLinePrefix},   {"unsavableLine", texts::kUnsavableLine},
  };
}

// The list as the page takes it: UTF-8, each name and text followed by a
// zero byte.
inline std::string PageMessagesUtf8() {
  std::string joined;
  for (const auto& [name, text] : PageMessages()) {
    joined.append(name);
    joined += '\0';
    joined += GbkToUtf8(text);
    joined += '\0';
  }
  return joined;
}

}  // namespace dravel
