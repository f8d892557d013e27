// The term's-end files through HubApi::Handle: only the class's teacher gets
// them, the gradebook's cells and file names stay harmless, an .xlsx class
// list imports, and the export is a zip holding every hand-in.
#include <gtest/gtest.h>

#include "apps/dravel-hub/security/hub_secrets.h"
#include "apps/dravel-hub/term/gradebook_xlsx.h"
#include "apps/dravel-hub/term/zip_archive.h"
#include "hub_test_fixture.h"
#include "runtime/gbk_codec.h"

namespace dravel::hub::testing {
namespace {

std::string Header(const HubReply& reply, const std::string& name) {
  for (const auto& [key, value] : reply.headers)
    if (key == name) return value;
  return "";
}

class HubTermRoutesTest : public HubApiTest {
 protected:
  HubTermRoutesTest() : teacher_(TeacherCookie()) {
    group_ = ClassWithPupils(teacher_);
    assignment_ = Assignment(group_, teacher_);
  }
  std::string ClassPath(const std::string& rest) {
    return "/api/classes/" + std::to_string(group_) + rest;
  }
  // Hands in `script` as pupil 001 and grades everything queued.
  int64_t GradedHandin(const std::string& script) {
    const Json reply =
        CallJson("POST", "/api/assignments/" + std::to_string(assignment_) + "/handins",
                 {{"script", script}}, PupilCookie(group_, "001"), 201);
    while (std::optional<GradingJob> job = store_->TakeQueued(0))
      EXPECT_TRUE(store_->StoreOutcome(*job, FakeGrade(job->handin.script, job->references)));
    return reply["handin_id"];
  }

