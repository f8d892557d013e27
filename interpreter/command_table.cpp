#include "interpreter/command_table.h"

#include <cassert>
#include <iterator>
#include <vector>

#include "runtime/system_text.h"

namespace dravel {
namespace {

using enum CommandAction;
using S = ArgumentShape;

// A row as written here: texts in UTF-8.
struct RowSource {
  std::string_view keyword;
  std::string_view alias;
  int least_words;
  ArgumentShape shape;
  CommandAction action;
  CommandHelp help;
};

// Qt's translation tools find the help texts by this mark; the window
// translates them in the context "CommandHelp". No Qt is needed here.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif
#define DRAVEL_HELP(syntax, meaning, example)                                                    \
  CommandHelp {                                                                                  \
    QT_TRANSLATE_NOOP("CommandHelp", syntax), QT_TRANSLATE_NOOP("CommandHelp", meaning), example \
  }

constexpr RowSource kTable[] = {
    {"前进", "go", 2, S::kNumber, kForward,
     DRAVEL_HELP("前进 距离", "海龟向前走指定的距离（像素）；落笔时画出线条。", "前进 100")},
    {"后退", "back", 2, S::kNumber, kBack,
     DRAVEL_HELP("后退 距离", "海龟向后退指定的距离，方向不变。", "后退 50")},
    {"左转", "left", 2, S::kNumber, kTurnLeft,
     DRAVEL_HELP("左转 角度", "海龟原地向左转指定的角度（度）。", "左转 90")},
    {"右转", "right", 2, S::kNumber, kTurnRight,
     DRAVEL_HELP("右转 角度", "海龟原地向右转指定的角度（度）。", "右转 90")},
    {"回家", "home", 1, S::kNone, kHome,
     DRAVEL_HELP("回家", "海龟回到画布中央，面朝上方；落笔时画出回家的线。", "回家")},
    {"重复", "repeat", 3, S::kRepeat, kRepeat,
     DRAVEL_HELP("重复 次数 【命令|命令】",
                 "把方括号里用“|”隔开的命令重复执行指定的次数；方括号不能嵌套。",
                 "重复 4 【前进 80|右转 90】")},
    {"清屏", "cls", 1, S::kNone, kClear,
     DRAVEL_HELP("清屏", "擦掉画布上画的所有内容，海龟回到中央。", "清屏")},
    {"停止", "stop", 1, S::kNone, kStop,
     DRAVEL_HELP("停止", "在这一行停止调试；编译时会被去掉。", "停止")},
    {"画圆", "circle", 2, S::kNumber, kCircle,
     DRAVEL_HELP("画圆 半径", "以海龟为圆心画一个圆，海龟不动。", "画圆 60")},
    {"抬笔", "lift", 1, S::kNone, kPenUp,
     DRAVEL_HELP("抬笔", "抬起画笔：之后海龟移动时不画线。", "抬笔")},
    {"落笔", "fall", 1, S::kNone, kPenDown,
     DRAVEL_HELP("落笔", "放下画笔：之后海龟移动时画线。", "落笔")},
    {"延时", "sleep", 2, S::kInteger, kDelay,
     DRAVEL_HELP("延时 毫秒", "等待指定的毫秒数再执行下一行。", "延时 500")},
    {"画椭圆", "oval", 3, S::kTwoNumbers, kEllipse,
     DRAVEL_HELP("画椭圆 横半径 竖半径",
                 "以海龟为中心画一个椭圆：竖半径顺着海龟的方向，横半径与之垂直。", "画椭圆 80 40")},
    {"画矩形", "rectangle", 3, S::kTwoNumbers, kRectangle,
     DRAVEL_HELP("画矩形 长 宽",
                 "以海龟为中心画一个矩形：长顺着海龟的方向，宽与之垂直；画完后落笔。",
                 "画矩形 120 60")},
    {"置横坐标", "setx", 2, S::kNumber, kSetX,
     DRAVEL_HELP("置横坐标 x", "把海龟移到横坐标 x，竖坐标不变；落笔时画线。", "置横坐标 100")},
    {"置竖坐标", "sety", 2, S::kNumber, kSetY,
     DRAVEL_HELP("置竖坐标 y", "把海龟移到竖坐标 y，横坐标不变；落笔时画线。", "置竖坐标 80")},
    {"置坐标", "setxy", 3, S::kTwoNumbers, kSetXY,
     DRAVEL_HELP("置坐标 x y", "把海龟移到坐标 (x, y)；落笔时画线。", "置坐标 100 50")},
    {"显示", "show", 1, S::kNone, kShow, DRAVEL_HELP("显示", "显示海龟。", "显示")},
    {"隐藏", "hide", 1, S::kNone, kHide, DRAVEL_HELP("隐藏", "隐藏海龟，画线照常。", "隐藏")},
    {"写文字", "settext", 2, S::kWord, kWriteText,
     DRAVEL_HELP("写文字 文字", "在海龟所在处顺着海龟的方向写一段文字（不能含空格）。",
                 "写文字 你好")},
    {"画正多边形", "rectlot", 3, S::kPolygon, kPolygon,
     DRAVEL_HELP("画正多边形 n 边长",
                 "走 n 段给定长度的线，每段后左转 180 − 180/n 度（不是外角 360/n）："
                 "n 为 5 时画出五角星，n 为 3 时画出正三角形。",
                 "画正多边形 5 100")},
};

// RowOf finds a row at its action's place, so each action has one row, in
// the enum's order.
constexpr bool RowsFollowTheActions() {
  for (size_t i = 0; i < std::size(kTable); ++i) {
    if (kTable[i].action != static_cast<CommandAction>(i)) return false;
  }
  return std::size(kTable) == static_cast<size_t>(kCount);
}
static_assert(RowsFollowTheActions());

constexpr RowSource kCountSource = {
    "次数", "count",
    2,      S::kInteger,
    kCount, DRAVEL_HELP("次数 数目", "整个程序执行的次数（写在任意一行，取第一个）。", "次数 3")};

#undef DRAVEL_HELP

CommandRow MakeRow(const RowSource& source) {
  const Text keyword = SystemText(source.keyword);
  // A row that needs words reports a line with too few.
  Text message;
  if (source.least_words > 1) message = SystemText("行命令 ") + keyword + SystemText(" 错误！\r\n");
  return {keyword,      Text(source.alias), source.least_words, message,
          source.shape, source.action,      source.help};
}

// The rows in GBK, made once on first use.
struct Rows {
  Rows() : count(MakeRow(kCountSource)) {
    for (const RowSource& source : kTable) table.push_back(MakeRow(source));
    for (const CommandRow& row : table) all.push_back(&row);
    all.push_back(&count);
  }
  std::vector<CommandRow> table;
  CommandRow count;
  std::vector<const CommandRow*> all;
};

const Rows& TheRows() {
  static const Rows rows;
  return rows;
}

}  // namespace

std::span<const CommandRow> CommandTable() { return TheRows().table; }

const CommandRow& CountCommand() { return TheRows().count; }

std::span<const CommandRow* const> AllCommands() { return TheRows().all; }

const CommandRow* FindCommand(std::string_view word) {
  for (const CommandRow& row : CommandTable()) {
    if (word == row.keyword || word == row.alias) return &row;
  }
  return nullptr;
}

const CommandRow* FindAnyCommand(std::string_view word) {
  if (const CommandRow* row = FindCommand(word)) return row;
  const CommandRow& count = CountCommand();
  return word == count.keyword || word == count.alias ? &count : nullptr;
}

const CommandRow& RowOf(CommandAction action) {
  if (action == kCount) return CountCommand();
  const auto index = static_cast<size_t>(action);
  assert(index < CommandTable().size() && CommandTable()[index].action == action);
  return CommandTable()[index];
}

}  // namespace dravel
