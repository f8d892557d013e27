#include "interpreter/keyword_guess.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "runtime/system_text.h"
#include "runtime/value.h"

namespace dravel {
namespace {

using CharacterList = std::vector<std::string_view>;

// The GBK characters of `text`, each one or two bytes (views into `text`).
CharacterList Characters(std::string_view text) {
  CharacterList characters;
  for (size_t i = 0; i < text.size();) {
    const bool pair = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
    const size_t length = pair ? 2 : 1;
    characters.push_back(text.substr(i, length));
    i += length;
  }
  return characters;
}

int EditDistance(const CharacterList& x, const CharacterList& y) {
  std::vector<int> row(y.size() + 1);
  for (size_t j = 0; j <= y.size(); ++j) row[j] = static_cast<int>(j);
  for (size_t i = 1; i <= x.size(); ++i) {
    int diagonal = row[0];
    row[0] = static_cast<int>(i);
    for (size_t j = 1; j <= y.size(); ++j) {
      const int above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[y.size()];
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Full-width forms folded and ASCII letters in lower case: what a learner
// may have typed for a keyword with the wrong keys.
Text Plain(std::string_view word) {
  Text plain = FoldFullWidth(word);
  for (char& c : plain) c = Lower(c);
  return plain;
}

struct Keyword {
  const CommandRow* row;
  const Text* text;  // the row's keyword or alias
  CharacterList characters;
  bool alias;
};

// Every keyword and alias with its characters, cut once: a line of many
// unknown words asks for the nearest keyword of each.
const std::vector<Keyword>& Keywords() {
  static const std::vector<Keyword> keywords = [] {
    std::vector<Keyword> all;
    for (const CommandRow* row : AllCommands()) {
      all.push_back({row, &row->keyword, Characters(row->keyword), false});
      all.push_back({row, &row->alias, Characters(row->alias), true});
    }
    return all;
  }();
  return keywords;
}

// Whether `word` starts with `keyword`: an alias (ASCII letters, which no
// byte of a double-byte character before them can be) in any letter case.
bool StartsWith(std::string_view word, const Keyword& keyword) {
  const std::string_view text = *keyword.text;
  if (!keyword.alias) return word.starts_with(text);
  if (word.size() < text.size()) return false;
  return std::equal(text.begin(), text.end(), word.begin(),
                    [](char a, char b) { return a == Lower(b); });
}

bool TakesNumbers(const CommandRow& row) {
  return row.shape != ArgumentShape::kNone && row.shape != ArgumentShape::kWord;
}

bool ReadsIntegers(const CommandRow& row) {
  return row.shape == ArgumentShape::kInteger || row.shape == ArgumentShape::kRepeat ||
         row.shape == ArgumentShape::kPolygon;
}

// The bytes of the number `row` reads at the start of `rest`, or 0.
int NumberFor(const CommandRow& row, std::string_view rest) {
  if (!TakesNumbers(row)) return 0;
  const int length = NumberLength(rest);
  const std::string_view number = rest.substr(0, length);
  const bool read = ReadsIntegers(row) ? HasInteger(number) : HasNumber(number);
  return read ? length : 0;
}

// The half-width form of the character at byte `i` of `text` ('\0' when it
// has none) and the bytes it takes.
struct Folded {
  char c;
  size_t size;
};

Folded FoldedAt(std::string_view text, size_t i) {
  if (!IsLeadByte(static_cast<unsigned char>(text[i]))) return {text[i], 1};
  if (i + 1 >= text.size()) return {'\0', 1};
  const Text folded = FoldFullWidth(text.substr(i, 2));
  return {folded.size() == 1 ? folded[0] : '\0', 2};
}

// Walks the characters of a word, taking those that fit.
class CharacterWalk {
 public:
  explicit CharacterWalk(std::string_view text) : text_(text) {}

  bool Take(std::string_view fitting) {
    if (at_ >= text_.size()) return false;
    const Folded folded = FoldedAt(text_, at_);
    if (folded.c == '\0' || fitting.find(folded.c) == std::string_view::npos) return false;
    at_ += folded.size;
    return true;
  }
  int TakeAll(std::string_view fitting) {
    int taken = 0;
    while (Take(fitting)) ++taken;
    return taken;
  }
  size_t at() const { return at_; }
  void Back(size_t to) { at_ = to; }

 private:
  std::string_view text_;
  size_t at_ = 0;
};

constexpr std::string_view kDigits = "0123456789";

}  // namespace

std::optional<Text> NearestKeyword(std::string_view word) {
  // A word of two characters more than the longest keyword is near none;
  // it has at least half as many characters as bytes, so a line of 50 MB is
  // let go before it is cut into characters.
  static const size_t longest = std::max_element(Keywords().begin(), Keywords().end(),
                                                 [](const Keyword& a, const Keyword& b) {
                                                   return a.characters.size() < b.characters.size();
                                                 })
                                    ->characters.size();
  if (word.size() / 2 > longest + 2) return std::nullopt;
  const Text plain = Plain(word);
  const CharacterList typed = Characters(plain);
  const Keyword* nearest = nullptr;
  int best = 3;
  for (const Keyword& keyword : Keywords()) {
    const int typed_size = static_cast<int>(typed.size());
    const int keyword_size = static_cast<int>(keyword.characters.size());
    const int allowed = std::max(typed_size, keyword_size) <= 3 ? 1 : 2;
    // The distance is at least the difference in length.
    if (std::abs(typed_size - keyword_size) > allowed) continue;
    const int distance = EditDistance(typed, keyword.characters);
    if (distance <= allowed && distance < best) {
      best = distance;
      nearest = &keyword;
    }
  }
  if (nearest == nullptr) return std::nullopt;
  return *nearest->text;
}

std::optional<KeywordAhead> FindKeywordAhead(std::string_view word) {
  std::optional<KeywordAhead> longest;
  for (const Keyword& keyword : Keywords()) {
    const int length = static_cast<int>(keyword.text->size());
    if (longest && length <= longest->length) continue;
    if (!StartsWith(word, keyword)) continue;
    const std::string_view rest = word.substr(length);
    const int number = NumberFor(*keyword.row, rest);
    const int pause = static_cast<int>(PauseAt(rest).size());
    if (number > 0 || pause > 0)
      longest = KeywordAhead{keyword.row, keyword.text, length, number, pause};
  }
  return longest;
}

std::string_view PauseAt(std::string_view text) {
  static const Text kPauses[] = {SystemText("，"), SystemText("、"), SystemText("；"),
                                 SystemText("："), SystemText("。")};
  for (const Text& pause : kPauses) {
    if (text.starts_with(pause)) return text.substr(0, pause.size());
  }
  return {};
}

int NumberLength(std::string_view word) {
  CharacterWalk walk(word);
  walk.Take("+-");
  int digits = walk.TakeAll(kDigits);
  if (walk.Take(".")) digits += walk.TakeAll(kDigits);
  if (digits == 0) return 0;
  const size_t mantissa = walk.at();
  if (walk.Take("eEdD")) {
    walk.Take("+-");
    if (walk.TakeAll(kDigits) == 0) walk.Back(mantissa);
  }
  return static_cast<int>(walk.at());
}

bool ReadsAsCommand(std::string_view word) {
  for (const Keyword& keyword : Keywords()) {
    if (word.size() == keyword.text->size() && StartsWith(word, keyword)) return true;
  }
  return FindKeywordAhead(word).has_value();
}

}  // namespace dravel
