// A run's batched turtle (one hold of the canvas's lock for many operations)
// draws and says exactly what operations taken one by one do: every script in
// tests/data that ends by itself and every workload, pixel for pixel and hint
// for hint.
#include <gtest/gtest.h>

#include <filesystem>

#include "canvas/canvas_core.h"
#include "canvas/window_look.h"
#include "interpreter/run_driver.h"
#include "support/host_fakes.h"
#include "support/script_files.h"

namespace dravel {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<CanvasCore> Canvas() {
  auto canvas = std::make_unique<CanvasCore>(732, 420);
  SetWindowLook(*canvas, EdgeMode::Wrap);
  return canvas;
}

TEST(BatchedPath, DrawsAndSaysWhatOneOperationAtATimeDoes) {
  const std::vector<fs::path> scripts = testing::SharedScripts();
  ASSERT_GT(scripts.size(), 20u);
  for (const fs::path& path : scripts) {
    SCOPED_TRACE(path.string());
    const Text script = testing::FileText(path);

    auto batched = Canvas();
    testing::RecordingHost batched_host(script);
    RunDriver driver(batched_host, *batched);
    driver.SetKeepDelays(false);
    ASSERT_TRUE(driver.StartRun());
    if (!driver.WaitForRun(std::chrono::seconds(5))) {
      driver.StopRun();  // a script made to run until stopped (the timeout cases)
      continue;
    }

    auto single = Canvas();
    testing::RecordingHost single_host(script);
    RunContext context{single->Turtle(), single_host, {}};
    context.keep_delays = false;
    RunScript({script, "1"}, context);

    EXPECT_EQ(batched_host.Hint(), single_host.Hint());
    EXPECT_TRUE(batched->VisibleLayer() == single->VisibleLayer());
    EXPECT_EQ(batched->StateOf().heading, single->StateOf().heading);
  }
}

}  // namespace
}  // namespace dravel
