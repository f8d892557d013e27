// Qt's own texts (the standard dialogs' buttons and labels, the editors'
// context menus) in the program's language: Qt's Chinese translations, in the
// system locale's variant when it names one (zh_TW, zh_HK), otherwise
// Simplified Chinese, since every text of the program is Chinese. Without the
// translation files the program still works, with Qt's texts in English.
#pragma once

class QCoreApplication;
class QLocale;
class QTranslator;

namespace dravel {

// Installs the translations into `app` and gives the translator (owned by
// `app`), or null when none were found. `locale` null: the system's.
QTranslator* InstallQtTranslations(QCoreApplication& app, const QLocale* locale = nullptr);

}  // namespace dravel
