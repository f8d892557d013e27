// The scene a command's example line is drawn in for the command reference:
// where the line alone shows little (a turn at home, a pen lifted without a
// move) or reads badly (a text written upwards, under the turtle), lines run
// before and after it. The window's reference, the page's F1 and the page's
// guide draw the same scenes; cropping the picture is the canvas's business
// (canvas/picture_crop.h).
#pragma once

#include <optional>

#include "interpreter/command_table.h"

namespace dravel {

struct ExampleScene {
  Text gbk_script;      // CR LF line ends
  bool turtle = false;  // the turtle is what changed: its picture shows it
};

// Nullopt for the rows whose example draws nothing (延时, 停止, 次数).
std::optional<ExampleScene> SceneOf(const CommandRow& row);

}  // namespace dravel