  std::string teacher_;
  int64_t group_ = 0, assignment_ = 0;
};

TEST_F(HubTermRoutesTest, OnlyTheClasssTeacherGetsTheFiles) {
  const std::string stranger = OtherTeacherCookie("另一位");
  ASSERT_FALSE(stranger.empty());
  const std::string pupil = PupilCookie(group_, "001");
  const struct {
    std::string target;
    const char* type;
  } routes[] = {
      {ClassPath("/cards"), "text/html; charset=utf-8"},
      {"/api/assignments/" + std::to_string(assignment_) + "/report.html",
       "text/html; charset=utf-8"},
      {ClassPath("/gradebook.csv"), "text/csv; charset=utf-8"},
      {ClassPath("/gradebook.xlsx"),
       "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
      {ClassPath("/export"), "application/zip"},
  };
  for (const auto& route : routes) {
    SCOPED_TRACE(route.target);
    EXPECT_EQ(Call("GET", route.target).status, 401);
    EXPECT_EQ(Call("GET", route.target, "", pupil).status, 401);
    EXPECT_EQ(Call("GET", route.target, "", stranger).status, 404);
    const HubReply own = Call("GET", route.target, "", teacher_);
    EXPECT_EQ(own.status, 200) << own.body;
    EXPECT_EQ(own.content_type, route.type);
    EXPECT_EQ(Header(own, "Cache-Control"), "no-store");
  }
}

TEST_F(HubTermRoutesTest, GradebookCsvGuardsFormulasAndNamesItsFileSafely) {
  const int64_t hostile =
      CallJson("POST", "/api/classes", {{"name", "../\"三班\";x"}}, teacher_, 201)["id"];
  const std::string path = "/api/classes/" + std::to_string(hostile);
  ASSERT_EQ(
      Call("POST", path + "/roster", "001,\"=HYPERLINK(\"\"http://x.example\"\")\"\n", teacher_)
          .status,
      200);
  const HubReply csv = Call("GET", path + "/gradebook.csv", "", teacher_);
  ASSERT_EQ(csv.status, 200);
  EXPECT_TRUE(csv.body.starts_with("\xEF\xBB\xBF学号,姓名"));
  EXPECT_NE(csv.body.find("001,\"'=HYPERLINK("), std::string::npos) << csv.body;
  EXPECT_EQ(Header(csv, "Content-Disposition"),
            "attachment; filename=\"gradebook.csv\"; filename*=UTF-8''"
            "__%E4%B8%89%E7%8F%AD_%3Bx_%E6%88%90%E7%BB%A9%E5%86%8C.csv");
}

TEST_F(HubTermRoutesTest, GbkGradebookIsRefusedWhenANameCannotBeHeld) {
  const HubReply gbk = Call("GET", ClassPath("/gradebook.csv?encoding=gbk"), "", teacher_);
  ASSERT_EQ(gbk.status, 200);
  EXPECT_EQ(gbk.content_type, "text/csv; charset=gbk");
  EXPECT_TRUE(gbk.body.starts_with(Utf8ToGbk("学号,姓名,正方形")));
  EXPECT_EQ(Call("GET", ClassPath("/gradebook.csv?encoding=latin1"), "", teacher_).status, 400);
  ASSERT_EQ(Call("POST", ClassPath("/roster"), "003,王\xF0\x9F\x98\x80\n", teacher_).status, 200);
  const HubReply refused = Call("GET", ClassPath("/gradebook.csv?encoding=gbk"), "", teacher_);
  EXPECT_EQ(refused.status, 406);
  EXPECT_NE(refused.body.find("GBK"), std::string::npos) << refused.body;
}

TEST_F(HubTermRoutesTest, AnXlsxClassListAddsToTheClassKeepingLongNumbersAsText) {
  Gradebook sheet;
  sheet.header = {"学号", "姓名"};
  sheet.rows = {{{"0042", {}, false}, {"周八", {}, false}},
                {{"20230000000000000001", {}, false}, {"吴九", {}, false}}};
  const std::optional<std::string> xlsx = GradebookXlsx(sheet);
  ASSERT_TRUE(xlsx);
  const HubReply imported = Call("POST", ClassPath("/roster"), *xlsx, teacher_);
  ASSERT_EQ(imported.status, 200) << imported.body;
  EXPECT_EQ(Json::parse(imported.body)["pupils"].size(), 4u);
  EXPECT_TRUE(store_->FindPupilByNumber(group_, "0042"));
  EXPECT_TRUE(store_->FindPupilByNumber(group_, "20230000000000000001"));
}

TEST_F(HubTermRoutesTest, ExportHoldsEveryAttemptAsGbkWithItsPicture) {
  GradedHandin("前进 10");
  GradedHandin("前进 20");
  const HubReply reply = Call("GET", ClassPath("/export"), "", teacher_);
  ASSERT_EQ(reply.status, 200);
  ZipReader zip(reply.body);
  ASSERT_TRUE(zip.Open());
  const struct {
    std::string entry;
    std::string bytes;  // empty: present, whatever it holds
  } entries[] = {
      {"成绩册.csv", ""},
      {"成绩册.xlsx", ""},
      {"001_张三/001_张三_正方形_第1次.dvg", Utf8ToGbk("前进 10")},
      {"001_张三/001_张三_正方形_第2次.dvg", Utf8ToGbk("前进 20")},
      {"001_张三/001_张三_正方形_第2次.png", "png:" + Utf8ToGbk("前进 20")},
  };
  for (const auto& expected : entries) {
    SCOPED_TRACE(expected.entry);
    std::string bytes;
    ASSERT_EQ(zip.Read(expected.entry, 1 << 20, bytes), ZipReader::Entry::kRead);
    if (!expected.bytes.empty()) {
      EXPECT_EQ(bytes, expected.bytes);
    }
  }
}

TEST_F(HubTermRoutesTest, ReportLinksPicturesTheTeacherMayRead) {
  const int64_t handin = GradedHandin("前进 10");
  const HubReply report =
      Call("GET", "/api/assignments/" + std::to_string(assignment_) + "/report.html", "", teacher_);
  ASSERT_EQ(report.status, 200);
  const std::string picture = "/api/handins/" + std::to_string(handin) + "/picture.png";
  EXPECT_NE(report.body.find(picture), std::string::npos);
  EXPECT_EQ(Call("GET", picture, "", teacher_).status, 200);
}

}  // namespace
}  // namespace dravel::hub::testing
