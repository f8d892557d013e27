#include "interpreter/example_scene.h"

#include <string>

#include "runtime/system_text.h"

namespace dravel {
namespace {

struct Scene {
  CommandAction action;
  const char* before;
  const char* after;
  bool turtle;
};
constexpr Scene kScenes[] = {
    {CommandAction::kForward, "", "", true},
    {CommandAction::kBack, "", "", true},
    {CommandAction::kTurnLeft, "前进 30", "", true},
    {CommandAction::kTurnRight, "前进 30", "", true},
    {CommandAction::kHome, "抬笔\r\n置坐标 90 50\r\n落笔\r\n右转 120", "", true},
    {CommandAction::kClear, "前进 50", "", true},
    {CommandAction::kPenUp, "右转 90\r\n前进 50", "前进 30\r\n落笔\r\n前进 50", false},
    {CommandAction::kPenDown, "右转 90\r\n前进 50\r\n抬笔\r\n前进 30", "前进 50", false},
    {CommandAction::kShow, "隐藏\r\n前进 50", "", true},
    {CommandAction::kHide, "前进 50", "", true},
    {CommandAction::kWriteText, "右转 90", "隐藏", false},
};

}  // namespace

std::optional<ExampleScene> SceneOf(const CommandRow& row) {
  if (row.action == CommandAction::kDelay || row.action == CommandAction::kStop ||
      row.action == CommandAction::kCount) {
    return std::nullopt;
  }
  std::string script(row.help.example);
  bool turtle = false;
  for (const Scene& scene : kScenes) {
    if (scene.action != row.action) continue;
    if (*scene.before != '\0') script = scene.before + ("\r\n" + script);
    if (*scene.after != '\0') script += "\r\n" + std::string(scene.after);
    turtle = scene.turtle;
  }
  return ExampleScene{SystemText(script), turtle};
}

}  // namespace dravel
