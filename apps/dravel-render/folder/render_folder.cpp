#include "apps/dravel-render/folder/render_folder.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iostream>
#include <numeric>
#include <span>
#include <thread>
#include <vector>

#include "apps/dravel-render/folder/batch_child.h"
#include "apps/dravel-render/folder/batch_jobs.h"
#include "apps/dravel-render/folder/class_folders.h"
#include "apps/dravel-render/folder/folder_scripts.h"
#include "apps/dravel-render/folder/output_folder.h"
#include "apps/dravel-render/folder/script_folder.h"
#include "apps/dravel-render/folder/work_folder.h"
#include "apps/dravel-render/render_text.h"
#include "apps/dravel-render/text_library/text_library.h"
#include "canvas/picture_export.h"
#include "marking/picture_score.h"
#include "marking/png_reading.h"
#include "marking/report_page.h"
#include "marking/summary_files.h"
#include "marking/teacher_words.h"
#include "runtime/control_text.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

// Time a child gets past its script's timeout to write its pictures.
constexpr std::chrono::seconds kChildGrace(20);

// What every step of one folder run reads.
struct FolderRun {
  const RenderOptions& options;
  std::string in, out;
  WorkFolder work;
  std::vector<std::string> references;  // PNGs of the canvas's size to score against
  SheetMaker sheet_maker;               // the library's, when a sheet is asked for
};

// Messages name pupils' files, whose names may hold control characters.
void Say(const std::string& message) {
  std::cerr << "dravel-render: " << ControlsEscaped(message, "") << "\n";
}

void SayUnwritten(const std::string& path, int error) {
  Say(error == ELOOP ? SaidText(Said::kLeftLink, {path})
                     : SaidText(Said::kCannotWriteWhy, {path, ErrorWords(error)}));
}

bool WriteText(const std::string& path, const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int error =
      TryWriteFileBytes(path, std::span(bytes, text.size()), LinkAtName::kRefuse).error;
  if (error != 0) SayUnwritten(path, error);
  return error == 0;
}

std::string InWork(const FolderRun& run, const std::string& name) {
  return JoinPath(run.work.Path(), name);
}

// What every child of the run is given: the run's options for a script, and
// its report into the work folder under `key`; the caller adds its outputs.
RenderOptions ChildOptions(const FolderRun& run, const std::string& key,
                           const std::string& script_path) {
  RenderOptions child = run.options;
  child.script_path = script_path;
  child.batch_report = InWork(run, key + ".report");
  child.output_path.reset();
  child.references.clear();
  return child;
}

ChildJob JobFor(const FolderRun& run, const std::string& key, const RenderOptions& child) {
  const auto deadline = TimeoutOf(run.options) + kChildGrace;
  return {ChildArguments(child), InWork(run, key + ".err"), deadline};
}

// A script's child: its picture, and what the sheet and the score need.
RenderOptions ScriptChild(const FolderRun& run, const FolderScript& script,
                          const std::string& key) {
  RenderOptions child = ChildOptions(run, key, JoinPath(script.folder, script.file.name));
  child.output_path = JoinPath(run.out, script.picture_name);
  if (run.options.contact_sheet) child.batch_image = InWork(run, key + ".png");
  child.references = run.references;
  if (!run.references.empty()) child.overlay_path = JoinPath(run.out, script.overlay_name);
  return child;
}

std::string FileText(const std::string& path) {
  const FileReadResult read = TryReadFileBytes(path);
  return read.Ok() ? std::string(read.bytes.begin(), read.bytes.end()) : std::string();
}

// The last line a child wrote to its standard error, as GBK.
Text LastErrorLine(const std::string& path) {
  std::string text = FileText(path);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const size_t start = text.rfind('\n');
  const std::string line = start == std::string::npos ? text : text.substr(start + 1);
  return LooksLikeUtf8(line) ? Utf8ToGbk(line) : line;
}

