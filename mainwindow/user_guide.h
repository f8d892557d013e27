// UserGuide: the user guide installed with the program, one local HTML page
// in Chinese (GBK) so that it opens offline in a classroom: its head and
// chapters (resources/guide/head.html and chapters.html, which the page's
// guide reads too), the command reference made from the command rows, and
// the examples with their pictures and scripts. The build
// writes it (apps/dravel/user_guide_writer.cpp); the window's hyperlink
// opens it at the address the build was configured with.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <vector>

namespace dravel {

struct GuideFile {
  QString name;  // relative to the guide's folder: "index.html", "pictures/…"
  QByteArray bytes;
};

// The guide's page and the pictures it makes, given its head's HTML (up to
// its table of contents) and the chapters'.
std::vector<GuideFile> UserGuideFiles(const QString& head_html, const QString& chapters_html);

// Where the hyperlink leads: `address` as it is when it names a scheme
// ("https://…"), else a file path, taken from `program_folder` when relative.
QUrl UserGuideUrl(const QString& address, const QString& program_folder);

// The address the build was configured with (DRAVEL_GUIDE_ADDRESS).
QString UserGuideAddress();

}  // namespace dravel
