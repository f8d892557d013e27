#include "mainwindow/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace dravel {

QTranslator* InstallQtTranslations(QCoreApplication& app, const QLocale* locale) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  auto* translator = new QTranslator(&app);
  const QLocale simplified(QLocale::Chinese, QLocale::China);
  QLocale wanted = locale != nullptr ? *locale : QLocale::system();
  if (wanted.language() != QLocale::Chinese) wanted = simplified;
  const auto load = [&](const QLocale& language) {
    return translator->load(language, QStringLiteral("qtbase"), QStringLiteral("_"), folder);
  };
  const bool found = load(wanted) || load(simplified);
  if (!found) {
    delete translator;
    return nullptr;
  }
  app.installTranslator(translator);
  return translator;
}

}  // namespace dravel