// The row of a child that wrote no report: it crashed, ran out of memory,
// was killed, or refused to run the script (and said why).
void EndedWithoutReport(const ChildEnd& end, const std::string& error_file, ScriptResult& row) {
  row.exit_status = 1;
  const bool no_memory = FileText(error_file).find("bad_alloc") != std::string::npos;
  row.result = end.killed   ? "timeout"
               : no_memory  ? "out of memory"
               : end.exited ? "failed"
                            : "crashed";
  if (no_memory) {
    row.last_line = Utf8ToGbk(SaidText(Said::kRanOutOfMemory));
    return;
  }
  row.last_line = LastErrorLine(error_file);
  if (!row.last_line.empty()) return;
  const std::string status = std::to_string(end.status);
  const std::string why = end.killed   ? SaidText(Said::kKilled)
                          : end.exited ? SaidText(Said::kEndedWithStatus, {status})
                                       : SaidText(Said::kEndedBySignal, {status});
  row.last_line = Utf8ToGbk(why);
}

// A run stopped before its end drew part of what it would have: its picture
// and overlay are shown, but it is no answer to score.
void SetAsideUnendedScore(ScriptResult& row) {
  if (!RanToItsEnd(row)) row.score.reset();
}

void TakeChild(const FolderRun& run, const ChildEnd& end, const std::string& key,
               FolderScript& script) {
  const std::string report_file = InWork(run, key + ".report");
  const std::string error_file = InWork(run, key + ".err");
  std::optional<ScriptResult> result = ParseResult(FileText(report_file));
  script.reported = result.has_value();
  if (result) {
    result->shown = std::move(script.row.shown);
    result->class_name = std::move(script.row.class_name);
    script.row = std::move(*result);
  } else {
    EndedWithoutReport(end, error_file, script.row);
  }
  std::error_code error;
  std::filesystem::remove(report_file, error);
  std::filesystem::remove(error_file, error);
  if (script.reported && script.row.result != "unreadable" && script.row.picture_error == 0)
    script.row.picture = ShownName(script.row.picture_file = script.picture_name);
  if (script.reported && script.row.score && script.row.overlay_error == 0)
    script.row.overlay = ShownName(script.row.overlay_file = script.overlay_name);
  SetAsideUnendedScore(script.row);
}

// The reference .dvg scripts, run as the scripts are, into PNGs in the work
// folder; false, said, when one does not end with its closing message.
bool RunReferenceScripts(const FolderRun& run, std::vector<std::string>& pictures) {
  std::vector<ChildJob> jobs;
  std::vector<size_t> which;
  for (size_t i = 0; i < pictures.size(); ++i) {
    if (!IsScriptName(pictures[i])) continue;
    const std::string key = "reference-" + std::to_string(i);
    RenderOptions child = ChildOptions(run, key, pictures[i]);
    child.output_path = InWork(run, key + ".png");
    jobs.push_back(JobFor(run, key, child));
    pictures[i] = InWork(run, key + ".png");
    which.push_back(i);
  }
  RunChildren(OwnProgram(), jobs, std::max(1, run.options.jobs), [](size_t, const ChildEnd&) {});
  for (const size_t i : which) {
    const std::string key = "reference-" + std::to_string(i);
    const std::optional<ScriptResult> result = ParseResult(FileText(InWork(run, key + ".report")));
    if (result && result->exit_status == 0) continue;
    const std::string& path = run.options.references[i];
    // A child that could not run it (no text library, no canvas) said why.
    constexpr std::string_view kOwnWord = "dravel-render: ";
    std::string refused = result ? "" : GbkToUtf8(LastErrorLine(InWork(run, key + ".err")));
    if (refused.starts_with(kOwnWord)) refused.erase(0, kOwnWord.size());
    if (!refused.empty()) {
      Say(SaidText(Said::kReferenceCannotRun, {path, refused}));
      return false;
    }
    Say(SaidText(Said::kReferenceUnended, {path, result ? GbkToUtf8(result->last_line) : ""}));
    return false;
  }
  return true;
}

