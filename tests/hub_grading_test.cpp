// The hub's grader end to end: real children (this binary in its grading
// mode, as the hub runs itself), scores compared with dravel-render's own.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "apps/dravel-hub/grading/grade_child.h"
#include "apps/dravel-hub/grading/grade_script.h"
#include "apps/dravel-hub/grading/reference_pictures.h"
#include "marking/script_result.h"
#include "runtime/sanitized_build.h"
#include "support/gbk_literals.h"
#include "support/render_process.h"

namespace dravel::hub {
namespace {

using dravel::testing::Gbk;
namespace fs = std::filesystem;

constexpr char kSquare[] = "重复 4 【前进 100|左转 90】\r\n";
constexpr char kSmallSquare[] = "重复 4 【前进 80|左转 90】\r\n";
constexpr char kPngSignature[] = "\x89PNG";

// Every grading's temporary folder goes into a folder of the test's own,
// which must be empty again after each.
class Grader : public ::testing::Test {
 protected:
  void SetUp() override {
    tmp_ = fs::temp_directory_path() / ("hub-grading-" + std::to_string(getpid()));
    fs::create_directories(tmp_);
    setenv("TMPDIR", tmp_.c_str(), 1);
  }
  void TearDown() override {
    EXPECT_TRUE(fs::is_empty(tmp_)) << "a grading left its files";
    unsetenv("TMPDIR");
    fs::remove_all(tmp_);
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const fs::path path = tmp_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.native();
  }
  fs::path tmp_;
  ReferencePictures kept_;
};

GradeLimits Quick() {
  GradeLimits limits;
  limits.timeout = std::chrono::milliseconds(1500);
  return limits;
}

TEST_F(Grader, ScoresAsDravelRenderDoes) {
  const struct {
    const char* what;
    const char* script;
    const char* last_message;
  } cases[] = {
      {"the answer itself", kSquare, "程序调试完毕！"},
      {"a part of it", "前进 100\r\n左转 90\r\n前进 100\r\n", "程序调试完毕！"},
      {"a failing line, run to its end", "前进 100\r\n乱写一行\r\n", ""},
  };
  const std::vector<std::string> references = {Gbk(kSmallSquare), Gbk(kSquare)};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const GradeOutcome outcome = GradeScript(Gbk(c.script), references, Quick(), kept_);
    ASSERT_EQ(outcome.state, HandinState::kGraded) << outcome.last_message;
    ASSERT_TRUE(outcome.score);
    if (*c.last_message) {
      EXPECT_EQ(outcome.last_message, c.last_message);
    }
    EXPECT_TRUE(outcome.picture_png.starts_with(kPngSignature));
    EXPECT_TRUE(outcome.overlay_png.starts_with(kPngSignature));

    const std::string script = Write("script.dvg", Gbk(c.script));
    const std::string small = Write("small.dvg", references[0]);
    const std::string big = Write("big.dvg", references[1]);
    const Result rendered =
        Render("--no-delay --reference " + small + " --reference " + big + " " + script);
    fs::remove(script), fs::remove(small), fs::remove(big);
    EXPECT_NE(rendered.out.find("得分 " + ScoreText(*outcome.score) + "\n"), std::string::npos)
        << rendered.out;
  }
}

TEST_F(Grader, AScriptPastItsLimitsFailsWithTheLimitsReason) {
  const struct {
    const char* what;
    std::string script;
    int memory_mb;
    const char* reason;
    // Reading 120 MB takes more than the quick limit on a loaded machine,
    // and the memory limit, not the clock, is what is under test there.
    std::chrono::milliseconds timeout = Quick().timeout;
  } cases[] = {
      {"runs forever", Gbk("重复 2000000000 【前进 1|左转 1】\r\n"), 512,
       "超时：运行超过 1.5 秒的时间限制"},
      {"a limit no child starts under", Gbk(kSquare), 64, "评分设置有误：内存限制 64 MB 太小"},
#ifndef DRAVEL_SANITIZED
      {"eats memory", "go 10\r\nsettext " + std::string(120'000'000, 'a') + "\r\n", 250, "内存不足",
       std::chrono::seconds(30)},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    GradeLimits limits = Quick();
    limits.memory_mb = c.memory_mb;
    limits.timeout = c.timeout;
    const auto started = std::chrono::steady_clock::now();
    const GradeOutcome outcome = GradeScript(c.script, {Gbk(kSquare)}, limits, kept_);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2 * limits.timeout + limits.grace);
    EXPECT_EQ(outcome.state, HandinState::kFailed);
    EXPECT_FALSE(outcome.score);
    EXPECT_TRUE(outcome.last_message.starts_with(c.reason)) << outcome.last_message;
  }
}

