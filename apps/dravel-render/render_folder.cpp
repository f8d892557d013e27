#include "apps/dravel-render/render_folder.h"

#include <QBuffer>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iostream>
#include <numeric>
#include <thread>
#include <vector>

#include "apps/dravel-render/batch_child.h"
#include "apps/dravel-render/batch_jobs.h"
#include "apps/dravel-render/contact_sheet.h"
#include "apps/dravel-render/gui_application.h"
#include "apps/dravel-render/picture_names.h"
#include "apps/dravel-render/script_folder.h"
#include "apps/dravel-render/summary_files.h"
#include "canvas/picture_export.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

// Time a child gets past its script's timeout to write its pictures.
constexpr std::chrono::seconds kChildGrace(20);

struct Script {
  ScriptFile file;
  std::string picture_name;  // bytes, in the output folder
  ScriptRow row;
  int picture_error = 0;  // errno of writing the picture; 0: written, or none was
  bool reported = false;  // its child wrote a report
};

// What every step of one folder run reads.
struct FolderRun {
  const RenderOptions& options;
  std::string in, out;
  QTemporaryDir work;
  std::optional<std::string> reference;  // a PNG of the canvas's size to score against
};

void Say(const std::string& message) { std::cerr << "dravel-render: " << message << "\n"; }

void SayUnwritten(const std::string& path, int error) {
  Say(error == ELOOP ? "left " + path + " alone: it is a symbolic link"
                     : "cannot write " + path + ": " + FileErrorText(error));
}

bool WriteText(const std::string& path, const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int error =
      TryWriteFileBytes(path, std::span(bytes, text.size()), LinkAtName::kRefuse).error;
  if (error != 0) SayUnwritten(path, error);
  return error == 0;
}

std::string EdgeName(EdgeMode mode) {
  switch (mode) {
    case EdgeMode::Fence: return "fence";
    case EdgeMode::Unbounded: return "unbounded";
    case EdgeMode::Wrap: break;
  }
  return "wrap";
}

std::string EncodingName(ScriptEncoding encoding) {
  switch (encoding) {
    case ScriptEncoding::kUtf8: return "utf-8";
    case ScriptEncoding::kAuto: return "auto";
    case ScriptEncoding::kGbk: break;
  }
  return "gbk";
}

double TimeoutSeconds(const RenderOptions& options) {
  return options.timeout_seconds.value_or(kFolderTimeoutSeconds);
}

std::string InWork(const FolderRun& run, const QString& name) {
  return QFile::encodeName(run.work.filePath(name)).toStdString();
}

// The child's arguments that set its run up as the folder's options say.
std::vector<std::string> RunArguments(const RenderOptions& options) {
  std::vector<std::string> arguments = {
      "--size",
      std::to_string(options.width) + "x" + std::to_string(options.height),
      "--edge",
      EdgeName(options.edge_mode),
      "--encoding",
      EncodingName(options.encoding),
      "--timeout",
      std::to_string(TimeoutSeconds(options)),
      "--count",
      options.run_count,
      "--pen-width",
      std::to_string(options.pen_width),
      "--memory-limit",
      std::to_string(options.memory_limit_mb > 0 ? options.memory_limit_mb
                                                 : kChildMemoryMegabytes)};
  if (options.paint_turtles) arguments.push_back("--turtle");
  if (options.keep_delays.value_or(false)) arguments.push_back("--keep-delays");
  return arguments;
}

// The child that runs `script_path` and writes `outputs` (its options),
// reporting into the work folder under `key`.
ChildJob JobFor(const FolderRun& run, const QString& key, const std::vector<std::string>& outputs,
                const std::string& script_path) {
  std::vector<std::string> arguments = {"--batch-child", InWork(run, key + ".report")};
  for (const auto& part : {RunArguments(run.options), outputs, {"--", script_path}})
    arguments.insert(arguments.end(), part.begin(), part.end());
  const auto deadline =
      std::chrono::milliseconds(int64_t(TimeoutSeconds(run.options) * 1000)) + kChildGrace;
  return {arguments, InWork(run, key + ".err"), deadline};
}

// A script's outputs: its picture, and what the sheet and the score need.
std::vector<std::string> ScriptOutputs(const FolderRun& run, const Script& script,
                                       const QString& key) {
  std::vector<std::string> outputs = {"-o", JoinPath(run.out, script.picture_name)};
  if (run.options.svg_in_folder) outputs.insert(outputs.end(), {"--format", "svg"});
  if (run.options.contact_sheet)
    outputs.insert(outputs.end(), {"--batch-image", InWork(run, key + ".png")});
  if (run.reference) outputs.insert(outputs.end(), {"--reference", *run.reference});
  return outputs;
}

std::string FileText(const QString& path) {
  const FileReadResult read = TryReadFileBytes(QFile::encodeName(path).toStdString());
  return read.Ok() ? std::string(read.bytes.begin(), read.bytes.end()) : std::string();
}

