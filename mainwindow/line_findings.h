// The checker's findings of each editor line, kept in the line's block by
// the colouring (which checks a line whenever it colours it), and what the
// editor makes of them: the characters a finding covers, its message in the
// user's language, and its quick fix. Window thread only.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextBlock>
#include <vector>

#include "interpreter/script_checker.h"

namespace dravel {

// Keeps `findings` in `block` (replacing what it kept).
void KeepFindings(QTextBlock& block, std::vector<Finding> findings);
// The findings kept in `block`; empty when it has none or was not checked.
const std::vector<Finding>& FindingsOf(const QTextBlock& block);

// The characters of `block` that `finding` covers: (begin, end).
std::pair<int, int> FindingCharacters(const QTextBlock& block, const Finding& finding);
// The finding of `block` covering character `column` (or ending right at
// it), or null.
const Finding* FindingAt(const QTextBlock& block, int column);
// The first finding of `block` that has a fix, or null.
const Finding* FirstFix(const QTextBlock& block);

// What will happen and what was probably meant, translated.
QString FindingMessage(const Finding& finding);
// The line of `block` as `finding`'s fix would leave it (`finding` has
// one): two lines when the fix moves a command to a line of its own.
QStringList FixedLines(const QTextBlock& block, const Finding& finding);
// Replaces the line of `block` by `finding`'s fix, as one undo step.
void ApplyFix(const QTextBlock& block, const Finding& finding);

}  // namespace dravel