// Each reference as a PNG the children can read: a script run as the
// scripts are, or a PNG; each of the canvas's size with something drawn.
// nullopt, said, at the first that is not: no pupil is scored against a
// bad answer.
std::optional<std::vector<std::string>> ReferencePictures(const FolderRun& run) {
  for (const std::string& path : run.options.references) {
    if (const auto unreadable = UnreadableReference(path)) {
      Say(*unreadable);
      return std::nullopt;
    }
  }
  std::vector<std::string> pictures = run.options.references;
  if (!RunReferenceScripts(run, pictures)) return std::nullopt;
  for (size_t i = 0; i < pictures.size(); ++i) {
    // Held one at a time, and only here.
    const PixelImage picture = ReadPngFile(pictures[i]);
    const std::string& path = run.options.references[i];
    if (picture.Empty()) {
      Say(SaidText(Said::kReferenceUnreadable, {path}));
      return std::nullopt;
    }
    if (const auto fault = ReferenceFault(picture, run.options.width, run.options.height, path)) {
      Say(*fault);
      return std::nullopt;
    }
  }
  return pictures;
}

// The row of an entry that is not read (NotReadBecause): no child, no picture.
void NotRead(const std::string& why, ScriptResult& row) {
  row.exit_status = 2;
  row.result = "unreadable";
  row.last_line = Utf8ToGbk(why);
}

void RunScripts(const FolderRun& run, std::vector<FolderScript>& scripts) {
  std::vector<ChildJob> jobs;
  std::vector<size_t> which;  // the script of each job
  for (size_t i = 0; i < scripts.size(); ++i) {
    if (const auto why = NotReadBecause(scripts[i].file)) {
      NotRead(*why, scripts[i].row);
      continue;
    }
    const std::string key = std::to_string(i);
    jobs.push_back(JobFor(run, key, ScriptChild(run, scripts[i], key)));
    which.push_back(i);
  }
  const int at_once = run.options.jobs > 0 ? run.options.jobs
                                           : std::max(1, int(std::thread::hardware_concurrency()));
  RunChildren(OwnProgram(), jobs, at_once, [&](size_t job, const ChildEnd& end) {
    TakeChild(run, end, std::to_string(which[job]), scripts[which[job]]);
  });
}

// The order of the sheet and the report: the folder's, or by score (--sort).
std::vector<size_t> ShownOrder(const FolderRun& run, const std::vector<FolderScript>& scripts) {
  std::vector<size_t> order(scripts.size());
  std::iota(order.begin(), order.end(), 0);
  if (run.options.sort_by_score) {
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return scripts[a].row.score.value_or(-1) > scripts[b].row.score.value_or(-1);
    });
  }
  return order;
}

// The references' file names, as the summaries name them.
std::vector<std::string> ReferenceNames(const RenderOptions& options) {
  std::vector<std::string> names;
  for (const std::string& path : options.references)
    names.push_back(ShownName(std::filesystem::path(path).filename().native()));
  return names;
}

bool WriteReport(const FolderRun& run, const std::vector<FolderScript>& scripts) {
  std::vector<const ScriptResult*> rows;
  for (const size_t i : ShownOrder(run, scripts)) rows.push_back(&scripts[i].row);
  return WriteText(JoinPath(run.out, kReportFileName),
                   ReportPage(rows, ReferenceNames(run.options)));
}

// The words of a script's cell, held while the sheet is drawn.
struct CellWords {
  std::string name, score, note, thumbnail;
  bool failed = false;
};

// Under the name: a result that is not ok, and the checker's first finding.
CellWords WordsOf(const ScriptResult& row, bool scored, std::string thumbnail) {
  const std::string score = row.score ? ScoreText(*row.score) : scored ? kNoScore : "";
  CellWords words{row.shown, score, "", std::move(thumbnail), row.result != "ok"};
  const Language language = LocaleLanguage();
  const std::string finding =
      row.findings == 0 ? "" : FindingWords(row.first_finding_line, row.first_finding, language);
  if (words.failed)
    words.note =
        std::string(ResultWord(row.result, language)) + (finding.empty() ? "" : " " + finding);
  else
    words.note = finding;
  return words;
}

