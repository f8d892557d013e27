#include "apps/dravel-hub/term/roster_xlsx.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "apps/dravel-hub/term/xml_reading.h"
#include "apps/dravel-hub/term/zip_archive.h"

namespace dravel::hub {
namespace {

// Far over any class's roster; a part past its bound is refused unread.
constexpr size_t kMostPartBytes = size_t{16} << 20;
constexpr size_t kMostRows = 5000;
constexpr size_t kMostColumns = 64;

struct Refusal {
  explicit Refusal(std::string why) : reason(std::move(why)) {}
  std::string reason;
};

std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kFullWidthSpace = "\u3000";
  for (bool trimmed = true; trimmed;) {
    trimmed = false;
    for (std::string_view space :
         {std::string_view(" "), std::string_view("\t"), std::string_view("\r"),
          std::string_view("\n"), kFullWidthSpace}) {
      if (text.starts_with(space)) text.remove_prefix(space.size()), trimmed = true;
      if (text.ends_with(space)) text.remove_suffix(space.size()), trimmed = true;
    }
  }
  return text;
}

// A part of the workbook, or why it cannot be had.
std::variant<std::string, Refusal> Part(ZipReader& zip, std::string_view name, bool needed) {
  std::string bytes;
  switch (zip.Read(name, kMostPartBytes, bytes)) {
    case ZipReader::Entry::kRead: return bytes;
    case ZipReader::Entry::kMissing:
      if (!needed) return std::string();
      return Refusal("不是 Excel 工作簿：缺少 " + std::string(name));
    case ZipReader::Entry::kTooLarge:
      return Refusal("工作簿中的 " + std::string(name) + " 解压后太大（超过 16 MB），没有读取");
    case ZipReader::Entry::kBroken: break;
  }
  return Refusal("工作簿已损坏：无法解压 " + std::string(name));
}

// The relationship id of the workbook's first sheet.
class FirstSheet : public XmlEvents {
 public:
  void Start(std::string_view name, const char** attributes) override {
    if (name == "sheet" && id.empty()) id = Attribute(attributes, "id");
  }
  void End(std::string_view) override {}
  std::string id;
};

// Where a relationship of the workbook points, from the zip's root.
class RelationTarget : public XmlEvents {
 public:
  explicit RelationTarget(std::string id) : id_(std::move(id)) {}
  void Start(std::string_view name, const char** attributes) override {
    if (name != "Relationship" || Attribute(attributes, "Id") != id_) return;
    const std::string_view target = Attribute(attributes, "Target");
    path = target.starts_with('/') ? std::string(target.substr(1)) : "xl/" + std::string(target);
  }
  void End(std::string_view) override {}
  std::string path;

 private:
  std::string id_;
};

// The shared strings, each <si>'s text runs joined; phonetic runs left out.
class SharedStrings : public XmlEvents {
 public:
  void Start(std::string_view name, const char**) override {
    if (name == "si") strings.emplace_back();
    if (name == "rPh") ++phonetic_;
    in_text_ = name == "t" && phonetic_ == 0 && !strings.empty();
  }
  void End(std::string_view name) override {
    if (name == "rPh") --phonetic_;
    in_text_ = false;
  }
  void Text(std::string_view text) override {
    if (in_text_ && strings.back().size() < kMostPartBytes) strings.back() += text;
  }
  std::vector<std::string> strings;

