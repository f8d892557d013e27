// The contact sheet of a folder run: one PNG for a teacher checking a class's
// work, with every script's picture as a thumbnail in a grid, its file name
// under it (with its match score, when scored) and a note: a result that is
// not ok in red, else the checker's first finding in brown. The folder run
// words the cells (DravelSheetEntry); the names are set in a face that can
// show Chinese. The thumbnails are read from their files one at a time, so
// only the sheet is held whole. libdravel-text's; needs a QGuiApplication.
#pragma once

#include <QByteArray>
#include <QImage>
#include <span>

#include "apps/dravel-render/text_library/text_library_interface.h"
#include "marking/thumbnail.h"

namespace dravel {

inline constexpr int kSheetColumns = 4;

// With no entries, a small sheet that says so; null only when the sheet
// cannot be allocated. Three bytes a pixel: two hundred tall thumbnails make a
// sheet of some 80 MB. A thumbnail that cannot be read leaves its cell empty.
QImage ContactSheet(std::span<const DravelSheetEntry> entries);

// The sheet as PNG, encoded a row at a time, so no second sheet-sized
// buffer is made; empty when encoding failed.
QByteArray SheetPng(const QImage& sheet);

}  // namespace dravel
