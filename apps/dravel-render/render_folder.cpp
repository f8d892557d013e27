#include "apps/dravel-render/render_folder.h"

#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <thread>
#include <vector>

#include "apps/dravel-render/batch_child.h"
#include "apps/dravel-render/batch_jobs.h"
#include "apps/dravel-render/contact_sheet.h"
#include "apps/dravel-render/gui_application.h"
#include "apps/dravel-render/picture_score.h"
#include "apps/dravel-render/script_folder.h"
#include "apps/dravel-render/summary_files.h"
#include "canvas/picture_export.h"
#include "canvas/qt_pixels.h"
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
  QImage image;  // the canvas as the child left it; null when it left none
  bool picture_failed = false;
};

// Each script's picture name: its base name, or its whole name where two
// scripts share a base name (a.dvg and a.DVG), so neither overwrites the other.
std::vector<std::string> PictureNames(const std::vector<ScriptFile>& files,
                                      const std::string& extension) {
  std::vector<std::string> bases;
  for (const ScriptFile& file : files) bases.push_back(file.name.substr(0, file.name.size() - 4));
  std::vector<std::string> names;
  for (size_t i = 0; i < files.size(); ++i) {
    const bool shared = std::count(bases.begin(), bases.end(), bases[i]) > 1;
    names.push_back((shared ? files[i].name : bases[i]) + extension);
  }
  return names;
}

void Say(const std::string& message) { std::cerr << "dravel-render: " << message << "\n"; }

