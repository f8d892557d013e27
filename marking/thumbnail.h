// The small picture of a script a folder run's contact sheet shows: the
// script's picture kThumbnailWidth wide, each pixel the average of those it
// covers. Plain C++ on the calling thread.
#pragma once

#include "canvas/pixel_image.h"

namespace dravel {

inline constexpr int kThumbnailWidth = 240;

// Empty for an empty picture, or when the thumbnail cannot be allocated.
PixelImage Thumbnail(const PixelView& picture);

}  // namespace dravel
