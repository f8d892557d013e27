// Every script in data/language run as the run button runs it: read as the
// open command reads a file, one run with a run count box of "1", compared
// with the hint text and the turtle operations stored beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "interpreter/command_list.h"
#include "interpreter/run_driver.h"
#include "support/host_fakes.h"
#include "support/turtle_fakes.h"

namespace dravel {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::string WithLf(std::string text) {
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
    text.erase(at, 1);
  }
  return text;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(ScriptCases, LeaveTheStoredHintAndTurtleCalls) {
  const fs::path folder = fs::path(DRAVEL_TEST_DATA) / "language";
  int count = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".dvg") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++count;
    testing::RecordingTurtle turtle;
    testing::RecordingHost host(ScriptFromFileBytes(std::string_view(ReadAll(entry.path()))));
    RunContext context{turtle, host, {}};
    RunScript({host.EditorText(), host.RunCountText()}, context);
    fs::path expected = entry.path();
    EXPECT_EQ(WithLf(host.HintUtf8()), ReadAll(expected.replace_extension(".hint")));
    EXPECT_EQ(JoinLines(turtle.Calls()), ReadAll(expected.replace_extension(".turtle")));
    EXPECT_TRUE(host.RunButtonEnabled());
  }
  EXPECT_GT(count, 10);
}

}  // namespace
}  // namespace dravel
