// How a pupil's picture may lie on the picture asked for when it is scored
// (drawing_match.h). Apart, so that a command line can name a mode without
// linking the matching.
#pragma once

namespace dravel {

enum class MatchMode {
  kPlaced,   // position, direction and mirror image free; the size as asked
  kExact,    // in place, as drawn from the same home
  kAnySize,  // the size free too
};

}  // namespace dravel
