// One script's result in a folder run: the one record summary.txt,
// summary.csv and the contact sheet are made from. The script's own process
// fills in what its run gave and writes it (ResultText); the folder run reads
// it back (ParseResult) and adds the names, which only it knows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/text.h"

namespace dravel {

struct ScriptResult {
  // The folder run's: the file's name for people, its picture's and its
  // overlay's (empty when none was written), all UTF-8.
  std::string shown;
  std::string class_name;  // a parent folder's run: the class it is in
  std::string picture;
  std::string overlay;
  int copy_group = 0;  // its group of copies (script_copies); 0: none
  // The picture's and the overlay's names as bytes in the output folder.
  std::string picture_file;
  std::string overlay_file;
  // The run's, from its process.
  int exit_status = 2;
  // ok, failed (both ran to their end), timeout, out of memory, crashed,
  // unreadable
  std::string result = "unreadable";
  Text last_line;         // GBK, without its line break
  std::string place;      // "line 3, body item 2", or empty
  int picture_error = 0;  // errno of writing the picture; 0: written or none
  uint64_t lines_drawn = 0;
  int64_t milliseconds = 0;     // the run's own time
  std::optional<double> score;  // none when not asked or the reference is unreadable
  size_t reference = 0;         // the reference that gave the score
  int overlay_error = 0;        // errno of writing the overlay; 0: written or none
  int findings = 0;             // the checker's (at least: lines past the first many count one)
  int first_finding_line = 0;   // 0: none
  std::string first_finding;    // what it says, UTF-8
};

// Whether the run came to its end (its closing message or a failing line):
// only such a run's picture is an answer to score.
bool RanToItsEnd(const ScriptResult& result);

// What stands for no score: a dash.
inline constexpr char kNoScore[] = "—";

// The run's part of `result` as "key<TAB>value" lines, and back; nullopt for
// text that is not a whole record.
std::string ResultText(const ScriptResult& result);
std::optional<ScriptResult> ParseResult(std::string_view text);

// A score as the summaries and the sheet show it: one decimal.
std::string ScoreText(double score);

}  // namespace dravel
