// Crossing between the program's GBK texts and Qt's strings. Conversion itself
// is the runtime's codec; this unit adds the line-break rule of the widgets:
// they hold one '\n' per break, the program's texts hold CR LF.
#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "interpreter/run_location.h"
#include "runtime/gbk_codec.h"
#include "runtime/text.h"

namespace dravel {

// GBK bytes as Qt shows them; no line-break change.
QString FromGbk(const Text& gbk);

// The GBK bytes one widget character takes: 1 below 0x80, for a kept
// undecodable byte (gbk_codec.h) and for the '?' of a character GBK cannot
// hold (a pair of surrogates counts 1 for its first half, 0 for its second),
// 2 for any other.
int GbkWidthOf(QChar c);

// The GBK byte range `range` of `line` as character positions in `line`.
std::pair<int, int> CharacterRange(const QString& line, ByteRange range);

// GBK text for an edit widget, undecodable bytes kept as their own characters: CR LF, a lone CR and
// a lone LF each become one
// '\n', so a script written with any convention shows the lines it has.
QString ToWidgetText(const Text& gbk);

// UTF-8 text for an edit widget, its byte order mark and line-break
// conventions dropped as ToWidgetText drops them.
QString Utf8ToWidgetText(std::string_view utf8);

// A widget's text as the program's GBK text with CR LF breaks, kept bytes
// back as they were. When GBK cannot
// hold a character, `bad_line` (if given) receives the 1-based number of the
// first line that has one and the result holds substitutes; otherwise 0.
Text FromWidgetText(const QString& text, int* bad_line = nullptr);

// One line of a widget (no break) as the program's GBK text, noting in
// `lost` each character GBK cannot hold.
Text FromWidgetLine(const QString& line, std::vector<LostCharacter>& lost);

// The first character of a widget's `text` that GBK cannot hold (one code
// point, a kept byte never), to name in a question; empty when there is none.
QString FirstUnsavableCharacter(const QString& text);

}  // namespace dravel
