// The hint messages that name a script line, as the window's and the page's
// clicks on the hint box read them.
#include "interpreter/message_line.h"

#include <gtest/gtest.h>

#include "support/gbk_literals.h"

namespace dravel {
namespace {

using testing::Gbk;

TEST(ScriptLineOfMessage, ReadsTheLineOfFailuresAndStopsOnly) {
  const struct {
    const char* message;
    int line;
  } cases[] = {
      {"第3行命令 前进 错误！", 3},
      {"第12行存在无法识别的命令！", 12},
      {"已被第7行 停止 命令停止调试！", 7},
      {"第1次：执行命令完毕！", 0},
      {"第行存在无法识别的命令！", 0},
      {"第3", 0},
      {"提示信息：", 0},
      {" 第3行命令 前进 错误！", 0},
      {"第1234567890行存在无法识别的命令！", 0},
  };
  for (const auto& [message, line] : cases) {
    SCOPED_TRACE(message);
    EXPECT_EQ(ScriptLineOfMessage(Gbk(message)), line);
  }
}

}  // namespace
}  // namespace dravel
