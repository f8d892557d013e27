// dravel-render's command line, which the web edition's node command reads
// with the same parser, and a run given no time at all.
#include "apps/dravel-render/render_options.h"

#include <gtest/gtest.h>

#include <utility>

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

// A second --reference used to replace the first; a folder run's children
// get the run's options as they were given, and only those that set a run up.
TEST(RenderOptions, KeepsEveryReferenceAndPassesTheRunsOptionsOnAsGiven) {
  const char* argv[] = {
      "dravel-render", "--reference", "star.dvg", "--size=100x50", "--jobs", "2",   "--reference",
      "star.png",      "--turtle",    "--match",  "any-size",      "-o",     "out", "class"};
  const ParsedCommandLine parsed = ParseRenderOptions(14, argv);
  ASSERT_TRUE(std::holds_alternative<RenderOptions>(parsed));
  const RenderOptions& options = std::get<RenderOptions>(parsed);
  EXPECT_EQ(options.references, (std::vector<std::string>{"star.dvg", "star.png"}));
  EXPECT_EQ(options.match, MatchMode::kAnySize);
  EXPECT_EQ(options.child_arguments,
            (std::vector<std::string>{"--size", "100x50", "--turtle", "--match", "any-size"}));
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
