#include "marking/picture_score.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "canvas/window_look.h"
#include "marking/match_overlay.h"
#include "marking/teacher_words.h"

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

std::optional<std::string> UnreadableReference(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 && errno == ENOENT)
    return SaidText(Said::kReferenceMissing, {path});
  // Opened, not read: a reference may be a large PNG.
  const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) return SaidText(Said::kCannotRead, {path, ErrorWords(errno)});
  ::close(file);
  if (!S_ISREG(info.st_mode)) return SaidText(Said::kCannotRead, {path, ErrorWords(EINVAL)});
  return std::nullopt;
}

std::optional<std::string> ReferenceFault(const PixelImage& picture, int width, int height,
                                          const std::string& path, Language language) {
  if (picture.width != width || picture.height != height) {
    return SaidText(Said::kReferenceSize, language,
                    {path, std::to_string(picture.width) + "x" + std::to_string(picture.height)});
  }
  if (DrawnShape(picture.View(), kWindowBackgroundColour).Empty())
    return SaidText(Said::kReferenceBlank, language, {path});
  return std::nullopt;
}

}  // namespace dravel