// The last line a child wrote to its standard error, as GBK.
Text LastErrorLine(const QString& path) {
  std::string text = FileText(path);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const size_t start = text.rfind('\n');
  const std::string line = start == std::string::npos ? text : text.substr(start + 1);
  return LooksLikeUtf8(line) ? Utf8ToGbk(line) : line;
}

// The row of a child that wrote no report: it crashed, ran out of memory or
// was killed.
void EndedWithoutReport(const ChildEnd& end, const QString& error_file, ScriptRow& row) {
  row.exit_status = 1;
  row.result = end.killed ? "timeout" : "failed";
  if (FileText(error_file).find("bad_alloc") != std::string::npos) {
    row.last_line = "ran out of memory";
    return;
  }
  row.last_line = LastErrorLine(error_file);
  if (!row.last_line.empty()) return;
  const std::string why = end.killed   ? "killed: still running after its timeout"
                          : end.exited ? "ended with status " + std::to_string(end.status)
                                       : "ended by signal " + std::to_string(end.status);
  row.last_line = why;
}

void TakeChild(const FolderRun& run, const ChildEnd& end, const QString& key, Script& script) {
  const QString report_file = run.work.filePath(key + ".report");
  const QString error_file = run.work.filePath(key + ".err");
  const std::optional<ChildReport> report = ParseReport(FileText(report_file));
  script.reported = report.has_value();
  if (!report) EndedWithoutReport(end, error_file, script.row);
  QFile::remove(report_file);
  QFile::remove(error_file);
  if (!report) return;
  script.row.exit_status = report->exit_status;
  script.row.result = report->result;
  script.row.last_line = report->last_line;
  script.row.place = report->place;
  script.row.lines_drawn = report->lines_drawn;
  script.row.milliseconds = report->milliseconds;
  script.row.score = report->score;
  script.picture_error = report->picture_error;
  if (report->result != "unreadable" && report->picture_error == 0)
    script.row.picture = ShownName(script.picture_name);
}

// The reference's size from its header alone, so no canvas-sized picture is
// held here; invalid when it cannot be read.
QSize PictureSize(const std::string& path) {
  const FileReadResult read = TryReadFileBytes(path);
  QByteArray bytes(reinterpret_cast<const char*>(read.bytes.data()), qsizetype(read.bytes.size()));
  QBuffer buffer(&bytes);
  return read.Ok() ? QImageReader(&buffer).size() : QSize();
}

// The reference picture, a script run as the scripts are or a PNG, as a PNG
// the children can read.
std::optional<std::string> ReferencePicture(const FolderRun& run) {
  const std::string& path = *run.options.reference;
  const bool script =
      path.size() >= 4 &&
      QString::fromStdString(path.substr(path.size() - 4)).compare(".dvg", Qt::CaseInsensitive) ==
          0;
  std::string picture = path;
  if (script) {
    picture = InWork(run, QStringLiteral("reference.png"));
    const ChildJob job = JobFor(run, QStringLiteral("reference"), {"-o", picture}, path);
    RunChildren(OwnProgram(), {job}, 1, [](size_t, const ChildEnd&) {});
  }
  const QSize size = PictureSize(picture);
  if (!size.isValid()) {
    Say("cannot read the reference picture " + path);
    return std::nullopt;
  }
  if (size != QSize(run.options.width, run.options.height)) {
    Say("the reference picture " + path + " is " + std::to_string(size.width()) + "x" +
        std::to_string(size.height()) + ", not the canvas size");
    return std::nullopt;
  }
  return picture;
}

void RunScripts(const FolderRun& run, std::vector<Script>& scripts) {
  std::vector<ChildJob> jobs;
  for (size_t i = 0; i < scripts.size(); ++i) {
    const QString key = QString::number(i);
    jobs.push_back(JobFor(run, key, ScriptOutputs(run, scripts[i], key),
                          JoinPath(run.in, scripts[i].file.name)));
  }
  const int at_once = run.options.jobs > 0 ? run.options.jobs
                                           : std::max(1, int(std::thread::hardware_concurrency()));
  RunChildren(OwnProgram(), jobs, at_once, [&](size_t i, const ChildEnd& end) {
    TakeChild(run, end, QString::number(i), scripts[i]);
  });
}

bool WriteSheet(const FolderRun& run, const std::vector<Script>& scripts) {
  std::vector<size_t> order(scripts.size());
  std::iota(order.begin(), order.end(), 0);
  if (run.options.sort_by_score) {
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return scripts[a].row.score.value_or(-1) > scripts[b].row.score.value_or(-1);
    });
  }
  if (order.size() > kMaxSheetEntries) {
    order.resize(kMaxSheetEntries);
    std::cerr << "dravel-render: the contact sheet shows the first " << kMaxSheetEntries
              << " scripts\n";
  }
  std::vector<SheetEntry> entries;
  for (size_t i : order) {
    const ScriptRow& row = scripts[i].row;
    const QString problem = row.result == "ok" ? QString() : QString::fromStdString(row.result);
    const QString score = row.score ? QString::fromStdString(ScoreText(*row.score)) : QString();
    entries.push_back({row.shown, run.work.filePath(QString::number(i) + ".png"), problem, score});
  }
  const std::string& path = *run.options.contact_sheet;
  const QByteArray png = SheetPng(ContactSheet(entries));
  const int error = WritePictureFile(path, std::string_view(png.constData(), size_t(png.size())),
                                     LinkAtName::kRefuse)
                        .error;
  if (error != 0) SayUnwritten(path, error);
  return error == 0;
}