DravelSheetEntry EntryOf(const CellWords& words) {
  const auto text = [](const std::string& said) { return said.empty() ? nullptr : said.c_str(); };
  return {words.name.c_str(), text(words.score), text(words.note), words.failed,
          words.thumbnail.c_str()};
}

bool WriteSheet(const FolderRun& run, const std::vector<FolderScript>& scripts) {
  std::vector<size_t> order = ShownOrder(run, scripts);
  if (order.size() > kMaxSheetEntries) {
    order.resize(kMaxSheetEntries);
    Say(SaidText(Said::kSheetShowsFirst, {std::to_string(kMaxSheetEntries)}));
  }
  std::vector<CellWords> words;
  for (size_t i : order)
    words.push_back(
        WordsOf(scripts[i].row, !run.references.empty(), InWork(run, std::to_string(i) + ".png")));
  std::vector<DravelSheetEntry> entries;
  for (const CellWords& cell : words) entries.push_back(EntryOf(cell));
  const std::string& path = *run.options.contact_sheet;
  const std::optional<std::string> png = run.sheet_maker(entries);
  if (!png) {
    Say(SaidText(Said::kCannotDrawSheet, {path}));
    return false;
  }
  const int error = WritePictureFile(path, *png, LinkAtName::kRefuse).error;
  if (error != 0) SayUnwritten(path, error);
  return error == 0;
}

// Pictures not written, and scores the reference could not give: each told.
bool AllPicturesTaken(const FolderRun& run, const std::vector<FolderScript>& scripts) {
  bool taken = true;
  for (const FolderScript& script : scripts) {
    if (script.row.picture_error != 0)
      SayUnwritten(JoinPath(run.out, script.picture_name), script.row.picture_error);
    if (script.row.overlay_error != 0)
      SayUnwritten(JoinPath(run.out, script.overlay_name), script.row.overlay_error);
    taken = taken && script.row.picture_error == 0 && script.row.overlay_error == 0;
  }
  const bool unscored =
      std::any_of(scripts.begin(), scripts.end(), [&](const FolderScript& script) {
        return !run.references.empty() && script.reported && RanToItsEnd(script.row) &&
               !script.row.score;
      });
  if (unscored) Say(SaidText(Said::kReferenceUnreadable, {*run.options.references.begin()}));
  return taken && !unscored;
}

bool WriteOutputs(const FolderRun& run, const std::vector<FolderScript>& scripts) {
  const RenderOptions& options = run.options;
  std::vector<ScriptResult> rows;
  for (const FolderScript& script : scripts) rows.push_back(script.row);
  const std::string summary =
      SummaryText(rows, options.gbk_output, ReferenceNames(options), LocaleLanguage());
  std::cout << summary;
  bool written = WriteText(JoinPath(run.out, kSummaryFileName), summary);
  written =
      WriteText(JoinPath(run.out, kSummaryCsvName),
                SummaryCsv(rows, options.gbk_output, ReferenceNames(options), LocaleLanguage())) &&
      written;
  written = WriteReport(run, scripts) && written;
  if (options.contact_sheet) written = WriteSheet(run, scripts) && written;
  return AllPicturesTaken(run, scripts) && written;
}

int ExitStatus(const std::vector<FolderScript>& scripts) {
  if (scripts.empty()) return 1;
  for (const FolderScript& script : scripts)
    if (script.row.exit_status != 0) return 1;
  return 0;
}

// The output folder and its classes' folders made, and the names the run
// will write claimed as its own before any is written; false, said, when
// a file no earlier run wrote is in the way (unless --overwrite) or the
// folder cannot be made: the run then writes nothing.
bool ReadyToWrite(const FolderRun& run, const std::vector<ClassFolder>& classes,
                  const std::vector<std::string>& names) {
  std::optional<std::string> said;
  if (!run.options.overwrite) said = InTheWayMessage(run.out, names);
  std::vector<std::string> subfolders;
  for (const ClassFolder& class_folder : classes)
    if (!class_folder.name.empty()) subfolders.push_back(class_folder.name);
  if (!said) said = MadeOutputFolder(run.out, subfolders, names);
  if (said) Say(*said);
  return !said;
}

