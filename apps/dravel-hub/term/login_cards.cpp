#include "apps/dravel-hub/term/login_cards.h"

#include "runtime/markup_text.h"

namespace dravel::hub {
namespace {

// Two columns of four cards fill an A4 sheet inside its margins.
constexpr char kStyle[] = R"(<style>
@page { size: A4; margin: 10mm; }
body { font-family: "Noto Sans CJK SC", "Microsoft YaHei", sans-serif; margin: 0; color: #000; }
h1 { font-size: 18px; margin: 8px 0; }
.cards { display: grid; grid-template-columns: 1fr 1fr; gap: 4mm; }
.card { border: 1px dashed #555; height: 62mm; box-sizing: border-box; padding: 5mm;
        break-inside: avoid; page-break-inside: avoid; display: flex; flex-direction: column;
        justify-content: space-between; }
.class { font-size: 14px; color: #333; }
.name { font-size: 24px; font-weight: bold; }
.row { font-size: 15px; }
.code { font-family: "DejaVu Sans Mono", monospace; font-size: 22px; letter-spacing: 2px; }
@media print { h1 { display: none; } }
</style>)";

std::string Card(const ClassRecord& class_record, const PupilRecord& pupil) {
  return "<div class=\"card\"><div class=\"class\">" + MarkupText(class_record.name) +
         " · 加入码 <span class=\"code\">" + MarkupText(class_record.join_code) +
         "</span></div>\n<div class=\"name\">" + MarkupText(pupil.name) +
         "</div>\n<div class=\"row\">学号：" + MarkupText(pupil.number) +
         "</div>\n<div class=\"row\">个人码：<span class=\"code\">" + MarkupText(pupil.code) +
         "</span></div></div>\n";
}

}  // namespace

std::string LoginCardsPage(const ClassRecord& class_record,
                           const std::vector<PupilRecord>& pupils) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
      MarkupText(class_record.name) + " 登录卡</title>\n" + kStyle + "\n</head>\n<body>\n<h1>" +
      MarkupText(class_record.name) + " 登录卡（" + std::to_string(pupils.size()) +
      " 张）</h1>\n<div class=\"cards\">\n";
  for (const PupilRecord& pupil : pupils) page += Card(class_record, pupil);
  return page + "</div>\n</body>\n</html>\n";
}

}  // namespace dravel::hub
