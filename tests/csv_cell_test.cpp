// A CSV cell a spreadsheet shows as text: never a formula, quoted only when
// it must be.
#include <gtest/gtest.h>

#include "marking/csv_cell.h"

namespace dravel {
namespace {

TEST(CsvCell, NeutralisesFormulasAndQuotesWhatMustBe) {
  const struct {
    const char* what;
    std::string text, cell;
  } cases[] = {
      {"plain", "五角星.dvg", "五角星.dvg"},
      {"empty", "", ""},
      {"a link formula", "=HYPERLINK(\"http:x.cn\",\"点我\").dvg",
       "\"'=HYPERLINK(\"\"http:x.cn\"\",\"\"点我\"\").dvg\""},
      {"a sum", "+1+1.dvg", "'+1+1.dvg"},
      {"minus", "-马二.dvg", "'-马二.dvg"},
      {"at", "@林一.dvg", "'@林一.dvg"},
      {"a tab first", "\tx", "'\tx"},
      {"a carriage return first", "\rx", "\"'\rx\""},
      {"a formula sign later is text", "a=1+2", "a=1+2"},
      {"a comma", "a,b", "\"a,b\""},
      {"a line break", "a\nb", "\"a\nb\""},
      {"a space before = is text already", " =1", " =1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CsvCell(c.text), c.cell);
  }
}

TEST(CsvCell, ReadsBackAsTheTextItWas) {
  const struct {
    std::string cell, text;
  } cases[] = {
      {"'=SUM(A1).dvg", "=SUM(A1).dvg"}, {"'-马二.dvg", "-马二.dvg"},  {"'\tx", "\tx"},
      {"'林一.dvg", "'林一.dvg"},        {"五角星.dvg", "五角星.dvg"}, {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CsvCellText(c.cell), c.text) << c.cell;
}

}  // namespace
}  // namespace dravel