 private:
  int phonetic_ = 0;
  bool in_text_ = false;
};

// A cell's column from its reference ("B12" is 1); nullopt when it has none.
std::optional<size_t> ColumnOf(std::string_view reference) {
  size_t column = 0, letters = 0;
  for (; letters < reference.size() && reference[letters] >= 'A' && reference[letters] <= 'Z';
       ++letters)
    column = column * 26 + size_t(reference[letters] - 'A' + 1);
  if (letters == 0 || letters > 3) return std::nullopt;
  return column - 1;
}

// The sheet's rows, each its first columns' texts.
class SheetCells : public XmlEvents {
 public:
  explicit SheetCells(const std::vector<std::string>& shared) : shared_(shared) {}
  void Start(std::string_view name, const char** attributes) override {
    if (name == "row") {
      rows.emplace_back();
      column_ = 0;
    } else if (name == "c") {
      column_ = ColumnOf(Attribute(attributes, "r")).value_or(column_);
      type_ = Attribute(attributes, "t");
      value_.clear();
    } else if (name == "rPh") {
      ++phonetic_;
    }
    in_value_ = (name == "v" || name == "t") && phonetic_ == 0;
  }
  void End(std::string_view name) override {
    in_value_ = false;
    if (name == "rPh") --phonetic_;
    if (name != "c" || rows.empty()) return;
    if (column_ < kMostColumns) {
      std::vector<std::string>& row = rows.back();
      if (row.size() <= column_) row.resize(column_ + 1);
      row[column_] = CellText();
    }
    ++column_;
  }
  void Text(std::string_view text) override {
    if (in_value_ && value_.size() < kMostPartBytes) value_ += text;
  }
  std::vector<std::vector<std::string>> rows;

 private:
  std::string CellText() const {
    if (type_ == "s") {
      const size_t index = size_t(std::atoll(value_.c_str()));
      return index < shared_.size() ? shared_[index] : std::string();
    }
    if (type_.empty() || type_ == "n") return NumberCellText(value_);
    return value_;
  }

  const std::vector<std::string>& shared_;
  size_t column_ = 0;
  std::string type_, value_;
  int phonetic_ = 0;
  bool in_value_ = false;
};

// The path of the first sheet's part.
std::variant<std::string, Refusal> FirstSheetPath(ZipReader& zip) {
  auto workbook = Part(zip, "xl/workbook.xml", true);
  if (auto* refused = std::get_if<Refusal>(&workbook)) return *refused;
  FirstSheet first;
  if (!ReadXml(std::get<std::string>(workbook), first) || first.id.empty())
    return Refusal("工作簿已损坏：找不到第一张工作表");
  auto relations = Part(zip, "xl/_rels/workbook.xml.rels", true);
  if (auto* refused = std::get_if<Refusal>(&relations)) return *refused;
  RelationTarget target(first.id);
  if (!ReadXml(std::get<std::string>(relations), target) || target.path.empty())
    return Refusal("工作簿已损坏：找不到第一张工作表");
  return target.path;
}

std::variant<std::vector<std::vector<std::string>>, Refusal> SheetRows(ZipReader& zip) {
  auto path = FirstSheetPath(zip);
  if (auto* refused = std::get_if<Refusal>(&path)) return *refused;
  auto strings = Part(zip, "xl/sharedStrings.xml", false);
  if (auto* refused = std::get_if<Refusal>(&strings)) return *refused;
  SharedStrings shared;
  if (!std::get<std::string>(strings).empty() && !ReadXml(std::get<std::string>(strings), shared))
    return Refusal("工作簿已损坏：无法读取 xl/sharedStrings.xml");
  auto sheet = Part(zip, std::get<std::string>(path), true);
  if (auto* refused = std::get_if<Refusal>(&sheet)) return *refused;
  SheetCells cells(shared.strings);
  if (!ReadXml(std::get<std::string>(sheet), cells))
    return Refusal("工作簿已损坏：无法读取第一张工作表");
  return std::move(cells.rows);
}

std::string Cell(const std::vector<std::string>& row, size_t column) {
  return column < row.size() ? std::string(Trimmed(row[column])) : std::string();
}

// The columns of 学号 and 姓名: a header's, else the first two; and whether
// the first row is that header.
struct Columns {
  size_t number = 0, name = 1;
  bool header = false;
};

Columns ColumnsOf(const std::vector<std::string>& first) {
  Columns columns;
  for (size_t i = 0; i < first.size(); ++i) {
    const std::string_view cell = Trimmed(first[i]);
    if (cell == "学号") columns.number = i, columns.header = true;
    if (cell == "姓名") columns.name = i, columns.header = true;
  }
  return columns;
}

std::variant<std::vector<RosterRow>, Refusal> Roster(
    const std::vector<std::vector<std::string>>& rows) {
  const auto first = std::find_if(rows.begin(), rows.end(), [](const auto& row) {
    return std::any_of(row.begin(), row.end(), [](const auto& c) { return !Trimmed(c).empty(); });
  });
  if (first == rows.end()) return Refusal("名单是空的：第一张工作表里没有学生");
  const Columns columns = ColumnsOf(*first);
  std::vector<RosterRow> roster;
  std::set<std::string> numbers;
  for (auto row = first + (columns.header ? 1 : 0); row != rows.end(); ++row) {
    RosterRow pupil{Cell(*row, columns.number), Cell(*row, columns.name)};
    const size_t number = size_t(row - rows.begin() + 1);
    const std::string line = RosterLine(number);
    if (pupil.number.empty() && pupil.name.empty()) continue;
    if (pupil.number.empty()) return Refusal(line + "没有学号（" + pupil.name + "）");
    if (pupil.name.empty()) return Refusal(line + "没有姓名（学号 " + pupil.number + "）");
    if (std::string fault = RosterRowFault(number, pupil); !fault.empty()) return Refusal(fault);
    if (!numbers.insert(pupil.number).second)
      return Refusal(line + "的学号 " + pupil.number + " 与前面的重复");
    if (roster.size() == kMostPupils)
      return Refusal("名单最多 " + std::to_string(kMostPupils) + " 名学生");
    roster.push_back(std::move(pupil));
  }
  if (roster.empty()) return Refusal("名单是空的：第一张工作表里没有学生");
  return roster;
}

std::string Digits(std::string_view text, size_t& at) {
  const size_t start = at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
  return std::string(text.substr(start, at - start));
}

}  // namespace

