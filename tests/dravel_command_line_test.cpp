// The dravel program's command line: help, version and refusals are answered
// before any window exists, so they work without a display.
#include <gtest/gtest.h>

#include <string>

#include "support/render_process.h"

namespace dravel::testing {
namespace {

// Runs dravel with `arguments` (shell words) and `redirect` (which stream the
// pipe gets). A platform Qt cannot load makes the program abort should it get
// as far as the window.
Result RunDravel(const std::string& arguments, const char* redirect) {
  return RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=no-display " +
                    std::string(DRAVEL_APP) + " " + arguments + " " + redirect);
}

TEST(DravelCommandLine, AnswersWithoutAWindow) {
  const std::string version = "dravel " DRAVEL_VERSION "\n";
  const std::string usage = "Usage: dravel [FILE.dvg]\n";
  const struct {
    const char* arguments;
    int status;
    std::string out_starts;
    std::string err_starts;
  } kCases[] = {
      {"--help", 0, usage, ""},
      {"-h", 0, usage, ""},
      {"--help --bogus", 0, usage, ""},  // answered at the first word that asks
      {"--version", 0, version, ""},
      {"-v", 0, version, ""},
      {"--bogus", 2, "", "dravel: unknown option: --bogus\n" + usage},
      {"-", 2, "", "dravel: unknown option: -\n" + usage},
      {"a.dvg --help", 0, usage, ""},
      {"a.dvg b.dvg", 2, "", "dravel: more than one file: b.dvg\n" + usage},
      {"-- --help b.dvg", 2, "", "dravel: more than one file: b.dvg\n" + usage},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.arguments);
    const Result out = RunDravel(c.arguments, "2>/dev/null");
    const Result err = RunDravel(c.arguments, "2>&1 >/dev/null");
    EXPECT_EQ(out.status, c.status);
    EXPECT_EQ(err.status, c.status);
    EXPECT_TRUE(out.out.starts_with(c.out_starts)) << out.out;
    EXPECT_EQ(out.out.empty(), c.out_starts.empty()) << out.out;
    EXPECT_TRUE(err.out.starts_with(c.err_starts)) << err.out;
    EXPECT_EQ(err.out.empty(), c.err_starts.empty()) << err.out;
  }
}

}  // namespace
}  // namespace dravel::testing
