#include "apps/dravel-hub/grading/grade_script.h"

#include <cstdio>
#include <filesystem>
#include <span>

#include "apps/dravel-hub/grading/grade_child.h"
#include "apps/dravel-hub/grading/reference_pictures.h"
#include "apps/dravel-render/folder/batch_child.h"
#include "apps/dravel-render/folder/batch_jobs.h"
#include "apps/dravel-render/folder/work_folder.h"
#include "apps/dravel-render/render_options.h"
#include "marking/picture_score.h"
#include "marking/png_reading.h"
#include "marking/script_result.h"
#include "marking/teacher_words.h"
#include "runtime/file_bytes.h"
#include "runtime/gbk_codec.h"

// Why the hub runs itself as the child rather than the installed
// dravel-render beside it: the child is then the folder mode's own child
// (RunBatchChild), linked into the hub, so the scoring, the limits and the
// report it writes are that code's and can never drift from the version the
// hub was built with; the report comes back as a record (script_result.h),
// not as text printed for people; and there is one program to install. The
// scores equal a single script's run: both read the same references as
// pictures of the window's background and match them alike.

namespace dravel::hub {
namespace {

constexpr char kReferenceTeacher[] = "参考答案有误，请老师修改参考答案：";

bool WriteBytes(const std::string& path, std::string_view text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  return TryWriteFileBytes(path, std::span(bytes, text.size()), LinkAtName::kRefuse).Ok();
}

std::string FileText(const std::string& path) {
  const FileReadResult read = TryReadFileBytes(path);
  return read.Ok() ? std::string(read.bytes.begin(), read.bytes.end()) : std::string();
}

// How one child ended and what it left.
struct ChildRun {
  ChildEnd end;
  std::optional<ScriptResult> report;
  std::string errors;  // its standard error
};

// "1.5", "10": for the child's --timeout and for people alike.
std::string Seconds(std::chrono::milliseconds time) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", double(time.count()) / 1000);
  std::string seconds = text;
  seconds.erase(seconds.find_last_not_of('0') + 1);
  if (seconds.ends_with('.')) seconds.pop_back();
  return seconds;
}

// Runs the script `key`.dvg of the work folder with `outputs` (the folder
// mode child's options) under the limits.
ChildRun RunChild(const WorkFolder& work, const std::string& key,
                  const std::vector<std::string>& outputs, const GradeLimits& limits) {
  std::vector<std::string> arguments = {
      kGradeChildFlag,         "--batch-child",  work.In(key + ".report"),        "--timeout",
      Seconds(limits.timeout), "--memory-limit", std::to_string(limits.memory_mb)};
  arguments.insert(arguments.end(), outputs.begin(), outputs.end());
  arguments.insert(arguments.end(), {"--", work.In(key + ".dvg")});
  const ChildJob job{arguments, work.In(key + ".err"), limits.timeout + limits.grace};
  ChildRun run;
  const std::string program = limits.program.empty() ? OwnProgram() : limits.program;
  RunChildren(program, {job}, 1, [&](size_t, const ChildEnd& end) { run.end = end; });
  run.report = ParseResult(FileText(work.In(key + ".report")));
  run.errors = FileText(job.error_file);
  return run;
}

// The last line a child wrote to its standard error, without its program's name.
std::string LastErrorLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const size_t start = text.rfind('\n');
  std::string line = start == std::string::npos ? text : text.substr(start + 1);
  for (std::string_view own : {"dravel-hub: ", "dravel-render: "})
    if (line.starts_with(own)) line.erase(0, own.size());
  return LooksLikeUtf8(line) ? line : GbkToUtf8(line);
}

std::string TimeReason(const GradeLimits& limits) {
  return "超时：运行超过 " + Seconds(limits.timeout) + " 秒的时间限制，已停止";
}

// Why a child that ran its script did not finish it, in Chinese.
std::string EndReason(const ChildRun& run, const GradeLimits& limits) {
  constexpr Language kChinese = Language::kChinese;
  if (run.report) {
    if (run.report->result == "timeout") return TimeReason(limits);
    return std::string(ResultWord(run.report->result, kChinese)) + "：" +
           GbkToUtf8(run.report->last_line);
  }
  if (run.end.killed) return TimeReason(limits);
  if (run.errors.find("bad_alloc") != std::string::npos)
    return "内存不足：运行超过 " + std::to_string(limits.memory_mb) + " MB 的内存限制";
  const std::string status = std::to_string(run.end.status);
  if (!run.end.exited)
    return std::string(WordOf(Word::kCrashed, kChinese)) + "：" +
           SaidText(Said::kEndedBySignal, kChinese, {status});
  const std::string said = LastErrorLine(run.errors);
  return std::string(WordOf(Word::kFailed, kChinese)) + "：" +
         (said.empty() ? SaidText(Said::kEndedWithStatus, kChinese, {status}) : said);
}

GradeOutcome Failed(std::string reason) {
  GradeOutcome outcome;
  outcome.state = HandinState::kFailed;
  outcome.last_message = std::move(reason);
  return outcome;
}

std::string ReferencePng(size_t i) { return "reference-" + std::to_string(i) + ".png"; }

