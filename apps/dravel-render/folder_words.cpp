#include "apps/dravel-render/folder_words.h"

#include <cstdlib>

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
    {Word::kOk, "ok", "完成"},
    {Word::kFailed, "failed", "出错"},
    {Word::kTimeout, "timeout", "超时"},
    {Word::kOutOfMemory, "out of memory", "内存不足"},
    {Word::kCrashed, "crashed", "崩溃"},
    {Word::kUnreadable, "unreadable", "无法读取"},
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

}  // namespace dravel
