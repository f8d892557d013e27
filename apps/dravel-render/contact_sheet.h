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
#include <QString>
#include <vector>

namespace dravel {

struct SheetEntry {
  QString name;
  QString picture;  // a thumbnail's image file; an empty cell when unreadable
  QString problem;  // empty when the script ended with its closing message
  QString score;    // the match score, shown at the name's right; may be empty
};

inline constexpr int kThumbnailWidth = 240;
inline constexpr int kSheetColumns = 4;

// With no entries, a small sheet that says so; null only when the sheet
// cannot be allocated. Three bytes a pixel: two hundred tall thumbnails make a
// sheet of some 80 MB.
QImage ContactSheet(const std::vector<SheetEntry>& entries);

// The sheet as PNG, encoded a row at a time, so no second sheet-sized
// buffer is made; empty when encoding failed.
QByteArray SheetPng(const QImage& sheet);

// The RGB32 `picture` at kThumbnailWidth wide, each pixel the average of
// those it covers; null for a null picture. On the calling thread alone: Qt's smooth scaling hands
// parts to a thread pool and waits for ever when a thread cannot be made, as
// under a child's memory limit.
QImage Thumbnail(const QImage& picture);

}  // namespace dravel
