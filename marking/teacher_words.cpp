#include "marking/teacher_words.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "runtime/file_bytes.h"

namespace dravel {
namespace {

struct WordRow {
  Word word;
  std::string_view english;
  std::string_view chinese;
};

constexpr WordRow kWords[] = {
    {Word::kScript, "script", "脚本"},
    {Word::kExit, "exit", "退出码"},
    {Word::kResult, "result", "结果"},
    {Word::kLastMessage, "last message", "最后的提示"},
    {Word::kWhere, "where", "位置"},
    {Word::kScore, "score", "得分"},
    {Word::kPicture, "picture", "图片"},
    {Word::kReference, "reference", "参考答案"},
    {Word::kFindings, "findings", "检查发现"},
    {Word::kFirstFinding, "first finding", "第一处"},
    {Word::kCopies, "copies", "相同的脚本"},
    {Word::kFile, "file", "文件"},
    {Word::kStatus, "status", "状态"},
    {Word::kLinesDrawn, "lines drawn", "画的线数"},
    {Word::kRunTime, "run time (ms)", "运行时间（毫秒）"},
    {Word::kClass, "class", "班级"},
    {Word::kOk, "ok", "完成"},
    {Word::kFailed, "failed", "出错"},
    {Word::kTimeout, "timeout", "超时"},
    {Word::kOutOfMemory, "out of memory", "内存不足"},
    {Word::kCrashed, "crashed", "崩溃"},
    {Word::kUnreadable, "unreadable", "无法读取"},
};

struct SaidRow {
  Said said;
  std::string_view english;
  std::string_view chinese;
};

constexpr SaidRow kSaid[] = {
    {Said::kUnknownOption, "unknown option {}", "未知的选项 {}"},
    {Said::kNeedsValue, "option {} needs a value", "选项 {} 需要一个值"},
    {Said::kBadValue, "bad value for {}: {}", "{} 的值不对：{}"},
    {Said::kNoScript, "no SCRIPT given", "没有给出脚本（SCRIPT）"},
    {Said::kManyScripts, "more than one SCRIPT given", "给出了不止一个脚本（SCRIPT）"},
    {Said::kOverlayAlone, "--overlay needs --reference", "--overlay 需要和 --reference 一起用"},
    {Said::kNotForScript, "{} does not apply to a single SCRIPT", "{} 不能用于单个脚本（SCRIPT）"},
    {Said::kNotForFolder, "{} does not apply to a FOLDER", "{} 不能用于文件夹（FOLDER）"},
    {Said::kNotForCheck, "{} does not apply to --check", "{} 不能和 --check 一起用"},
    {Said::kNotForChild, "{} does not apply to a folder run's script process",
     "{} 不能用于文件夹运行的脚本进程"},
    {Said::kNotForMerge, "{} does not apply to --merge", "{} 不能和 --merge 一起用"},
    {Said::kMergeNeedsSummaries, "--merge needs OUT and at least one SUMMARY",
     "--merge 需要输出文件夹 OUT 和至少一个汇总 SUMMARY"},
    {Said::kTryHelp, "Try '{} --help'.", "用法见 '{} --help'。"},
    {Said::kCannotRead, "cannot read {}: {}", "无法读取 {}：{}"},
    {Said::kCannotWrite, "cannot write {}", "无法写入 {}"},
    {Said::kCannotWriteWhy, "cannot write {}: {}", "无法写入 {}：{}"},
    {Said::kLeftLink, "left {} alone: it is a symbolic link", "没有写 {}：它是符号链接"},
    {Said::kPicturesAre, "pictures are written as {}", "图片只能写成 {}"},
    {Said::kCannotReadFolder, "cannot read the folder {}", "无法读取文件夹 {}"},
    {Said::kCannotMakeFolder, "cannot make the folder {}", "无法创建文件夹 {}"},
    {Said::kNoTemporaryFolder, "cannot make a temporary folder", "无法创建临时文件夹"},
    {Said::kNoScripts, "no .dvg scripts in {}", "{} 里没有 .dvg 脚本"},
    {Said::kNoClasses, "no .dvg scripts in {} nor in a folder inside it",
     "{} 及其中的文件夹里都没有 .dvg 脚本"},
    {Said::kReferenceMissing, "the reference {} is not there", "参考答案 {} 不存在"},
    {Said::kReferenceCannotRun, "the reference {} cannot be run: {}", "参考答案 {} 无法运行：{}"},
    {Said::kReferenceUnended, "the reference {} does not end with 程序调试完毕！: {}",
     "参考答案 {} 没有以“程序调试完毕！”结束：{}"},
    {Said::kReferenceUnreadable, "cannot read the reference picture {}", "无法读取参考图片 {}"},
    {Said::kReferenceSize, "the reference {} is {}, not the canvas size",
     "参考答案 {} 的大小是 {}，不是画布的大小"},
    {Said::kReferenceBlank, "the reference {} draws nothing", "参考答案 {} 什么也没画"},
    {Said::kSheetShowsFirst, "the contact sheet shows the first {} scripts",
     "缩略图总览只显示前 {} 个脚本"},
    {Said::kCannotDrawSheet, "cannot draw the contact sheet {}", "无法画出缩略图总览 {}"},
    {Said::kMemoryTooSmall,
     "--memory-limit {} is too small for a script to run at {}; the least that works is {}",
     "--memory-limit {} 太小，画布为 {} 时脚本无法运行；最少需要 {}"},
    {Said::kCanvasMemory, "not enough memory for a canvas of {}", "内存不足，无法创建 {} 的画布"},
    {Said::kPictureMemory, "cannot write {}: not enough memory to make the picture",
     "无法写入 {}：内存不足，无法生成图片"},
    {Said::kRanOutOfMemory, "ran out of memory", "内存用完了"},
    {Said::kKilled, "killed: still running after its timeout", "超时后仍在运行，已被终止"},
    {Said::kEndedWithStatus, "ended with status {}", "以状态 {} 结束"},
    {Said::kEndedBySignal, "ended by signal {}", "被信号 {} 终止"},
    {Said::kLine, "line {}", "第{}行"},
    {Said::kLineItem, "line {}, body item {}", "第{}行第{}项"},
    {Said::kNotASummary, "{} is not a summary.csv of dravel-render",
     "{} 不是 dravel-render 写的 summary.csv"},
    {Said::kOr, " or ", " 或 "},
    {Said::kNoOwnFolder, "cannot find the program's own folder", "找不到程序自己所在的文件夹"},
    {Said::kLibraryNowhere, "{} is neither beside the program nor in {}",
     "{} 既不在程序旁边，也不在 {}"},
    {Said::kCannotLoadLibrary, "cannot load the text library: {}", "无法加载文字库：{}"},
    {Said::kLibraryIncomplete, "the text library lacks its functions", "文字库缺少它的函数"},
    {Said::kNoTextFont, "cannot read the text font (looked at {})",
     "无法读取文字的字体（找过 {}）"},
    {Said::kSheetEmpty, "(no .dvg files)", "（没有 .dvg 文件）"},
    {Said::kStoppedRunning,
     "stopped: the script was still being read, prepared or run after its time (--timeout)",
     "已停止：到了时间（--timeout），脚本还在读取、准备或运行"},
    {Said::kStoppedChecking, "stopped: checking {} took longer than --timeout allows",
     "已停止：检查 {} 用的时间超过了 --timeout 允许的"},
    {Said::kInputTooLong, "standard input is too long: over {} bytes, more than the editor opens",
     "标准输入太长：超过 {} 字节，比编辑器能打开的还长"},
    {Said::kTooLong, "too long: over {} bytes, more than the editor opens",
     "太长：超过 {} 字节，比编辑器能打开的还长"},
    {Said::kLinkNotRead, "a symbolic link: not read", "是符号链接：没有读"},
    {Said::kOtherNotRead, "not a regular file: not read", "不是普通文件：没有读"},
    {Said::kInTheWay,
     "{} in the way: not written by an earlier run, so left alone; move it, or give "
     "--overwrite to replace it",
     "{} 挡住了：它不是以前的运行写的，所以没有动它；把它移走，或者给出 --overwrite "
     "替换它"},
    {Said::kManyInTheWay,
     "{} and {} more in the way: not written by an earlier run, so left alone; move them, or "
     "give --overwrite to replace them",
     "{} 和另外 {} 个文件挡住了：它们不是以前的运行写的，所以没有动它们；把它们移走，"
     "或者给出 --overwrite 替换它们"},
    {Said::kWritingInto, "writing into {}", "写到 {}"},
    {Said::kGiveOutput, "give -o for the pictures and summaries of {}",
     "请用 -o 给出 {} 的图片和汇总写到哪里"},
};

}  // namespace

Language LocaleLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    return std::string_view(value).starts_with("zh") ? Language::kChinese : Language::kEnglish;
  }
  return Language::kEnglish;
}