std::string NumberCellText(std::string_view value) {
  // Past this the value is no 学号: left as it is.
  constexpr size_t kMostShift = 40;
  size_t at = 0;
  const bool negative = value.starts_with('-');
  if (negative || value.starts_with('+')) ++at;
  const std::string whole = Digits(value, at);
  const std::string fraction = at < value.size() && value[at] == '.' ? Digits(value, ++at) : "";
  long shift = 0;
  if (at < value.size() && (value[at] == 'E' || value[at] == 'e')) {
    const bool down = ++at < value.size() && value[at] == '-';
    if (at < value.size() && (value[at] == '-' || value[at] == '+')) ++at;
    const std::string exponent = Digits(value, at);
    if (exponent.empty() || exponent.size() > 2) return std::string(value);
    shift = down ? -std::stol(exponent) : std::stol(exponent);
  }
  if (at != value.size() || (whole.empty() && fraction.empty()) ||
      size_t(std::labs(shift)) > kMostShift)
    return std::string(value);
  std::string digits = whole + fraction;
  long point = long(whole.size()) + shift;
  if (point < 0) digits.insert(0, size_t(-point), '0'), point = 0;
  if (size_t(point) > digits.size()) digits.append(size_t(point) - digits.size(), '0');
  std::string integer = digits.substr(0, size_t(point)), decimals = digits.substr(size_t(point));
  integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
  if (integer.empty()) integer = "0";
  decimals.erase(std::min(decimals.find_last_not_of('0') + 1, decimals.size()));
  const std::string text = integer + (decimals.empty() ? "" : "." + decimals);
  return negative && text != "0" ? "-" + text : text;
}

std::variant<std::vector<RosterRow>, std::string> ReadRosterXlsx(std::string_view bytes) {
  ZipReader zip(bytes);
  if (!zip.Open()) return "不是 .xlsx 文件：无法作为 zip 压缩包打开";
  auto rows = SheetRows(zip);
  if (auto* refused = std::get_if<Refusal>(&rows)) return refused->reason;
  const auto& sheet = std::get<std::vector<std::vector<std::string>>>(rows);
  if (sheet.size() > kMostRows) return "名单太长：超过 " + std::to_string(kMostRows) + " 行";
  auto roster = Roster(sheet);
  if (auto* refused = std::get_if<Refusal>(&roster)) return refused->reason;
  return std::get<std::vector<RosterRow>>(std::move(roster));
}

}  // namespace dravel::hub
