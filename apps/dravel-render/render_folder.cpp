#include "apps/dravel-render/render_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <iostream>
#include <vector>

#include "apps/dravel-render/contact_sheet.h"
#include "apps/dravel-render/render_run.h"
#include "canvas/picture_export.h"
#include "interpreter/command_list.h"
#include "interpreter/messages.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

struct ScriptReport {
  QString name;
  QString picture_name;
  int exit_status = 2;
  std::string result = "unreadable";
  Text last_line;
  QImage picture;
};

std::string Path(const QString& path) { return QFile::encodeName(path).toStdString(); }

QStringList ScriptNames(const QDir& folder) {
  // Without QDir::CaseSensitive the pattern matches .DVG too. System entries
  // (a pipe, a broken link) are listed too, so they show as unreadable.
  return folder.entryList({"*.dvg"}, QDir::Files | QDir::System, QDir::Name);
}

// Each script's picture name: its base name, or its whole name where two
// scripts share a base name (a.dvg and a.DVG), so neither overwrites the other.
QStringList PictureNames(const QStringList& scripts, const QString& extension) {
  QStringList bases;
  for (const QString& name : scripts) bases << QFileInfo(name).completeBaseName();
  QStringList names;
  for (qsizetype i = 0; i < scripts.size(); ++i)
    names << (bases.count(bases[i]) > 1 ? scripts[i] : bases[i]) + extension;
  return names;
}

// A name as one summary field: a tab, a line break or a backslash in it is
// written as \t, \n, \r or \\.
std::string SummaryField(const std::string& name) {
  std::string field;
  for (char c : name) {
    switch (c) {
      case '\t': field += "\\t"; break;
      case '\n': field += "\\n"; break;
      case '\r': field += "\\r"; break;
      case '\\': field += "\\\\"; break;
      default: field += c;
    }
  }
  return field;
}

std::string ResultOf(const RunOutcome& outcome) {
  if (outcome.exit_status == 0) return "ok";
  return outcome.stopped ? "timeout" : "failed";
}

// Runs one script and writes its picture; false when the picture could not
// be written.
bool RenderOne(const RenderOptions& options, const QDir& in, const QDir& out,
               ScriptReport& report) {
  const FileReadResult read = TryReadFileBytes(Path(in.filePath(report.name)));
  if (!read.Ok()) return true;
  const std::string bytes(read.bytes.begin(), read.bytes.end());
  const Text script = ScriptOf(bytes, options.encoding);
  CanvasCore canvas(options.width, options.height);
  SetUpCanvas(canvas, options.edge_mode);
  const double seconds = options.timeout_seconds.value_or(kFolderTimeoutSeconds);
  const RunOutcome outcome = RunOnCanvas(
      options, script, canvas, std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000)));
  report.exit_status = outcome.exit_status;
  report.result = ResultOf(outcome);
  report.last_line = LastHintLine(outcome.hint);
  if (options.contact_sheet) {
    const QImage image = options.paint_turtles ? canvas.Paint() : canvas.VisibleLayer();
    report.picture = image.scaledToWidth(kThumbnailWidth, Qt::SmoothTransformation);
  }
  const PictureFormat format = options.svg_in_folder ? PictureFormat::Svg : PictureFormat::Png;
  const std::string path = Path(out.filePath(report.picture_name));
  if (WritePictureFile(path, PictureBytes(canvas, format, options.paint_turtles)).Ok()) return true;
  std::cerr << "dravel-render: cannot write " << path << "\n";
  return false;
}

std::string SummaryLine(const ScriptReport& report, bool gbk) {
  const std::string utf8_name = SummaryField(report.name.toStdString());
  const std::string name = gbk ? Utf8ToGbk(utf8_name) : utf8_name;
  const Text last = gbk ? report.last_line : GbkToUtf8(report.last_line);
  return name + "\t" + std::to_string(report.exit_status) + "\t" + report.result + "\t" + last +
         "\n";
}

bool WriteSummary(const std::vector<ScriptReport>& reports, const QDir& out, bool gbk) {
  std::string summary = "script\texit\tresult\tlast message\n";
  for (const ScriptReport& report : reports) summary += SummaryLine(report, gbk);
  std::cout << summary;
  const std::string path = Path(out.filePath(kSummaryFileName));
  const auto* bytes = reinterpret_cast<const uint8_t*>(summary.data());
  if (TryWriteFileBytes(path, std::span(bytes, summary.size())).Ok()) return true;
  std::cerr << "dravel-render: cannot write " << path << "\n";
  return false;
}

bool WriteSheet(const std::vector<ScriptReport>& reports, const std::string& path) {
  std::vector<SheetEntry> entries;
  for (const ScriptReport& report : reports) {
    if (entries.size() == kMaxSheetEntries) break;
    const QString problem =
        report.result == "ok" ? QString() : QString::fromStdString(report.result);
    entries.push_back({report.name, report.picture, problem});
  }
  if (reports.size() > kMaxSheetEntries)
    std::cerr << "dravel-render: the contact sheet shows the first " << kMaxSheetEntries
              << " scripts\n";
  if (WritePictureFile(path, PngBytes(ContactSheet(entries))).Ok()) return true;
  std::cerr << "dravel-render: cannot write " << path << "\n";
  return false;
}

}  // namespace

int RenderFolder(const RenderOptions& options) {
  const QDir in(QFile::decodeName(options.script_path.c_str()));
  const QDir out(options.output_path ? QFile::decodeName(options.output_path->c_str()) : in.path());
  if (!out.exists()) {
    std::cerr << "dravel-render: no such folder " << out.path().toStdString() << "\n";
    return 2;
  }
  bool written = true;
  std::vector<ScriptReport> reports;
  const QStringList names = ScriptNames(in);
  const QStringList pictures = PictureNames(names, options.svg_in_folder ? ".svg" : ".png");
  for (qsizetype i = 0; i < names.size(); ++i) {
    reports.push_back({names[i], pictures[i], 2, "unreadable", {}, {}});
    written = RenderOne(options, in, out, reports.back()) && written;
    if (reports.size() > kMaxSheetEntries) reports.back().picture = {};
  }
  written = WriteSummary(reports, out, options.gbk_output) && written;
  if (options.contact_sheet) written = WriteSheet(reports, *options.contact_sheet) && written;
  if (!written) return 2;
  for (const ScriptReport& report : reports)
    if (report.exit_status != 0) return 1;
  return 0;
}

}  // namespace dravel