// Runs reference `i` into reference-i.png; why it cannot be a reference
// (the teacher's to fix), nullopt when it can.
std::optional<std::string> RunReference(const WorkFolder& work, size_t i,
                                        const GradeLimits& limits) {
  const std::string key = "reference-" + std::to_string(i);
  const std::string shown = std::to_string(i + 1);
  const ChildRun run = RunChild(work, key, {"-o", work.In(key + ".png")}, limits);
  if (!run.report || run.report->exit_status != 0) {
    const std::string why = run.report ? SaidText(Said::kReferenceUnended, Language::kChinese,
                                                  {shown, GbkToUtf8(run.report->last_line)})
                                       : SaidText(Said::kReferenceCannotRun, Language::kChinese,
                                                  {shown, EndReason(run, limits)});
    return kReferenceTeacher + why;
  }
  const PixelImage picture = ReadPngFile(work.In(key + ".png"));
  const RenderOptions canvas;  // the children's canvas: dravel-render's own size
  if (picture.Empty())
    return kReferenceTeacher + SaidText(Said::kReferenceUnreadable, Language::kChinese, {shown});
  if (const auto fault =
          ReferenceFault(picture, canvas.width, canvas.height, shown, Language::kChinese))
    return kReferenceTeacher + *fault;
  return std::nullopt;
}

// The options scoring the script against the references' pictures.
std::vector<std::string> ScriptOutputs(const WorkFolder& work, size_t references) {
  std::vector<std::string> outputs = {"-o", work.In("picture.png")};
  for (size_t i = 0; i < references; ++i)
    outputs.insert(outputs.end(), {"--reference", work.In(ReferencePng(i))});
  outputs.insert(outputs.end(), {"--overlay", work.In("overlay.png")});
  return outputs;
}

// Puts each reference's picture into the work folder, from `kept` or made by
// running the references (and then kept); why they cannot be references, or
// why the folder cannot take them, nullopt when they are ready.
std::optional<std::string> ReadyReferences(const WorkFolder& work,
                                           const std::vector<std::string>& gbk_references,
                                           const GradeLimits& limits, ReferencePictures& kept) {
  if (const auto pictures = kept.Find(gbk_references)) {
    for (size_t i = 0; i < pictures->size(); ++i)
      if (!WriteBytes(work.In(ReferencePng(i)), (*pictures)[i])) return "无法写入临时文件夹";
    return std::nullopt;
  }
  ReferencePictures::Pictures pictures;
  for (size_t i = 0; i < gbk_references.size(); ++i) {
    if (!WriteBytes(work.In("reference-" + std::to_string(i) + ".dvg"), gbk_references[i]))
      return "无法写入临时文件夹";
    if (auto fault = RunReference(work, i, limits)) return fault;
    pictures.push_back(FileText(work.In(ReferencePng(i))));
  }
  kept.Keep(gbk_references, std::move(pictures));
  return std::nullopt;
}

GradeOutcome GradeIn(const WorkFolder& work, std::string_view gbk_script,
                     const std::vector<std::string>& gbk_references, const GradeLimits& limits,
                     ReferencePictures& kept) {
  if (auto fault = ReadyReferences(work, gbk_references, limits, kept))
    return Failed(std::move(*fault));
  if (!WriteBytes(work.In("script.dvg"), gbk_script)) return Failed("无法写入临时文件夹");
  const ChildRun run = RunChild(work, "script", ScriptOutputs(work, gbk_references.size()), limits);
  GradeOutcome outcome;
  outcome.picture_png = FileText(work.In("picture.png"));
  outcome.overlay_png = FileText(work.In("overlay.png"));
  if (run.report && RanToItsEnd(*run.report) && run.report->score) {
    outcome.state = HandinState::kGraded;
    outcome.score = run.report->score;
    outcome.last_message = GbkToUtf8(run.report->last_line);
  } else {
    outcome.state = HandinState::kFailed;
    // Ran to its end unscored: the references' pictures, checked above, went
    // unread by the child; nothing the pupil did.
    outcome.last_message = run.report && RanToItsEnd(*run.report)
                               ? "评分时出错：无法读取参考答案的图片"
                               : EndReason(run, limits);
  }
  return outcome;
}

}  // namespace

GradeOutcome GradeScript(std::string_view gbk_script,
                         const std::vector<std::string>& gbk_references, const GradeLimits& limits,
                         ReferencePictures& kept) {
  // As the folder mode: a limit no child could start under is said once, not as a crash.
  const int least = LeastChildMemory(RenderOptions{});
  if (limits.memory_mb < least)
    return Failed("评分设置有误：内存限制 " + std::to_string(limits.memory_mb) +
                  " MB 太小，脚本无法运行；最少需要 " + std::to_string(least) + " MB");
  if (gbk_references.empty())
    return Failed(std::string(kReferenceTeacher) + "这个作业没有参考答案");
  const WorkFolder work("dravel-hub", limits.work_root);
  if (!work.Made()) return Failed(SaidText(Said::kNoTemporaryFolder, Language::kChinese, {}));
  try {
    return GradeIn(work, gbk_script, gbk_references, limits, kept);
  } catch (const std::exception&) {
    // The hub's own memory, not the script's: the store keeps the hand-in queued no longer.
    return Failed("评分时出错：服务器内存不足");
  }
}

}  // namespace dravel::hub
