// Where a run's location lies in the script's text: the bytes of a repeat
// line's body item, or of the polygon line's side that its expansion walks, so
// that an editor can mark the body command that ended or is running a run.
// Lines are cut exactly as the interpreter cuts them.
#pragma once

#include <optional>
#include <string_view>

namespace dravel {

struct ByteRange {
  int begin = 0;  // 0-based byte offsets in the line, end exclusive
  int end = 0;
};

// Body item `item` (1-based) of a repeat line, or word 3 of a polygon line
// (each of its expansion's items comes from it). Nullopt for other lines,
// items out of range and lines without a body.
std::optional<ByteRange> BodyItemRange(std::string_view line, int item);

}  // namespace dravel
