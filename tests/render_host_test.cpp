// dravel-render's stand-in for the window: a stopped run says nothing more.
#include "apps/dravel-render/render_host.h"

#include <gtest/gtest.h>

namespace dravel {
namespace {

TEST(RenderHost, AStoppedRunAppendsNothing) {
  RenderHost host("", "1");
  std::stop_source run;
  host.ReplaceHint(run.get_token(), "header\r\n");
  host.UnderEffectsLock([&] { run.request_stop(); });
  host.AppendHint(run.get_token(), "late\r\n");
  host.AppendHint({}, "stopped\r\n");
  EXPECT_EQ(host.Hint(), "header\r\nstopped\r\n");
}

}  // namespace
}  // namespace dravel
