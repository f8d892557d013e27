// The contact sheet of a folder run: one PNG for a teacher checking a class's
// work, with every script's picture as a thumbnail in a grid, its file name
// under it (with its match score, when scored) and, for a script that did
// not end well, its result in red. The
// names are set in a face that can show Chinese. Needs a QGuiApplication.
#pragma once

#include <QImage>
#include <QString>
#include <vector>

namespace dravel {

struct SheetEntry {
  QString name;
  QImage picture;   // null: an empty cell
  QString problem;  // empty when the script ended with its closing message
  QString score;    // the match score, shown at the name's right; may be empty
};

inline constexpr int kThumbnailWidth = 240;
inline constexpr int kSheetColumns = 4;

// With no entries, a small sheet that says so; null only when the sheet
// cannot be allocated.
QImage ContactSheet(const std::vector<SheetEntry>& entries);

}  // namespace dravel
