// Qt's own texts (the standard dialogs' buttons and labels, the editors'
// context menus, the file dialog's column of types) in the program's
// language: Qt's Chinese translations, in the system locale's variant when it
// names one (zh_TW, zh_HK), otherwise Simplified Chinese, since every text of
// the program is Chinese; with our own Simplified Chinese for the few texts
// Qt's translation lacks (the file types "Folder", "File" and their kin).
// Without the translation files the program still works, with Qt's texts in
// English. Under a locale that is not Chinese (LANG=C in a classroom image),
// the words Qt takes from the locale rather than from a translation (sizes,
// dates, file kinds) are made Chinese too, before the application starts.
#pragma once

#include <string>
#include <utility>
#include <vector>

class QCoreApplication;
class QLocale;
class QTranslator;

namespace dravel {

// Installs the translations into `app` and gives the translator (owned by
// `app`), or null when none were found. `locale` null: the system's.
QTranslator* InstallQtTranslations(QCoreApplication& app, const QLocale* locale = nullptr);

// The locale variables to set, before the application exists, so that Qt's
// locale words (file sizes, dates) come out Chinese: none when the locale
// (LC_ALL, else LC_MESSAGES, else LANG, as given) is Chinese already, or
// when LC_ALL is set (it rules every other variable).
std::vector<std::pair<std::string, std::string>> ChineseLocaleWords(const char* lc_all,
                                                                    const char* lc_messages,
                                                                    const char* lang);
// Sets them from the environment, and makes Chinese the default locale when
// the system's is not (file kinds). Before the application exists.
void PreferChineseLocaleWords();

}  // namespace dravel
