#include "app/InterfaceLanguage.h"

#include "services/Localizer.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>
#include <vector>

namespace {

// The toolkit's catalogues: Qt's widgets and dialogs, the embedded browser, the editor control.
constexpr const char* kCatalogues[] = {"qtbase", "qtwebengine", "qscintilla"};

std::vector<std::unique_ptr<QTranslator>>& Installed() {
  static std::vector<std::unique_ptr<QTranslator>> translators;
  return translators;
}

void LoadCatalogues(const QLocale& locale) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  for (const char* catalogue : kCatalogues) {
    auto translator = std::make_unique<QTranslator>();
    // A catalogue missing in a language leaves its texts in English.
    if (!translator->load(locale, QLatin1String(catalogue), QStringLiteral("_"), folder)) continue;
    QCoreApplication::installTranslator(translator.get());
    Installed().push_back(std::move(translator));
  }
}

}  // namespace

int TInterfaceLanguage::Valid(int langId) {
  return langId == English ? English : Russian;
}

void TInterfaceLanguage::Apply(TLocalizer& localizer, int langId) {
  const QLocale locale(langId == English ? QLocale::English : QLocale::Russian);
  QLocale::setDefault(locale);
  for (const auto& translator : Installed()) QCoreApplication::removeTranslator(translator.get());
  Installed().clear();
  LoadCatalogues(locale);
  localizer.SetLangId(Valid(langId));
}