bool WriteText(const std::string& path, const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  if (TryWriteFileBytes(path, std::span(bytes, text.size())).Ok()) return true;
  Say("cannot write " + path);
  return false;
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

// The child that runs `script_path`, reporting into `work` under `key`.
ChildJob JobFor(const RenderOptions& options, const std::string& script_path,
                const std::string& picture_path, const QTemporaryDir& work, const QString& key) {
  const auto in_work = [&](const char* suffix) {
    return QFile::encodeName(work.filePath(key + suffix)).toStdString();
  };
  std::vector<std::string> arguments = {
      "--batch-child",
      in_work(".report"),
      "--batch-image",
      in_work(".png"),
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
      "--memory-limit",
      std::to_string(options.memory_limit_mb > 0 ? options.memory_limit_mb
                                                 : kChildMemoryMegabytes)};
  if (!picture_path.empty()) arguments.insert(arguments.end(), {"-o", picture_path});
  if (options.svg_in_folder) arguments.insert(arguments.end(), {"--format", "svg"});
  if (options.paint_turtles) arguments.push_back("--turtle");
  if (options.keep_delays.value_or(false)) arguments.push_back("--keep-delays");
  arguments.insert(arguments.end(), {"--", script_path});
  const auto deadline = std::chrono::milliseconds(int64_t(TimeoutSeconds(options) * 1000)) +
                        std::chrono::milliseconds(kChildGrace);
  return {arguments, in_work(".err"), deadline};
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

void TakeChild(const ChildEnd& end, const QTemporaryDir& work, const QString& key, Script& script) {
  const std::optional<ChildReport> report = ParseReport(FileText(work.filePath(key + ".report")));
  if (!report) {
    EndedWithoutReport(end, work.filePath(key + ".err"), script.row);
    return;
  }
  script.row.exit_status = report->exit_status;
  script.row.result = report->result;
  script.row.last_line = report->last_line;
  script.row.place = report->place;
  script.row.lines_drawn = report->lines_drawn;
  script.row.milliseconds = report->milliseconds;
  script.picture_failed = report->picture_failed;
  if (report->result != "unreadable") script.image = QImage(work.filePath(key + ".png"));
}

// The reference picture: a script run as the scripts are, or a PNG.
std::optional<QImage> LoadReference(const RenderOptions& options, const QTemporaryDir& work) {
  const std::string& path = *options.reference;
  const bool script =
      path.size() >= 4 &&
      QString::fromStdString(path.substr(path.size() - 4)).compare(".dvg", Qt::CaseInsensitive) ==
          0;
  QImage target;
  if (script) {
    const QString key = QStringLiteral("reference");
    RunChildren(OwnProgram(), {JobFor(options, path, {}, work, key)}, 1);
    target = QImage(work.filePath(key + ".png"));
  } else {
    const FileReadResult read = TryReadFileBytes(path);
    if (read.Ok()) target = QImage::fromData(read.bytes.data(), int(read.bytes.size()));
  }
  if (target.isNull()) {
    Say("cannot read the reference picture " + path);
    return std::nullopt;
  }
  if (target.size() != QSize(options.width, options.height)) {
    Say("the reference picture " + path + " is " + std::to_string(target.width()) + "x" +
        std::to_string(target.height()) + ", not the canvas size");
    return std::nullopt;
  }
  return target;
}

void RunScripts(const RenderOptions& options, const std::string& in, const std::string& out,
                const QTemporaryDir& work, std::vector<Script>& scripts) {
  std::vector<ChildJob> jobs;
  for (size_t i = 0; i < scripts.size(); ++i) {
    jobs.push_back(JobFor(options, JoinPath(in, scripts[i].file.name),
                          JoinPath(out, scripts[i].picture_name), work, QString::number(i)));
  }
  const int at_once =
      options.jobs > 0 ? options.jobs : std::max(1, int(std::thread::hardware_concurrency()));
  const std::vector<ChildEnd> ends = RunChildren(OwnProgram(), jobs, at_once);
  for (size_t i = 0; i < scripts.size(); ++i) {
    TakeChild(ends[i], work, QString::number(i), scripts[i]);
  }
}

bool WriteSheet(const RenderOptions& options, const std::vector<Script>& scripts) {
  std::vector<const Script*> order;
  for (const Script& script : scripts) order.push_back(&script);
  if (options.sort_by_score) {
    std::stable_sort(order.begin(), order.end(), [](const Script* a, const Script* b) {
      return a->row.score.value_or(-1) > b->row.score.value_or(-1);
    });
  }
  if (order.size() > kMaxSheetEntries) {
    order.resize(kMaxSheetEntries);
    std::cerr << "dravel-render: the contact sheet shows the first " << kMaxSheetEntries
              << " scripts\n";
  }
  std::vector<SheetEntry> entries;
  for (const Script* script : order) {
    const QImage thumbnail =
        script->image.isNull()
            ? QImage()
            : script->image.scaledToWidth(kThumbnailWidth, Qt::SmoothTransformation);
    const QString problem =
        script->row.result == "ok" ? QString() : QString::fromStdString(script->row.result);
    const QString score =
        script->row.score ? QString::fromStdString(ScoreText(*script->row.score)) : QString();
    entries.push_back({script->file.shown, thumbnail, problem, score});
  }
  if (WritePictureFile(*options.contact_sheet, PngBytes(ContactSheet(entries))).Ok()) return true;
  Say("cannot write " + *options.contact_sheet);
  return false;
}

bool WriteOutputs(const RenderOptions& options, const std::string& out,
                  const std::vector<Script>& scripts) {
  std::vector<ScriptRow> rows;
  for (const Script& script : scripts) rows.push_back(script.row);
  const std::string summary = SummaryText(rows, options.gbk_output, options.reference.has_value());
  std::cout << summary;
  bool written = WriteText(JoinPath(out, kSummaryFileName), summary);
  written =
      WriteText(JoinPath(out, kSummaryCsvName), SummaryCsv(rows, options.gbk_output)) && written;
  if (options.contact_sheet) {
    StartGuiApplication();  // the names are set in the platform's fonts
    written = WriteSheet(options, scripts) && written;
  }
  for (const Script& script : scripts) {
    if (!script.picture_failed) continue;
    Say("cannot write " + JoinPath(out, script.picture_name));
    written = false;
  }
  return written;
}

int ExitStatus(const std::vector<Script>& scripts) {
  if (scripts.empty()) return 1;
  for (const Script& script : scripts)
    if (script.row.exit_status != 0) return 1;
  return 0;
}

}  // namespace

int RenderFolder(const RenderOptions& options) {
  const std::string& in = options.script_path;
  const std::string out = options.output_path.value_or(in);
  std::error_code error;
  std::filesystem::create_directories(out, error);
  if (!std::filesystem::is_directory(out)) {
    Say("cannot make the folder " + out);
    return 2;
  }
  const std::optional<std::vector<ScriptFile>> files = ListScripts(in);
  QTemporaryDir work;
  if (!files || !work.isValid()) {
    Say(files ? "cannot make a temporary folder" : "cannot read the folder " + in);
    return 2;
  }
  if (files->empty()) Say("no .dvg scripts in " + in);
  std::vector<Script> scripts;
  const std::vector<std::string> pictures =
      PictureNames(*files, options.svg_in_folder ? ".svg" : ".png");
  for (size_t i = 0; i < files->size(); ++i) {
    scripts.push_back({(*files)[i], pictures[i], {}, {}, false});
    scripts.back().row.shown = (*files)[i].shown;
  }
  std::optional<QImage> target;
  if (options.reference && !(target = LoadReference(options, work))) return 2;
  RunScripts(options, in, out, work, scripts);
  if (target) {
    for (Script& script : scripts) {
      if (!script.image.isNull()) script.row.score = MatchScore(script.image, *target);
    }
  }
  if (!WriteOutputs(options, out, scripts)) return 2;
  return ExitStatus(scripts);
}

}  // namespace dravel
