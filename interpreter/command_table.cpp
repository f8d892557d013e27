#include "interpreter/command_table.h"

#include <array>

namespace dravel {
namespace {

using enum CommandAction;

// "行命令 " + keyword + " 错误！\r\n", spelled out so each row reads as one line.
#define DRAVEL_WRONG(keyword) "\xd0\xd0\xc3\xfc\xc1\xee " keyword " \xb4\xed\xce\xf3\xa3\xa1\r\n"

#define DRAVEL_FORWARD "\xc7\xb0\xbd\xf8"                  // 前进
#define DRAVEL_BACK "\xba\xf3\xcd\xcb"                     // 后退
#define DRAVEL_LEFT "\xd7\xf3\xd7\xaa"                     // 左转
#define DRAVEL_RIGHT "\xd3\xd2\xd7\xaa"                    // 右转
#define DRAVEL_REPEAT "\xd6\xd8\xb8\xb4"                   // 重复
#define DRAVEL_CIRCLE "\xbb\xad\xd4\xb2"                   // 画圆
#define DRAVEL_DELAY "\xd1\xd3\xca\xb1"                    // 延时
#define DRAVEL_ELLIPSE "\xbb\xad\xcd\xd6\xd4\xb2"          // 画椭圆
#define DRAVEL_RECTANGLE "\xbb\xad\xbe\xd8\xd0\xce"        // 画矩形
#define DRAVEL_SET_X "\xd6\xc3\xba\xe1\xd7\xf8\xb1\xea"    // 置横坐标
#define DRAVEL_SET_Y "\xd6\xc3\xca\xfa\xd7\xf8\xb1\xea"    // 置竖坐标
#define DRAVEL_SET_XY "\xd6\xc3\xd7\xf8\xb1\xea"           // 置坐标
#define DRAVEL_WRITE "\xd0\xb4\xce\xc4\xd7\xd6"            // 写文字
#define DRAVEL_POLYGON "\xbb\xad\xd5\xfd\xb6\xe0\xb1\xdf\xd0\xce"  // 画正多边形

constexpr std::array<CommandRow, 21> kCommandTable = {{
    {DRAVEL_FORWARD, "go", 2, DRAVEL_WRONG(DRAVEL_FORWARD), kForward},
    {DRAVEL_BACK, "back", 2, DRAVEL_WRONG(DRAVEL_BACK), kBack},
    {DRAVEL_LEFT, "left", 2, DRAVEL_WRONG(DRAVEL_LEFT), kTurnLeft},
    {DRAVEL_RIGHT, "right", 2, DRAVEL_WRONG(DRAVEL_RIGHT), kTurnRight},
    {"\xbb\xd8\xbc\xd2", "home", 1, "", kHome},  // 回家
    {DRAVEL_REPEAT, "repeat", 3, DRAVEL_WRONG(DRAVEL_REPEAT), kRepeat},
    {"\xc7\xe5\xc6\xc1", "cls", 1, "", kClear},  // 清屏
    {"\xcd\xa3\xd6\xb9", "stop", 1, "", kStop},  // 停止
    {DRAVEL_CIRCLE, "circle", 2, DRAVEL_WRONG(DRAVEL_CIRCLE), kCircle},
    {"\xcc\xa7\xb1\xca", "lift", 1, "", kPenUp},    // 抬笔
    {"\xc2\xe4\xb1\xca", "fall", 1, "", kPenDown},  // 落笔
    {DRAVEL_DELAY, "sleep", 2, DRAVEL_WRONG(DRAVEL_DELAY), kDelay},
    {DRAVEL_ELLIPSE, "oval", 3, DRAVEL_WRONG(DRAVEL_ELLIPSE), kEllipse},
    {DRAVEL_RECTANGLE, "rectangle", 3, DRAVEL_WRONG(DRAVEL_RECTANGLE), kRectangle},
    {DRAVEL_SET_X, "setx", 2, DRAVEL_WRONG(DRAVEL_SET_X), kSetX},
    {DRAVEL_SET_Y, "sety", 2, DRAVEL_WRONG(DRAVEL_SET_Y), kSetY},
    {DRAVEL_SET_XY, "setxy", 3, DRAVEL_WRONG(DRAVEL_SET_XY), kSetXY},
    {"\xcf\xd4\xca\xbe", "show", 1, "", kShow},  // 显示
    {"\xd2\xfe\xb2\xd8", "hide", 1, "", kHide},  // 隐藏
    {DRAVEL_WRITE, "settext", 2, DRAVEL_WRONG(DRAVEL_WRITE), kWriteText},
    {DRAVEL_POLYGON, "rectlot", 3, DRAVEL_WRONG(DRAVEL_POLYGON), kPolygon},
}};

}  // namespace

std::span<const CommandRow> CommandTable() { return kCommandTable; }

const CommandRow* FindCommand(std::string_view word) {
  for (const CommandRow& row : kCommandTable) {
    if (word == row.keyword || word == row.alias) return &row;
  }
  return nullptr;
}

}  // namespace dravel
