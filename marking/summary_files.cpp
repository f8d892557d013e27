#include "marking/summary_files.h"

#include <algorithm>

#include "marking/csv_cell.h"
#include "marking/file_names.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

// Fields are escaped in UTF-8 and the whole converted at the end: a GBK trail
// byte may be a backslash or a quote.

std::string Message(const ScriptResult& row) { return GbkToUtf8(row.last_line); }

// The score, or a dash for a row a reference could not score (it did not
// run to its end); empty when there is no reference.
std::string ScoreCell(const ScriptResult& row, bool scored) {
  if (!scored) return {};
  return row.score ? ScoreText(*row.score) : kNoScore;
}

// The name of the reference that gave the row its score, when there are
// several to name.
std::string ReferenceOf(const ScriptResult& row, const std::vector<std::string>& references) {
  if (references.size() < 2 || !row.score || row.reference >= references.size()) return {};
  return references[row.reference];
}

// The number of the row's group of copies; empty when it is in none (the
// group's members are named once, in report.html).
std::string CopyGroupCell(const ScriptResult& row) {
  return row.copy_group == 0 ? std::string() : std::to_string(row.copy_group);
}

// A parent folder's run names each row's class first.
bool HasClasses(const std::vector<ScriptResult>& rows) {
  return std::any_of(rows.begin(), rows.end(),
                     [](const ScriptResult& row) { return !row.class_name.empty(); });
}
std::string ClassHeader(bool classes, Language language, const char* separator) {
  return classes ? std::string(WordOf(Word::kClass, language)) + separator : "";
}

// The header's words joined by `separator`, the last followed by `end`.
std::string Header(std::initializer_list<Word> words, Language language, const char* separator) {
  std::string header;
  for (const Word word : words) {
    if (!header.empty()) header += separator;
    header += WordOf(word, language);
  }
  return header;
}

}  // namespace

std::string SummaryText(const std::vector<ScriptResult>& rows, bool gbk,
                        const std::vector<std::string>& references, Language language) {
  const bool scored = !references.empty();
  const bool classes = HasClasses(rows);
  std::string summary =
      ClassHeader(classes, language, "\t") +
      Header({Word::kScript, Word::kExit, Word::kResult, Word::kLastMessage, Word::kWhere},
             language, "\t");
  if (scored) summary += "\t" + std::string(WordOf(Word::kScore, language));
  summary += "\t" + std::string(WordOf(Word::kPicture, language));
  if (references.size() > 1) summary += "\t" + std::string(WordOf(Word::kReference, language));
  summary += "\t" + Header({Word::kFindings, Word::kFirstFinding, Word::kCopies}, language, "\t");
  summary += "\n";
  for (const ScriptResult& row : rows) {
    if (classes) summary += OneLineText(row.class_name) + "\t";
    summary += OneLineText(row.shown) + "\t" + std::to_string(row.exit_status) + "\t" +
               std::string(ResultWord(row.result, language)) + "\t" + OneLineText(Message(row)) +
               "\t" + OneLineText(row.place);
    if (scored) summary += '\t' + OneLineText(ScoreCell(row, scored));
    summary += "\t" + OneLineText(row.picture);
    if (references.size() > 1) summary += "\t" + OneLineText(ReferenceOf(row, references));
    summary += "\t" + std::to_string(row.findings) + "\t" +
               OneLineText(FindingWords(row.first_finding_line, row.first_finding, language)) +
               "\t" + OneLineText(CopyGroupCell(row)) + "\n";
  }
  return gbk ? Utf8ToGbk(summary) : summary;
}

std::string SummaryCsv(const std::vector<ScriptResult>& rows, bool gbk,
                       const std::vector<std::string>& references, Language language) {
  const bool classes = HasClasses(rows);
  std::string csv = ClassHeader(classes, language, ",") +
                    Header({Word::kFile, Word::kStatus, Word::kScore, Word::kLastMessage,
                            Word::kWhere, Word::kLinesDrawn, Word::kRunTime, Word::kPicture},
                           language, ",");
  if (references.size() > 1) csv += "," + std::string(WordOf(Word::kReference, language));
  csv += "," + Header({Word::kFindings, Word::kFirstFinding, Word::kCopies}, language, ",");
  csv += "\r\n";
  for (const ScriptResult& row : rows) {
    if (classes) csv += CsvCell(row.class_name) + ",";
    csv += CsvCell(row.shown) + "," + CsvCell(ResultWord(row.result, language)) + "," +
           CsvCell(ScoreCell(row, !references.empty())) + "," + CsvCell(Message(row)) + "," +
           CsvCell(row.place) + "," + std::to_string(row.lines_drawn) + "," +
           std::to_string(row.milliseconds) + "," + CsvCell(row.picture);
    if (references.size() > 1) csv += "," + CsvCell(ReferenceOf(row, references));
    csv += "," + std::to_string(row.findings) + "," +
           CsvCell(FindingWords(row.first_finding_line, row.first_finding, language)) + "," +
           CsvCell(CopyGroupCell(row)) + "\r\n";
  }
  return gbk ? Utf8ToGbk(csv) : "\xEF\xBB\xBF" + csv;
}

}  // namespace dravel