// The teacher's fault, said as such: no pupil is scored against a bad answer.
TEST_F(Grader, ABadReferenceFailsNamingTheTeachersAnswer) {
  const struct {
    const char* what;
    std::vector<std::string> references;
    const char* said;
  } cases[] = {
      {"none", {}, "没有参考答案"},
      {"draws nothing", {Gbk(kSquare), Gbk("抬笔\r\n前进 100\r\n")}, "参考答案 2 什么也没画"},
      {"fails", {Gbk("前进 100\r\n乱写一行\r\n")}, "参考答案 1 没有以“程序调试完毕！”结束"},
      {"runs forever", {Gbk("重复 2000000000 【前进 1|左转 1】\r\n")}, "参考答案 1 没有以"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const GradeOutcome outcome = GradeScript(Gbk(kSquare), c.references, Quick(), kept_);
    EXPECT_EQ(outcome.state, HandinState::kFailed);
    EXPECT_TRUE(outcome.last_message.starts_with("参考答案有误")) << outcome.last_message;
    EXPECT_NE(outcome.last_message.find(c.said), std::string::npos) << outcome.last_message;
    EXPECT_TRUE(outcome.picture_png.empty());
  }
}

// A child that crashes, or cannot be started, fails the hand-in and nothing more.
TEST_F(Grader, AChildThatDiesFailsTheHandIn) {
  const std::string crashing = Write("crash.sh", "#!/bin/sh\nkill -SEGV $$\n");
  fs::permissions(crashing, fs::perms::owner_all);
  const struct {
    const char* what;
    std::string program;
    const char* reason;
  } cases[] = {
      {"crashes", crashing, "崩溃：被信号 11 终止"},
      {"cannot start", (tmp_ / "nowhere").native(), "出错：以状态 127 结束"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    GradeLimits limits = Quick();
    limits.program = c.program;
    ReferencePictures none_kept;
    const GradeOutcome outcome = GradeScript(Gbk(kSquare), {Gbk(kSquare)}, limits, none_kept);
    EXPECT_EQ(outcome.state, HandinState::kFailed);
    EXPECT_NE(outcome.last_message.find(c.reason), std::string::npos) << outcome.last_message;
  }
  fs::remove(crashing);
}

// Once a set of references has run, a later hand-in against it runs its own
// script alone: a child that crashes is then the script's, not a reference's.
TEST_F(Grader, RunsAKeptSetOfReferencesNoMore) {
  const std::vector<std::string> references = {Gbk(kSquare)};
  ASSERT_EQ(GradeScript(Gbk(kSmallSquare), references, Quick(), kept_).state, HandinState::kGraded);
  const std::string crashing = Write("crash.sh", "#!/bin/sh\nkill -SEGV $$\n");
  fs::permissions(crashing, fs::perms::owner_all);
  GradeLimits limits = Quick();
  limits.program = crashing;
  const GradeOutcome outcome = GradeScript(Gbk(kSmallSquare), references, limits, kept_);
  fs::remove(crashing);
  EXPECT_EQ(outcome.state, HandinState::kFailed);
  EXPECT_TRUE(outcome.last_message.starts_with("崩溃")) << outcome.last_message;
  const GradeOutcome other = GradeScript(Gbk(kSmallSquare), {Gbk(kSmallSquare)}, limits, kept_);
  EXPECT_TRUE(other.last_message.starts_with("参考答案有误"))
      << "a new set runs: " << other.last_message;
}

TEST(ReferencePictures, ForgetsTheSetUsedLongestAgo) {
  ReferencePictures kept;
  const auto set = [](size_t i) { return std::vector<std::string>{"set " + std::to_string(i)}; };
  for (size_t i = 0; i < ReferencePictures::kSetsKept; ++i) kept.Keep(set(i), {"png"});
  ASSERT_TRUE(kept.Find(set(0))) << "using the oldest makes it the newest";
  kept.Keep(set(ReferencePictures::kSetsKept), {"png"});
  EXPECT_TRUE(kept.Find(set(0)));
  EXPECT_FALSE(kept.Find(set(1)));
  EXPECT_FALSE(kept.Find({"set 0", "set 1"})) << "a set is its references together";
}

}  // namespace
}  // namespace dravel::hub

// The hub runs itself as its grading children; so does this test.
int main(int argc, char** argv) {
  if (argc > 1 && std::string_view(argv[1]) == dravel::hub::kGradeChildFlag)
    return dravel::hub::RunGradeChild(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
