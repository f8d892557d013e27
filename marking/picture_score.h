// A picture's score against the accepted answers (references) of a folder
// run or of a single script: each reference matched in the run's mode
// (drawing_match), the best kept with the reference that gave it, and when
// asked the picture of what differs at that match (match_overlay). Also
// what makes a picture no reference at all. Both pictures are on the
// window's background, which no script changes. Plain C++.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "canvas/canvas_core.h"
#include "canvas/pixel_image.h"
#include "marking/drawing_match.h"
#include "marking/teacher_words.h"

namespace dravel {

struct PictureScore {
  double score = 0;
  size_t reference = 0;  // which one gave it
  PixelImage overlay;    // in the reference's frame; empty unless asked
};

// The references are asked for one at a time (`reference(i)`, i below
// `count`), so only one is held; nullopt when one comes back empty.
std::optional<PictureScore> ScorePicture(const PixelImage& picture, size_t count,
                                         const std::function<PixelImage(size_t)>& reference,
                                         MatchMode mode, bool with_overlay);

// The canvas's picture as it is scored, with the turtles or without; empty
// when it cannot be allocated.
PixelImage CanvasPicture(const CanvasCore& canvas, bool with_turtles);

// Why the reference `path` (a script or a PNG) is refused before anything
// runs: it is not there, or cannot be read; nullopt when it can be.
std::optional<std::string> UnreadableReference(const std::string& path);

// Why `picture`, of the reference `path`, cannot be a reference for a
// `width` x `height` canvas: it is another size, or nothing is drawn on it;
// nullopt when it can be. Said in `language`.
std::optional<std::string> ReferenceFault(const PixelImage& picture, int width, int height,
                                          const std::string& path,
                                          Language language = LocaleLanguage());

}  // namespace dravel