// Pictures not written, and scores the reference could not give: each told.
bool AllPicturesTaken(const FolderRun& run, const std::vector<Script>& scripts) {
  bool taken = true;
  for (const Script& script : scripts) {
    if (script.picture_error != 0)
      SayUnwritten(JoinPath(run.out, script.picture_name), script.picture_error);
    taken = taken && script.picture_error == 0;
  }
  const bool unscored = std::any_of(scripts.begin(), scripts.end(), [&](const Script& script) {
    return run.reference && script.reported && script.row.result != "unreadable" &&
           !script.row.score;
  });
  if (unscored) Say("cannot read the reference picture " + *run.options.reference);
  return taken && !unscored;
}

bool WriteOutputs(const FolderRun& run, const std::vector<Script>& scripts) {
  const RenderOptions& options = run.options;
  std::vector<ScriptRow> rows;
  for (const Script& script : scripts) rows.push_back(script.row);
  const std::string summary = SummaryText(rows, options.gbk_output, options.reference.has_value());
  std::cout << summary;
  bool written = WriteText(JoinPath(run.out, kSummaryFileName), summary);
  written = WriteText(JoinPath(run.out, kSummaryCsvName), SummaryCsv(rows, options.gbk_output)) &&
            written;
  if (options.contact_sheet) {
    StartGuiApplication();  // the names are set in the platform's fonts
    written = WriteSheet(run, scripts) && written;
  }
  return AllPicturesTaken(run, scripts) && written;
}

int ExitStatus(const std::vector<Script>& scripts) {
  if (scripts.empty()) return 1;
  for (const Script& script : scripts)
    if (script.row.exit_status != 0) return 1;
  return 0;
}

// The names the run writes in the output folder itself, which no picture
// may take.
std::vector<std::string> OwnNames(const RenderOptions& options, const std::string& out) {
  std::vector<std::string> names = {kSummaryFileName, kSummaryCsvName};
  if (!options.contact_sheet) return names;
  const std::filesystem::path sheet(*options.contact_sheet);
  std::error_code error;
  const bool here = std::filesystem::equivalent(
      sheet.has_parent_path() ? sheet.parent_path() : std::filesystem::path("."), out, error);
  if (here) names.push_back(sheet.filename().native());
  return names;
}

std::vector<Script> ScriptsOf(const std::vector<ScriptFile>& files, const RenderOptions& options,
                              const std::string& out) {
  std::vector<std::string> names;
  for (const ScriptFile& file : files) names.push_back(file.name);
  const std::vector<std::string> pictures =
      PictureNames(names, options.svg_in_folder ? ".svg" : ".png", OwnNames(options, out));
  std::vector<Script> scripts;
  for (size_t i = 0; i < files.size(); ++i) {
    scripts.push_back({files[i], pictures[i], {}, 0, false});
    scripts.back().row.shown = files[i].shown;
  }
  return scripts;
}

// A limit under which no child could start, said once instead of in every row.
bool RoomForChildren(const RenderOptions& options) {
  const int least = LeastChildMemory(options);
  if (options.memory_limit_mb == 0 || options.memory_limit_mb >= least) return true;
  Say("--memory-limit " + std::to_string(options.memory_limit_mb) +
      " is too small for a script to run at " + std::to_string(options.width) + "x" +
      std::to_string(options.height) + "; the least that works is " + std::to_string(least));
  return false;
}

}  // namespace

int RenderFolder(const RenderOptions& options) {
  if (!RoomForChildren(options)) return 2;
  FolderRun run{
      options, options.script_path, options.output_path.value_or(options.script_path), {}, {}};
  std::error_code error;
  std::filesystem::create_directories(run.out, error);
  if (!std::filesystem::is_directory(run.out)) {
    Say("cannot make the folder " + run.out);
    return 2;
  }
  const std::optional<std::vector<ScriptFile>> files = ListScripts(run.in);
  if (!files || !run.work.isValid()) {
    Say(files ? "cannot make a temporary folder" : "cannot read the folder " + run.in);
    return 2;
  }
  if (files->empty()) Say("no .dvg scripts in " + run.in);
  std::vector<Script> scripts = ScriptsOf(*files, options, run.out);
  if (options.reference && !(run.reference = ReferencePicture(run))) return 2;
  RunScripts(run, scripts);
  if (!WriteOutputs(run, scripts)) return 2;
  return ExitStatus(scripts);
}

}  // namespace dravel
