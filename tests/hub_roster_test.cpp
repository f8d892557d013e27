// Importing class lists: encodings, headers, hostile names kept as text,
// a second import adding without disturbing, bad lists refused whole.
#include <gtest/gtest.h>

#include "hub_test_fixture.h"
#include "runtime/gbk_codec.h"

namespace dravel::hub::testing {
namespace {

std::string ManyPupils(int count) {
  std::string body;
  for (int i = 0; i < count; ++i) body += std::to_string(i) + ",x\n";
  return body;
}

class HubRosterTest : public HubApiTest {
 protected:
  HubRosterTest() : teacher_(TeacherCookie()) {
    group_ = CallJson("POST", "/api/classes", {{"name", "一班"}}, teacher_, 201)["id"];
  }
  HubReply Import(const std::string& body) {
    return Call("POST", "/api/classes/" + std::to_string(group_) + "/roster", body, teacher_);
  }

  std::string teacher_;
  int64_t group_ = 0;
};

TEST_F(HubRosterTest, NamesAndNumbersAreKeptExactlyAsWritten) {
  struct Row {
    const char* name;
    std::string body;
    std::string number, pupil;
  } rows[] = {
      {"utf-8", "学号,姓名\n0012,王小明\n", "0012", "王小明"},
      {"utf-8 with BOM", "\xEF\xBB\xBF学号,姓名\r\n0013,李华\r\n", "0013", "李华"},
      {"gbk", Utf8ToGbk("学号,姓名\r\n0014,赵敏\r\n"), "0014", "赵敏"},
      {"no header", "20230000000000000015,钱多多", "20230000000000000015", "钱多多"},
      {"formula", "0016,\"=HYPERLINK(\"\"http://x.example\"\",\"\"点我\"\")\"\n", "0016",
       "=HYPERLINK(\"http://x.example\",\"点我\")"},
      {"markup", "0017,<script>alert(1)</script>\n", "0017", "<script>alert(1)</script>"},
      {"quotes", "0018,\"O'Neil \"\"Bob\"\"\"\n", "0018", "O'Neil \"Bob\""},
      {"leading plus", "+0019,@孙\n", "+0019", "@孙"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(Import(row.body).status, 200);
    const std::optional<PupilRecord> pupil = store_->FindPupilByNumber(group_, row.number);
    ASSERT_TRUE(pupil);
    EXPECT_EQ(pupil->name, row.pupil);
  }
}

TEST_F(HubRosterTest, ASecondImportAddsNewNumbersAndKeepsCodes) {
  const Json first = Json::parse(Import("001,张三\n002,李四\n").body);
  const Json second = Json::parse(Import("002,李四改\n003,王五\n").body);
  ASSERT_EQ(second["pupils"].size(), 3u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(second["pupils"][i]["code"], first["pupils"][i]["code"]);
    EXPECT_EQ(second["pupils"][i]["name"], first["pupils"][i]["name"]);
  }
  const std::string code = second["pupils"][2]["code"];
  EXPECT_EQ(code.size(), 6u);
  EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos);
}

TEST_F(HubRosterTest, ABadListIsRefusedWholeWithItsLine) {
  struct Row {
    const char* name;
    std::string body;
    int status;
    const char* names;
  } rows[] = {
      {"name missing", "001,张三\n002\n", 400, "第 2 行"},
      {"repeated number", "001,张三\n001,李四\n", 400, "第 2 行"},
      {"control character", "001,\"张\x01三\"\n", 400, "第 1 行"},
      {"overlong name", "001," + std::string(200, 'x') + "\n", 400, "第 1 行"},
      {"header only", "学号,姓名\n", 400, ""},
      {"empty", "", 400, ""},
      {"spreadsheet file that is no workbook", "PK\x03\x04....", 400, "不是 .xlsx 文件"},
      {"a school, not a class", ManyPupils(1001), 400, "1000"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const HubReply reply = Import(row.body);
    EXPECT_EQ(reply.status, row.status);
    EXPECT_NE(Json::parse(reply.body)["error"].get<std::string>().find(row.names),
              std::string::npos);
    EXPECT_TRUE(store_->ClassPupils(group_).empty());
  }
}

}  // namespace
}  // namespace dravel::hub::testing
