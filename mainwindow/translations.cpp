#include "mainwindow/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <string_view>

namespace dravel {
namespace {

struct OwnText {
  const char* context;
  const char* source;
  const char* chinese;
};

// What Qt's Simplified Chinese lacks of the texts a file dialog shows.
constexpr OwnText kOwnTexts[] = {
    {"QAbstractFileIconProvider", "Folder", "文件夹"},
    {"QAbstractFileIconProvider", "File", "文件"},
    {"QAbstractFileIconProvider", "%1 File", "%1 文件"},
    {"QAbstractFileIconProvider", "Drive", "驱动器"},
    {"QAbstractFileIconProvider", "Shortcut", "快捷方式"},
};

// Qt's translation file, with our own texts where it has none.
class QtTexts final : public QTranslator {
 public:
  explicit QtTexts(QObject* parent, bool simplified)
      : QTranslator(parent), simplified_(simplified) {}

  QString translate(const char* context, const char* source, const char* disambiguation,
                    int n) const override {
    const QString found = QTranslator::translate(context, source, disambiguation, n);
    if (!found.isEmpty() || !simplified_ || context == nullptr || source == nullptr) return found;
    for (const OwnText& text : kOwnTexts) {
      if (std::string_view(context) == text.context && std::string_view(source) == text.source) {
        return QString::fromUtf8(text.chinese);
      }
    }
    return {};
  }

 private:
  bool simplified_;
};

bool IsChinese(const char* locale) {
  return locale != nullptr && std::string_view(locale).starts_with("zh");
}

bool IsSet(const char* variable) { return variable != nullptr && *variable != '\0'; }

}  // namespace

QTranslator* InstallQtTranslations(QCoreApplication& app, const QLocale* locale) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  const QLocale simplified(QLocale::Chinese, QLocale::China);
  QLocale wanted = locale != nullptr ? *locale : QLocale::system();
  if (wanted.language() != QLocale::Chinese) wanted = simplified;
  auto* translator = new QtTexts(&app, wanted.script() != QLocale::TraditionalChineseScript);
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

std::vector<std::pair<std::string, std::string>> ChineseLocaleWords(const char* lc_all,
                                                                    const char* lc_messages,
                                                                    const char* lang) {
  if (IsSet(lc_all)) return {};
  const char* messages = IsSet(lc_messages) ? lc_messages : lang;
  if (IsChinese(messages)) return {};
  // Sizes follow the messages' locale, dates the time's.
  return {{"LC_MESSAGES", "zh_CN.UTF-8"}, {"LC_TIME", "zh_CN.UTF-8"}};
}

void PreferChineseLocaleWords() {
  const char* lc_all = std::getenv("LC_ALL");
  const char* lc_messages = std::getenv("LC_MESSAGES");
  const char* lang = std::getenv("LANG");
  const char* messages = IsSet(lc_all) ? lc_all : IsSet(lc_messages) ? lc_messages : lang;
  // Before any use of QLocale, which reads the variables once.
  for (const auto& [name, value] : ChineseLocaleWords(lc_all, lc_messages, lang)) {
    qputenv(name.c_str(), QByteArray::fromStdString(value));
  }
  if (!IsChinese(messages)) QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}

}  // namespace dravel
