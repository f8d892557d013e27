// The hub's files for people: names made safe in the export archive, every
// typed name escaped on the cards and the report, copies found by the
// marking tool's rule.
#include <gtest/gtest.h>
#include <zip.h>

#include "apps/dravel-hub/term/assignment_report.h"
#include "apps/dravel-hub/term/class_export.h"
#include "apps/dravel-hub/term/login_cards.h"
#include "apps/dravel-hub/term/safe_file_name.h"
#include "runtime/gbk_codec.h"

namespace dravel::hub {
namespace {

const char* const kHostileNames[] = {"../../x",  "CON",      "a/b",  "a\\b",  "..",
                                     "lpt1.txt", "<script>", "nul ", "x:y*?", ""};

TEST(SafeFileName, LeavesNoPathNoDeviceAndNothingEmpty) {
  const struct {
    const char* name;
    const char* safe;
  } cases[] = {{"../../x", "_.._x"},
               {"CON", "_CON"},
               {"con.txt", "_con.txt"},
               {"a/b", "a_b"},
               {"a\\b", "a_b"},
               {"..", "_"},
               {"", "_"},
               {" 王小明. ", "王小明"},
               {"COM10", "COM10"},
               {"a\tb\x7f", "a_b_"},
               {"x:y*?\"<>|", "x_y______"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SafeFileName(c.name), c.safe);
  }
  std::string long_name;
  for (int i = 0; i < 100; ++i) long_name += "字";
  const std::string cut = SafeFileName(long_name);
  EXPECT_LE(cut.size(), kMostNameBytes);
  EXPECT_EQ(cut.size() % 3, 0u) << "cut inside a character";
}

// Each entry's name and whether its UTF-8 flag is set, from the central directory.
std::vector<std::pair<std::string, bool>> Entries(const std::string& archive) {
  std::vector<std::pair<std::string, bool>> entries;
  for (size_t at = archive.find("PK\x01\x02"); at != std::string::npos && at + 46 < archive.size();
       at = archive.find("PK\x01\x02", at + 4)) {
    const auto byte = [&](size_t i) { return uint8_t(archive[at + i]); };
    const size_t length = byte(28) | byte(29) << 8;
    entries.emplace_back(archive.substr(at + 46, length), (byte(8) | byte(9) << 8) & 0x800);
  }
  return entries;
}

TEST(ClassExportZip, NamesEveryEntrySafelyInUtf8) {
  std::vector<PupilRecord> pupils;
  std::vector<HandinRecord> handins;
  for (const char* name : kHostileNames) {
    const int64_t id = int64_t(pupils.size() + 1);
    pupils.push_back({id, 1, name, name, "code"});
    HandinRecord handin;
    handin.id = 100 + id, handin.pupil_id = id, handin.assignment_id = 1;
    handin.script = Utf8ToGbk("前进 100\r\n");
    handins.push_back(handin);
  }
  AssignmentRecord assignment;
  assignment.id = 1, assignment.title = "../正方形";
  const auto archive = ClassExportZip(pupils, {assignment}, handins,
                                      [](int64_t id) { return id % 2 ? "\x89PNG" : ""; });
  ASSERT_TRUE(archive);
  const auto entries = Entries(*archive);
  EXPECT_EQ(entries.size(), 2 + handins.size() + handins.size() / 2);
  for (const auto& [name, utf8_flag] : entries) {
    SCOPED_TRACE(name);
    EXPECT_EQ(name.find('\\'), std::string::npos);
    EXPECT_FALSE(name.starts_with('/'));
    EXPECT_EQ(name.find_first_of(":*?\"<>|"), std::string::npos);
    for (size_t start = 0, slash; start <= name.size(); start = slash + 1) {
      slash = std::min(name.find('/', start), name.size());
      const std::string part = name.substr(start, slash - start);
      EXPECT_TRUE(part != ".." && part != "." && !part.empty() && part != "CON") << part;
    }
    const bool ascii =
        std::all_of(name.begin(), name.end(), [](char c) { return uint8_t(c) < 0x80; });
    EXPECT_EQ(utf8_flag, !ascii);
  }
  EXPECT_EQ(entries[0].first, "成绩册.xlsx");
  EXPECT_EQ(entries[2].first, "_.._x__.._x/_.._x__.._x__正方形_第1次.dvg");
}

TEST(LoginCardsPage, EscapesEveryTypedText) {
  ClassRecord class_record;
  class_record.name = "三(2)班 <b>";
  class_record.join_code = "AB&CD";
  const std::string page =
      LoginCardsPage(class_record, {{1, 1, "<i>001", "<script>alert(1)</script>", "x\"y"}});
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_EQ(page.find("<i>"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  EXPECT_NE(page.find("&lt;script&gt;"), std::string::npos);
  EXPECT_NE(page.find("AB&amp;CD"), std::string::npos);
  EXPECT_NE(page.find("size: A4"), std::string::npos);
}

HandinRecord Handin(int64_t id, int64_t pupil, std::string utf8_script) {
  HandinRecord handin;
  handin.id = id, handin.pupil_id = pupil, handin.assignment_id = 1;
  handin.script = Utf8ToGbk(utf8_script);
  handin.state = HandinState::kGraded;
  handin.score = 50;
  return handin;
}

TEST(HandinCopyGroups, GroupsCopiesButNotTheReferencesText) {
  const std::string reference = "重复 4 【前进 100|左转 90】\r\n";
  const std::vector<HandinRecord> handins = {Handin(1, 1, "前进 50\r\n右转 30\r\n"),
                                             Handin(2, 2, "// 我的\r\n前进  50\r\nright 30\r\n"),
                                             Handin(3, 3, reference),
                                             Handin(4, 4, "重复 4 【前进 100|左转  90】\r\n"),
                                             Handin(5, 5, "前进 1\r\n"),
                                             Handin(6, 6, "前进 2\r\n"),
                                             Handin(7, 7, "前进 3\r\n"),
                                             Handin(8, 8, "前进 4\r\n"),
                                             Handin(9, 9, "前进 5\r\n")};
  EXPECT_EQ(HandinCopyGroups(handins, {Utf8ToGbk(reference)}),
            (std::vector<int>{1, 1, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(AssignmentReportPage, LinksPicturesWhereTheHubServesThem) {
  AssignmentRecord assignment;
  assignment.id = 1, assignment.references = {Utf8ToGbk("前进 100\r\n")};
  HandinRecord old = Handin(41, 1, "前进 10\r\n");
  HandinRecord latest = Handin(42, 1, "前进 90\r\n");
  latest.attempt = 2;
  const std::string page = AssignmentReportPage(
      assignment, {{1, 1, "001", "<img src=x onerror=alert(1)>", ""}}, {latest, old});
  EXPECT_NE(page.find("src=\"/api/handins/42/picture.png\""), std::string::npos);
  EXPECT_NE(page.find("src=\"/api/handins/42/overlay.png\""), std::string::npos);
  EXPECT_EQ(page.find("/api/handins/41/"), std::string::npos);
  EXPECT_EQ(page.find("<img src=x"), std::string::npos);
}

}  // namespace
}  // namespace dravel::hub
