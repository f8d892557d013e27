// The hub's gradebook and roster: every cell a pupil's name can reach
// guarded, GBK refused rather than lossy, a workbook read back as written,
// and hostile workbooks refused with a reason.
#include <gtest/gtest.h>

#include "apps/dravel-hub/term/gradebook.h"
#include "apps/dravel-hub/term/gradebook_xlsx.h"
#include "apps/dravel-hub/term/roster_xlsx.h"
#include "apps/dravel-hub/term/zip_archive.h"
#include "marking/csv_cell.h"
#include "runtime/gbk_codec.h"

namespace dravel::hub {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

AssignmentRecord Assignment(int64_t id, std::string title) {
  AssignmentRecord assignment;
  assignment.id = id;
  assignment.title = std::move(title);
  return assignment;
}

HandinRecord Handin(int64_t pupil, int64_t assignment, int attempt, std::optional<double> score,
                    bool late = false) {
  HandinRecord handin;
  handin.id = pupil * 100 + assignment * 10 + attempt;
  handin.pupil_id = pupil;
  handin.assignment_id = assignment;
  handin.attempt = attempt;
  handin.score = score;
  handin.late = late;
  handin.state = score ? HandinState::kGraded : HandinState::kFailed;
  return handin;
}

std::vector<CsvRecord> Records(const std::variant<std::string, GbkRefusal>& csv) {
  const std::string& bytes = std::get<std::string>(csv);
  EXPECT_TRUE(bytes.starts_with(kBom));
  return CsvRecords(std::string_view(bytes).substr(3));
}

TEST(GradebookCsv, TakesEachPupilsLatestHandInAndMarksLatenessApart) {
  const std::vector<PupilRecord> pupils = {{1, 1, "007", "甲", ""}, {2, 1, "008", "乙", ""}};
  const std::vector<AssignmentRecord> assignments = {Assignment(1, "正方形"), Assignment(2, "圆")};
  const std::vector<HandinRecord> handins = {Handin(1, 1, 2, 90, true), Handin(1, 1, 1, 40),
                                             Handin(1, 2, 1, std::nullopt),
                                             Handin(2, 2, 1, 87.25, true)};
  const auto records =
      Records(GradebookCsv(MakeGradebook(pupils, assignments, handins), CsvEncoding::kUtf8));
  const std::vector<CsvRecord> expected = {{"学号", "姓名", "正方形", "圆", "迟交"},
                                           {"007", "甲", "90.0", "—", "正方形"},
                                           {"008", "乙", "", "87.2", "圆"}};
  EXPECT_EQ(records, expected);
}

TEST(GradebookCsv, GuardsEveryCellAPupilOrTeacherTyped) {
  const char* hostile[] = {"=HYPERLINK(\"http://x\")",
                           "+1",
                           "-1",
                           "@a",
                           "\tx",
                           "\rx",
                           "<script>",
                           "a\"b",
                           "a,b",
                           "a\nb"};
  std::vector<PupilRecord> pupils;
  std::vector<AssignmentRecord> assignments;
  for (const char* text : hostile) {
    pupils.push_back({int64_t(pupils.size() + 1), 1, text, text, ""});
    assignments.push_back(Assignment(int64_t(assignments.size() + 1), text));
  }
  const auto records =
      Records(GradebookCsv(MakeGradebook(pupils, assignments, {}), CsvEncoding::kUtf8));
  ASSERT_EQ(records.size(), pupils.size() + 1);
  for (size_t i = 0; i < pupils.size(); ++i) {
    SCOPED_TRACE(hostile[i]);
    const bool formula = std::string_view("=+-@\t\r").find(hostile[i][0]) != std::string::npos;
    for (const std::string& cell : {records[i + 1][0], records[i + 1][1], records[0][i + 2]}) {
      EXPECT_EQ(cell.starts_with('\''), formula) << cell;
      EXPECT_EQ(CsvCellText(cell), hostile[i]);
    }
  }
}

TEST(GradebookCsv, InGbkRefusesACharacterGbkCannotHold) {
  const std::vector<AssignmentRecord> assignments = {Assignment(1, "正方形")};
  const Gradebook fits = MakeGradebook({{1, 1, "001", "王小明", ""}}, assignments, {});
  const auto gbk = GradebookCsv(fits, CsvEncoding::kGbk);
  ASSERT_TRUE(std::holds_alternative<std::string>(gbk));
  EXPECT_EQ(GbkToUtf8(std::get<std::string>(gbk)), "学号,姓名,正方形,迟交\r\n001,王小明,,\r\n");

  const Gradebook lost = MakeGradebook({{1, 1, "001", "王😀明", ""}}, assignments, {});
  const auto refused = GradebookCsv(lost, CsvEncoding::kGbk);
  ASSERT_TRUE(std::holds_alternative<GbkRefusal>(refused));
  EXPECT_NE(std::get<GbkRefusal>(refused).reason.find("“😀”无法用 GBK 保存"), std::string::npos);
  EXPECT_TRUE(std::holds_alternative<std::string>(GradebookCsv(lost, CsvEncoding::kUtf8)));
}

// The gradebook's first two columns are a roster: written, then read back.
TEST(GradebookXlsx, ReadsBackAsARosterWithLeadingZerosAndLongNumbers) {
  const std::vector<PupilRecord> pupils = {{1, 1, "007", "张三", ""},
                                           {2, 1, "20230000000000000001", "=李四", ""}};
  const auto xlsx = GradebookXlsx(
      MakeGradebook(pupils, {Assignment(1, "正方形")}, {Handin(1, 1, 1, 95.5, true)}));
  ASSERT_TRUE(xlsx);
  const auto roster = ReadRosterXlsx(*xlsx);
  ASSERT_TRUE(std::holds_alternative<std::vector<RosterRow>>(roster))
      << std::get<std::string>(roster);
  const auto& rows = std::get<std::vector<RosterRow>>(roster);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].number, "007");
  EXPECT_EQ(rows[0].name, "张三");
  EXPECT_EQ(rows[1].number, "20230000000000000001");
  EXPECT_EQ(rows[1].name, "=李四");
}

