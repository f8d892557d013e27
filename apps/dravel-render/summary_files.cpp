#include "apps/dravel-render/summary_files.h"

#include <cstdio>

#include "apps/dravel-render/script_folder.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

// Fields are escaped in UTF-8 and the whole converted at the end: a GBK trail
// byte may be a backslash or a quote.

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string field = "\"";
  for (char c : text) field += c == '"' ? std::string("\"\"") : std::string(1, c);
  return field + "\"";
}

std::string Name(const ScriptRow& row) { return row.shown.toStdString(); }

std::string Picture(const ScriptRow& row) { return row.picture.toStdString(); }

std::string Message(const ScriptRow& row) { return GbkToUtf8(row.last_line); }

}  // namespace

std::string ScoreText(double score) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", score);
  return text;
}

std::string SummaryText(const std::vector<ScriptRow>& rows, bool gbk, bool scored) {
  std::string summary = "script\texit\tresult\tlast message\twhere";
  summary += scored ? "\tscore\tpicture\n" : "\tpicture\n";
  for (const ScriptRow& row : rows) {
    summary += OneLineText(Name(row)) + "\t" + std::to_string(row.exit_status) + "\t" + row.result +
               "\t" + OneLineText(Message(row)) + "\t" + row.place;
    if (scored) summary += '\t';
    if (scored && row.score) summary += ScoreText(*row.score);
    summary += "\t" + OneLineText(Picture(row)) + "\n";
  }
  return gbk ? Utf8ToGbk(summary) : summary;
}

std::string SummaryCsv(const std::vector<ScriptRow>& rows, bool gbk) {
  std::string csv = "file,status,score,last message,where,lines drawn,run time (ms),picture\r\n";
  for (const ScriptRow& row : rows) {
    csv += CsvField(Name(row)) + "," + row.result + "," +
           (row.score ? ScoreText(*row.score) : std::string()) + "," + CsvField(Message(row)) +
           "," + CsvField(row.place) + "," + std::to_string(row.lines_drawn) + "," +
           std::to_string(row.milliseconds) + "," + CsvField(Picture(row)) + "\r\n";
  }
  return gbk ? Utf8ToGbk(csv) : "\xEF\xBB\xBF" + csv;
}

}  // namespace dravel