// The scripts of `class_folder` added to `scripts`; false, said, when the
// class cannot be read.
bool AddClass(const FolderRun& run, const ClassFolder& class_folder,
              std::vector<FolderScript>& scripts) {
  std::optional<std::vector<FolderScript>> added = ClassScripts(run.options, run.out, class_folder);
  if (!added) {
    Say(SaidText(Said::kCannotReadFolder, {ShownPath(class_folder.path)}));
    return false;
  }
  for (FolderScript& script : *added) scripts.push_back(std::move(script));
  return true;
}

// Where the run writes: -o, or a folder beside the class folder, said first.
std::optional<std::string> OutputFolder(const RenderOptions& options) {
  if (options.output_path) return options.output_path;
  const std::optional<std::string> beside = DefaultOutputFolder(options.script_path);
  Say(beside ? SaidText(Said::kWritingInto, {ShownPath(*beside)})
             : SaidText(Said::kGiveOutput, {ShownPath(options.script_path)}));
  return beside;
}

// A limit under which no child could start, said once instead of in every row.
bool RoomForChildren(const RenderOptions& options) {
  const int least = LeastChildMemory(options);
  if (options.memory_limit_mb == 0 || options.memory_limit_mb >= least) return true;
  Say(SaidText(Said::kMemoryTooSmall,
               {std::to_string(options.memory_limit_mb),
                std::to_string(options.width) + "x" + std::to_string(options.height),
                std::to_string(least)}));
  return false;
}

// The references run, the scripts run and their copies found, the outputs
// written; the run's exit status.
int MarkClasses(FolderRun& run, std::vector<FolderScript>& scripts) {
  if (!run.options.references.empty()) {
    std::optional<std::vector<std::string>> references = ReferencePictures(run);
    if (!references) return 2;
    run.references = std::move(*references);
  }
  RunScripts(run, scripts);
  MarkEveryClassesCopies(run.options, scripts);
  if (!WriteOutputs(run, scripts)) return 2;
  return ExitStatus(scripts);
}

}  // namespace

int RenderFolder(const RenderOptions& options) {
  // Loaded first, so a run that cannot draw its sheet is refused before it starts.
  std::optional<SheetMaker> sheet_maker = SheetMaker();
  std::string refusal;
  if (options.contact_sheet) sheet_maker = LoadSheetMaker(refusal);
  if (!sheet_maker) {
    Say(refusal);
    return 2;
  }
  if (!RoomForChildren(options)) return 2;
  const std::optional<std::string> out = OutputFolder(options);
  if (!out) return 2;
  FolderRun run{options, options.script_path,    *out, WorkFolder("dravel-render"),
                {},      std::move(*sheet_maker)};
  const std::optional<std::vector<ClassFolder>> classes = ClassesOf(run.in);
  if (!classes || run.work.Path().empty()) {
    Say(classes ? SaidText(Said::kNoTemporaryFolder)
                : SaidText(Said::kCannotReadFolder, {ShownPath(run.in)}));
    return 2;
  }
  std::vector<FolderScript> scripts;
  for (const ClassFolder& class_folder : *classes) {
    if (!AddClass(run, class_folder, scripts)) return 2;
  }
  const std::vector<std::string> written = WrittenNames(options, run.out, scripts);
  if (!ReadyToWrite(run, *classes, written)) return 2;
  if (classes->empty()) Say(SaidText(Said::kNoClasses, {ShownPath(run.in)}));
  const int status = MarkClasses(run, scripts);
  // What the run wrote, and nothing it only claimed, is its own from now on.
  return RecordOwnFiles(run.out, written, false) == 0 ? status : 2;
}

}  // namespace dravel