TEST(NumberCellText, ShowsWholeNumbersAsTheirDigits) {
  const struct {
    const char* value;
    const char* text;
  } cases[] = {{"2023001", "2023001"},
               {"2023001.0", "2023001"},
               {"2.023001E6", "2023001"},
               {"1.2345678901E+11", "123456789010"},
               {"5E-1", "0.5"},
               {"12.50", "12.5"},
               {"-3", "-3"},
               {"abc", "abc"},
               {"1E999", "1E999"},
               {"", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(NumberCellText(c.value), c.text);
  }
}

// A workbook made part by part, as other programs write them.
std::string Workbook(const std::string& sheet, const std::string& shared = "") {
  ZipWriter zip;
  zip.Add("xl/workbook.xml",
          "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
          "relationships\"><sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"rId7\"/></sheets>"
          "</workbook>");
  zip.Add("xl/_rels/workbook.xml.rels",
          "<Relationships><Relationship Id=\"rId7\" Target=\"worksheets/one.xml\"/>"
          "</Relationships>");
  zip.Add("xl/worksheets/one.xml", sheet);
  if (!shared.empty()) zip.Add("xl/sharedStrings.xml", shared);
  return *zip.Finish();
}

std::string Sheet(const std::string& rows) {
  return "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
         "<x:sheetData>" +
         rows + "</x:sheetData></x:worksheet>";
}

TEST(ReadRosterXlsx, ReadsNumbersSharedAndInlineStringsWithOrWithoutAHeader) {
  const std::string shared =
      "<sst><si><t>姓名</t></si><si><r><t>王</t></r><r><t>五</t></r>"
      "<rPh><t>wang</t></rPh></si><si><t>学号</t></si></sst>";
  const std::string body =
      "<x:row><x:c r=\"A2\"><x:v>2.023001E6</x:v></x:c><x:c r=\"B2\" t=\"s\"><x:v>1</x:v>"
      "</x:c></x:row><x:row><x:c r=\"A3\" t=\"inlineStr\"><x:is><x:t> 0042 </x:t></x:is></x:c>"
      "<x:c r=\"B3\" t=\"str\"><x:v>赵六</x:v></x:c></x:row>";
  const std::string header =
      "<x:row><x:c r=\"A1\" t=\"s\"><x:v>2</x:v></x:c>"
      "<x:c r=\"B1\" t=\"s\"><x:v>0</x:v></x:c></x:row>";
  for (const std::string& rows : {header + body, body}) {
    SCOPED_TRACE(rows.size());
    const auto roster = ReadRosterXlsx(Workbook(Sheet(rows), shared));
    ASSERT_TRUE(std::holds_alternative<std::vector<RosterRow>>(roster))
        << std::get<std::string>(roster);
    const auto& read = std::get<std::vector<RosterRow>>(roster);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].number, "2023001");
    EXPECT_EQ(read[0].name, "王五");
    EXPECT_EQ(read[1].number, "0042");
    EXPECT_EQ(read[1].name, "赵六");
  }
}

std::string Row(const std::string& number, const std::string& name) {
  return "<x:row><x:c t=\"inlineStr\"><x:is><x:t>" + number +
         "</x:t></x:is></x:c>"
         "<x:c t=\"inlineStr\"><x:is><x:t>" +
         name + "</x:t></x:is></x:c></x:row>";
}

TEST(ReadRosterXlsx, RefusesWhatIsNoRosterWithAReason) {
  const std::string bomb = Workbook(std::string(40 << 20, ' '));
  const std::string laughs =
      Workbook("<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>" +
               Sheet(Row("1", "&b;")));
  ZipWriter no_workbook;
  no_workbook.Add("hello.txt", "hi");
  std::string many;
  for (int i = 0; i <= 1000; ++i) many += Row(std::to_string(i), "王");
  const struct {
    const char* what;
    std::string bytes;
    const char* said;
  } cases[] = {
      {"a zip bomb", bomb, "解压后太大"},
      {"not a zip", "PK\x03\x04 but nothing more", "不是 .xlsx 文件"},
      {"plain text", "学号,姓名\n1,王\n", "不是 .xlsx 文件"},
      {"a zip of something else", *no_workbook.Finish(), "缺少 xl/workbook.xml"},
      {"entities", laughs, "无法读取第一张工作表"},
      {"broken XML", Workbook("<x:worksheet><x:row>"), "无法读取第一张工作表"},
      {"no pupils", Workbook(Sheet(Row("学号", "姓名"))), "名单是空的"},
      {"a name missing", Workbook(Sheet(Row("1", "王") + Row("2", ""))), "第 2 行没有姓名"},
      {"a number twice", Workbook(Sheet(Row("1", "王") + Row("1", "李"))), "学号 1 与前面的重复"},
      {"an over-long name", Workbook(Sheet(Row("1", std::string(121, 'x')))),
       "第 1 行的学号或姓名过长"},
      {"a control character", Workbook(Sheet(Row("1", "王\t五"))), "第 1 行含有控制字符"},
      {"a school, not a class", Workbook(Sheet(many)), "名单最多 1000 名学生"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto roster = ReadRosterXlsx(c.bytes);
    ASSERT_TRUE(std::holds_alternative<std::string>(roster));
    EXPECT_NE(std::get<std::string>(roster).find(c.said), std::string::npos)
        << std::get<std::string>(roster);
  }
}

}  // namespace
}  // namespace dravel::hub
