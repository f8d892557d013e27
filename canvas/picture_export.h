// The canvas's picture as file bytes: PNG from the visible layer (optionally
// with the turtle sprites), SVG from the recorded drawing, chosen by the
// file name's extension. The canvas is copied under its lock and encoded
// after, so a run is not held up by the encoding. Writing goes through the
// atomic file save, and an empty byte block is refused, so an export never
// leaves a zero-byte or half-written file. Showing the outcome is the
// caller's job. No Qt.
#pragma once

#include <string>
#include <string_view>

#include "canvas/canvas_core.h"
#include "canvas/picture_format.h"
#include "runtime/file_bytes.h"

namespace dravel {

// The format whose extension ends `path` (any case); the first for any other.
PictureFormat FormatOfPath(std::string_view path);

// The encoded picture; empty only when encoding failed, for want of memory
// in practice (the picture or its encoding could not be allocated).
std::string PictureBytes(const CanvasCore& canvas, PictureFormat format, bool with_turtles = false);

// Writes `bytes` to `path` (a local byte path) atomically; empty bytes give
// EIO without touching the file. A link at `path` is followed or refused as
// `link` says.
FileWriteResult WritePictureFile(std::string_view path, std::string_view bytes,
                                 LinkAtName link = LinkAtName::kFollow);

}  // namespace dravel
