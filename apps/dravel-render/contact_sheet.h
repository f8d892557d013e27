// The contact sheet of a folder run: one PNG for a teacher checking a class's
// work, with every script's picture as a thumbnail in a grid, its file name
// under it (with its match score, when scored) and, for a script that did
// not end well, its result in red. The
// names are set in a face that can show Chinese. The thumbnails are read
// from their files one at a time, so only the sheet is held whole. Needs a
// QGuiApplication.
#pragma once

#include <QByteArray>
#include <QImage>
#include <string>
#include <vector>

#include "apps/dravel-render/script_result.h"
#include "apps/dravel-render/thumbnail.h"

namespace dravel {

// A cell: the script's name, its score and, when it did not end well, its
// result, all from its record; its thumbnail from a file.
struct SheetEntry {
  const ScriptResult* result;
  std::string thumbnail;  // the thumbnail's PNG file; an empty cell when unreadable
};

inline constexpr int kSheetColumns = 4;

// With no entries, a small sheet that says so; null only when the sheet
// cannot be allocated. Three bytes a pixel: two hundred tall thumbnails make a
// sheet of some 80 MB.
QImage ContactSheet(const std::vector<SheetEntry>& entries);

// The sheet as PNG, encoded a row at a time, so no second sheet-sized
// buffer is made; empty when encoding failed.
QByteArray SheetPng(const QImage& sheet);

}  // namespace dravel
