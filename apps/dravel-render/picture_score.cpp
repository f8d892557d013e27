#include "apps/dravel-render/picture_score.h"

#include "apps/dravel-render/match_overlay.h"
#include "canvas/window_look.h"

namespace dravel {

std::optional<PictureScore> ScorePicture(const PixelImage& picture, size_t count,
                                         const std::function<PixelImage(size_t)>& reference,
                                         MatchMode mode, bool with_overlay) {
  if (picture.Empty()) return std::nullopt;
  const DrawnShape drawing(picture.View(), kWindowBackgroundColour);
  std::optional<PictureScore> best;
  for (size_t i = 0; i < count; ++i) {
    const PixelImage target = reference(i);
    if (target.Empty()) return std::nullopt;
    const DrawnShape shape(target.View(), kWindowBackgroundColour);
    const DrawingMatch match = MatchDrawing(shape, drawing, mode);
    if (best && match.score <= best->score) continue;
    best = PictureScore{match.score, i, {}};
    if (with_overlay) {
      best->overlay =
          MatchOverlay(shape, drawing, match, kWindowPenColour, kWindowBackgroundColour);
    }
  }
  return best;
}

PixelImage CanvasPicture(const CanvasCore& canvas, bool with_turtles) {
  const auto locked = canvas.Lock();
  if (!with_turtles) return PixelImage::Of(locked->VisibleLayer());
  return {locked->Width(), locked->Height(), locked->Paint()};
}

std::optional<std::string> ReferenceFault(const PixelImage& picture, int width, int height) {
  if (picture.width != width || picture.height != height) {
    return "is " + std::to_string(picture.width) + "x" + std::to_string(picture.height) +
           ", not the canvas size";
  }
  if (DrawnShape(picture.View(), kWindowBackgroundColour).Empty())
    return std::string("draws nothing");
  return std::nullopt;
}

}  // namespace dravel