std::string_view WordOf(Word word, Language language) {
  for (const WordRow& row : kWords) {
    if (row.word == word) return language == Language::kChinese ? row.chinese : row.english;
  }
  return {};
}

std::string_view ResultWord(std::string_view result, Language language) {
  for (const Word word : {Word::kOk, Word::kFailed, Word::kTimeout, Word::kOutOfMemory,
                          Word::kCrashed, Word::kUnreadable}) {
    if (WordOf(word, Language::kEnglish) == result) return WordOf(word, language);
  }
  return result;
}

std::string FindingWords(int line, std::string_view what, Language language) {
  if (line == 0) return {};
  const std::string number = std::to_string(line);
  return language == Language::kChinese ? "第" + number + "行：" + std::string(what)
                                        : "line " + number + ": " + std::string(what);
}

std::string SaidText(Said said, Language language, std::initializer_list<std::string_view> values) {
  std::string_view text;
  for (const SaidRow& row : kSaid)
    if (row.said == said) text = language == Language::kChinese ? row.chinese : row.english;
  std::string out;
  const std::string_view* value = values.begin();
  for (size_t at = 0; at < text.size();) {
    const size_t mark = std::min(text.find("{}", at), text.size());
    out += text.substr(at, mark - at);
    if (mark < text.size() && value != values.end()) out += *value++;
    at = mark + 2;
  }
  return out;
}

std::string SaidText(Said said, std::initializer_list<std::string_view> values) {
  return SaidText(said, LocaleLanguage(), values);
}

std::string ErrorWords(int error) {
  static constexpr struct {
    int error;
    std::string_view chinese;
  } kErrors[] = {{ENOENT, "没有这个文件或文件夹"},
                 {EACCES, "没有权限"},
                 {EPERM, "不允许"},
                 {ENOSPC, "磁盘空间不足"},
                 {EISDIR, "这是一个文件夹"},
                 {ENOTDIR, "路径中有一项不是文件夹"},
                 {ENAMETOOLONG, "名字太长"},
                 {ELOOP, "符号链接"},
                 {EINVAL, "不是普通文件"},
                 {EROFS, "只读的文件系统"},
                 {EEXIST, "已经存在"},
                 {EFBIG, "文件太大"}};
  if (LocaleLanguage() == Language::kChinese) {
    for (const auto& row : kErrors)
      if (row.error == error) return std::string(row.chinese);
  }
  return FileErrorText(error);
}

}  // namespace dravel
