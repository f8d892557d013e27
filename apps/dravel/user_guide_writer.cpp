// user_guide_writer HEAD CHAPTERS OUT_FOLDER [PICTURE...]: writes the user
// guide (mainwindow/user_guide.h) into OUT_FOLDER, its head's and chapters'
// HTML read from HEAD and CHAPTERS and each PICTURE (a screenshot the chapters show) copied into
// OUT_FOLDER/pictures. Run by the build, on the offscreen platform.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

#include "mainwindow/user_guide.h"

namespace {

bool Write(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
      file.flush()) {
    return true;
  }
  std::fprintf(stderr, "user_guide_writer: cannot write %s\n", qPrintable(path));
  return false;
}

QByteArray Read(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "user_guide_writer: cannot read %s\n", qPrintable(path));
    std::exit(1);
  }
  return file.readAll();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() < 4) {
    std::fprintf(stderr, "usage: user_guide_writer HEAD CHAPTERS OUT_FOLDER [PICTURE...]\n");
    return 2;
  }
  const QDir out(arguments[3]);
  const QString head = QString::fromUtf8(Read(arguments[1]));
  const QString chapters = QString::fromUtf8(Read(arguments[2]));
  bool written = true;
  for (const dravel::GuideFile& file : dravel::UserGuideFiles(head, chapters)) {
    written &= Write(out.filePath(file.name), file.bytes);
  }
  for (const QString& picture : arguments.mid(4)) {
    written &= Write(out.filePath("pictures/" + QFileInfo(picture).fileName()), Read(picture));
  }
  return written ? 0 : 1;
}
