// Paths as the file system holds them (bytes) next to paths as Qt shows them.
// Qt decodes every file name as UTF-8, so a name in another encoding (a GBK
// name from an archive made on Windows) comes back from a dialog with U+FFFD
// in it and no longer names its file; these find the file again and show
// such names readably. The callers decide what to open, write or report.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace dravel {

// The bytes naming `path`. A path that exists as QFile::encodeName gives it is
// that; otherwise each missing part holding U+FFFD is looked up in its folder
// as the one entry Qt decodes to that name. When none or several match, the
// encoded path is the answer (opening it then fails as for any missing file).
std::string NativePath(const QString& path);

// `native` for people: each part between slashes read as UTF-8 when it is
// valid UTF-8, else as GBK, so a GBK file name in a UTF-8 folder reads right.
QString ReadablePath(std::string_view native);

}  // namespace dravel
