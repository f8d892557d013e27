#include "marking/report_page.h"

#include <algorithm>
#include <array>
#include <map>

#include "marking/name_looks.h"
#include "marking/teacher_words.h"
#include "runtime/gbk_codec.h"
#include "runtime/markup_text.h"

namespace dravel {
namespace {

constexpr char kStyle[] = R"(<style>
body { font-family: "Noto Sans CJK SC", "Microsoft YaHei", sans-serif; margin: 24px; color: #222; }
h1 { font-size: 22px; margin: 0 0 12px; }
.chart { display: flex; align-items: flex-end; gap: 6px; height: 140px; margin: 8px 0 4px; }
.bar { flex: 1; background: #3a7d44; position: relative; min-height: 1px; }
.bar span { position: absolute; top: -18px; width: 100%; text-align: center; font-size: 12px; }
.axis { display: flex; gap: 6px; font-size: 12px; color: #555; margin-bottom: 20px; }
.axis div { flex: 1; text-align: center; }
.cards { display: grid; grid-template-columns: repeat(auto-fill, minmax(330px, 1fr)); gap: 12px; }
.card { border: 1px solid #ccc; border-radius: 6px; padding: 10px; break-inside: avoid; }
.card h2 { font-size: 16px; margin: 0 0 6px; display: flex; justify-content: space-between; }
.score { color: #0a3d91; }
.bad { color: #b00000; }
.pictures { display: flex; gap: 6px; }
.pictures img { width: 50%; border: 1px solid #ddd; }
.note { font-size: 13px; margin: 4px 0 0; }
.finding { color: #8a4b00; }
@media print { body { margin: 0; } .card { break-inside: avoid; page-break-inside: avoid; } }
</style>)";

// Ten bars of ten points, the last holding 100.
std::string Histogram(const std::vector<const ScriptResult*>& rows) {
  std::array<int, 10> counts{};
  for (const ScriptResult* row : rows)
    if (row->score) ++counts[size_t(std::clamp(int(*row->score / 10), 0, 9))];
  const int most = std::max(1, *std::max_element(counts.begin(), counts.end()));
  std::string bars = "<div class=\"chart\">", axis = "<div class=\"axis\">";
  for (size_t i = 0; i < counts.size(); ++i) {
    bars += "<div class=\"bar\" style=\"height:" + std::to_string(counts[i] * 100 / most) +
            "%\"><span>" + std::to_string(counts[i]) + "</span></div>";
    axis += "<div>" + std::to_string(i * 10) +
            (i == 9 ? "-100" : "-" + std::to_string(i * 10 + 9)) + "</div>";
  }
  return "<h2>全班得分</h2>" + bars + "</div>" + axis + "</div>\n";
}

// A picture's path beside the page ("class/NAME.png" in a parent folder's
// run, "../x/NAME.png" merged) as a link: each name encoded, the slashes kept.
std::string PathLink(const std::string& path) {
  std::string link;
  for (size_t start = 0; start <= path.size();) {
    const size_t slash = std::min(path.find('/', start), path.size());
    // Unreserved bytes only: a link's name is all its own.
    link += PercentEncoded(path.substr(start, slash - start), "-_.~");
    if (slash < path.size()) link += '/';
    start = slash + 1;
  }
  return link;
}

std::string Picture(const std::string& file, const std::string& alt) {
  if (file.empty()) return "";
  return "<img src=\"" + PathLink(file) + "\" alt=\"" + alt + "\">";
}

// Which accepted answer the score is against.
std::string MatchedReference(const ScriptResult& row, const std::vector<std::string>& references) {
  if (!row.score || row.reference >= references.size()) return "";
  return "<p class=\"note\">参考答案：" + MarkupText(references[row.reference]) + "</p>";
}

std::string Card(const ScriptResult& row, const std::vector<std::string>& references) {
  const bool scored = !references.empty();
  const std::string class_name = row.class_name.empty() ? "" : row.class_name + " · ";
  std::string card =
      "<div class=\"card\"><h2><span>" + MarkupText(class_name + row.shown) + "</span>";
  if (scored)
    card += "<span class=\"score\">" + (row.score ? ScoreText(*row.score) : "—") + "</span>";
  card += "</h2>";
  const bool ok = row.result == "ok";
  card += "<p class=\"note" + std::string(ok ? "" : " bad") + "\">结果：" +
          std::string(ResultWord(row.result, Language::kChinese)) +
          (row.place.empty() ? "" : "（" + MarkupText(row.place) + "）") + "</p>";
  card += MatchedReference(row, references);
  card += "<div class=\"pictures\">" + Picture(row.picture_file, "图") +
          Picture(row.overlay_file, "对照") + "</div>";
  if (row.findings > 0) {
    card +=
        "<p class=\"note finding\">检查发现 " + std::to_string(row.findings) + " 处：" +
        MarkupText(FindingWords(row.first_finding_line, row.first_finding, Language::kChinese)) +
        "</p>";
  }
  if (row.copy_group != 0)
    card += "<p class=\"note bad\">与第" + std::to_string(row.copy_group) + "组相同</p>";
  card += "<p class=\"note\">最后的提示：" + MarkupText(GbkToUtf8(row.last_line)) + "</p></div>\n";
  return card;
}

// Each group of copies with its members, once (a group lies in one class).
std::string CopyGroups(const std::vector<const ScriptResult*>& rows) {
  std::map<int, std::string> members;
  for (const ScriptResult* row : rows) {
    if (row->copy_group == 0) continue;
    std::string& names = members[row->copy_group];
    const bool first = names.empty();
    if (first && !row->class_name.empty()) names = MarkupText(row->class_name) + " · ";
    names += (first ? "" : "、") + MarkupText(row->shown);
  }
  if (members.empty()) return "";
  std::string groups = "<h2>相同的脚本</h2>\n";
  for (const auto& [group, names] : members)
    groups += "<p class=\"note bad\">第" + std::to_string(group) + "组：" + names + "</p>\n";
  return groups;
}

}  // namespace

std::string ReportPage(const std::vector<const ScriptResult*>& rows,
                       const std::vector<std::string>& references) {
  const bool scored = !references.empty();
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>全班作业</title>\n" +
      std::string(kStyle) + "\n</head>\n<body>\n<h1>全班作业（" + std::to_string(rows.size()) +
      " 份）</h1>\n";
  if (scored) page += Histogram(rows);
  page += CopyGroups(rows);
  page += "<div class=\"cards\">\n";
  for (const ScriptResult* row : rows) page += Card(*row, references);
  return page + "</div>\n</body>\n</html>\n";
}

}  // namespace dravel
