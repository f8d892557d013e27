// How well a script's picture matches the picture a teacher asked for: the
// F-score of the drawn pixels, a drawn pixel of one picture counting as
// matched when the other has one within `tolerance` pixels (so a line drawn
// a pixel off still matches). Drawn pixels are those that differ from the
// picture's most common colour, its background. 100 is a match, 0 nothing
// in common; two empty pictures match.
#pragma once

#include <QImage>
#include <optional>

namespace dravel {

inline constexpr int kMatchTolerance = 2;

// nullopt when the pictures differ in size.
std::optional<double> MatchScore(const QImage& drawing, const QImage& target,
                                 int tolerance = kMatchTolerance);

}  // namespace dravel
