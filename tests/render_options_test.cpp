// dravel-render's command line, which the web edition's node command reads
// with the same parser, and a run given no time at all.
#include "apps/dravel-render/render_options.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "apps/dravel-render/render_run.h"
#include "interpreter/messages.h"

namespace dravel {
namespace {

ParsedCommandLine WithTimeout(const char* text) {
  const char* argv[] = {"dravel-render", "--timeout", text, "a.dvg"};
  return ParseRenderOptions(4, argv);
}

TEST(RenderOptions, ReadsATimeoutAlikeInEveryBuild) {
  // Whole milliseconds, rounded down; too small for a double is 0.
  const std::pair<const char*, int64_t> accepted[] = {{"0", 0},
                                                      {"1.5", 1500},
                                                      {".25", 250},
                                                      {"5.", 5000},
                                                      {"1e3", 1000000},
                                                      {"1E+2", 100000},
                                                      {"0.0009", 0},
                                                      {"1e-999", 0},
                                                      {"0.00000000000000000001", 0},
                                                      {"1000000", 1000000000}};
  for (const auto& [text, milliseconds] : accepted) {
    SCOPED_TRACE(text);
    const ParsedCommandLine parsed = WithTimeout(text);
    ASSERT_TRUE(std::holds_alternative<RenderOptions>(parsed));
    EXPECT_EQ(TimeoutOf(std::get<RenderOptions>(parsed)), std::chrono::milliseconds(milliseconds));
  }
  // A single script used to run for ever when not told.
  const char* argv[] = {"dravel-render", "a.dvg"};
  EXPECT_EQ(TimeoutOf(std::get<RenderOptions>(ParseRenderOptions(2, argv))),
            std::chrono::seconds(10));
  const char* refused[] = {"1000000.5", "1e999", "-1", "-0", "+1", "nan", "inf",
                           "infinity",  "0x10",  " 1", "1e", ".",  "",    "1s"};
  for (const char* text : refused) {
    SCOPED_TRACE(text);
    const ParsedCommandLine parsed = WithTimeout(text);
    ASSERT_TRUE(std::holds_alternative<UsageError>(parsed));
    EXPECT_EQ(std::get<UsageError>(parsed).message,
              "bad value for --timeout: " + std::string(text) + " (seconds, from 0 to 1000000)");
  }
}

ParsedCommandLine Parse(std::vector<std::string> arguments) {
  std::vector<const char*> argv = {"dravel-render"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  return ParseRenderOptions(int(argv.size()), argv.data());
}

// Each option is refused in a mode it is not for, where it used to be
// silently ignored; the same option is taken where it applies.
TEST(RenderOptions, RefusesAnOptionInAModeItIsNotFor) {
  const std::string script = DRAVEL_TEST_DATA "/render/square.dvg";
  const std::string folder = DRAVEL_TEST_DATA "/class";
  const struct {
    std::vector<std::string> arguments;
    const char* refusal;  // nullptr: taken
    RunMode mode;
  } cases[] = {
      {{"--jobs", "2", script}, "--jobs does not apply to a single SCRIPT", kScript},
      {{"--jobs", "2", folder}, nullptr, kFolder},
      {{"--sort", "score", script}, "--sort does not apply to a single SCRIPT", kScript},
      {{"--format", "svg", script}, "--format does not apply to a single SCRIPT", kScript},
      {{"--keep-delays", script}, "--keep-delays does not apply to a single SCRIPT", kScript},
      {{"--contact-sheet", "s.png", script},
       "--contact-sheet does not apply to a single SCRIPT",
       kScript},
      {{"--memory-limit", "512", script}, nullptr, kScript},
      {{"--state", folder}, "--state does not apply to a FOLDER", kFolder},
      {{"--reference", "r.png", "--overlay", "o.png", folder},
       "--overlay does not apply to a FOLDER",
       kFolder},
      {{"--check", "--turtle", script}, "--turtle does not apply to --check", kCheck},
      {{"--check", "--gbk", "--timeout", "1", folder}, nullptr, kCheck},
      {{"--merge", "out", "--jobs", "2", "s.csv"}, "--jobs does not apply to --merge", kMerge},
      {{"--merge", "out", "--gbk", "--overwrite", "s.csv"}, nullptr, kMerge},
      {{"--batch-child", "r", "--sort", "name", script},
       "--sort does not apply to a folder run's script process",
       kChild},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.front() + " " + c.arguments[1]);
    const ParsedCommandLine parsed = Parse(c.arguments);
    if (c.refusal) {
      ASSERT_TRUE(std::holds_alternative<UsageError>(parsed));
      EXPECT_EQ(std::get<UsageError>(parsed).message, c.refusal);
    } else {
      ASSERT_TRUE(std::holds_alternative<RenderOptions>(parsed));
      EXPECT_EQ(std::get<RenderOptions>(parsed).mode, c.mode);
    }
  }
}

// A folder run's child reads back every setting it is given, whatever it is.
TEST(RenderOptions, AChildsArgumentsReadBackToItsOptions) {
  RenderOptions plain;
  plain.script_path = "-script.dvg";  // after "--", not an option
  plain.batch_report = "work/0.report";
  RenderOptions full = plain;
  full.output_path = "out/a b.png";
  full.paint_turtles = true;
  full.run_count = "-3";
  full.width = 100;
  full.height = 8192;
  full.edge_mode = EdgeMode::Unbounded;
  full.pen_width = 50;
  full.encoding = ScriptEncoding::kUtf8;
  full.encoding_given = true;
  full.timeout_seconds = 0.1;
  full.keep_delays = true;
  full.references = {"r1.png", "r2.png"};
  full.match = MatchMode::kAnySize;
  full.overlay_path = "out/a-overlay.png";
  full.memory_limit_mb = 64;
  full.batch_image = "work/0.png";
  RenderOptions no_delay = plain;
  no_delay.keep_delays = false;
  no_delay.encoding_given = true;  // auto, said
  no_delay.timeout_seconds = 0;
  for (RenderOptions child : {plain, full, no_delay}) {
    child.mode = kChild;
    const ParsedCommandLine parsed = Parse(ChildArguments(child));
    ASSERT_TRUE(std::holds_alternative<RenderOptions>(parsed));
    EXPECT_TRUE(std::get<RenderOptions>(parsed) == child);
  }
}

TEST(RunOnCanvas, AZeroTimeoutStopsTheRunBeforeItsFirstCommand) {
  // A run started and stopped at once would now and then get to its end.
  for (int attempt = 0; attempt < 50; ++attempt) {
    SCOPED_TRACE(attempt);
    const std::unique_ptr<CanvasCore> canvas = CanvasCore::Create(100, 100);
    ASSERT_NE(canvas, nullptr);
    SetUpCanvas(*canvas, RenderOptions{}, false, {});
    const RunOutcome outcome =
        RunOnCanvas(RenderOptions{}, "go 10\r\n", *canvas, std::chrono::milliseconds(0), true);
    EXPECT_TRUE(outcome.stopped);
    ASSERT_EQ(outcome.hint, messages::kHintHeader + messages::kRunStopped);
    EXPECT_EQ(canvas->Lock()->StateOf().y, 0);
  }
}

}  // namespace
}  // namespace dravel
