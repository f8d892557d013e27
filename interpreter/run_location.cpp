#include "interpreter/run_location.h"

#include "interpreter/command_list.h"
#include "interpreter/command_table.h"
#include "interpreter/messages.h"

namespace dravel {
namespace {

// Piece `index` (0-based) of `text` split at `separator`, as offsets in text.
std::optional<ByteRange> PieceRange(std::string_view text, std::string_view separator,
                                    size_t index) {
  const std::vector<Text> pieces = SplitText(text, separator);
  if (index >= pieces.size()) return std::nullopt;
  int begin = 0;
  for (size_t i = 0; i < index; ++i) {
    begin += static_cast<int>(pieces[i].size() + separator.size());
  }
  return ByteRange{begin, begin + static_cast<int>(pieces[index].size())};
}

std::optional<ByteRange> RepeatItemRange(std::string_view line, int item) {
  const int open_at = FindText(line, messages::kBodyOpen, 0, true);
  if (open_at < 0) return std::nullopt;
  const int body_at = open_at - 1 + static_cast<int>(messages::kBodyOpen.size());
  const Text body = TextBetween(line, messages::kBodyOpen, messages::kBodyClose);
  std::optional<ByteRange> range = PieceRange(body, "|", static_cast<size_t>(item - 1));
  if (!range) return std::nullopt;
  range->begin += body_at;
  range->end += body_at;
  return range;
}

}  // namespace

std::optional<ByteRange> BodyItemRange(std::string_view line, int item) {
  if (item < 1) return std::nullopt;
  const std::vector<Text> words = SplitWords(line);
  if (words.empty()) return std::nullopt;
  const CommandRow* row = FindCommand(words[0]);
  if (row == nullptr) return std::nullopt;
  if (row->action == CommandAction::kRepeat) return RepeatItemRange(line, item);
  if (row->action == CommandAction::kPolygon) return PieceRange(line, " ", 2);
  return std::nullopt;
}

}  // namespace dravel
