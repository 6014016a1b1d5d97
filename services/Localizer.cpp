#include "services/Localizer.h"

#include "services/ConfigDataFile.h"
#include "services/LocalStrings.h"
#include "services/Localization.h"

#include <QPointer>

TLocalizer::TLocalizer(QObject* owner) : QObject(owner) {}

int TLocalizer::LangId() const { return TLocalization::Instance().LangId(); }

int TLocalizer::DefaultLangId() const { return TLocalization::Instance().DefaultLangId(); }

void TLocalizer::SetDefaultLangId(int langId) { TLocalization::Instance().SetDefaultLangId(langId); }

void TLocalizer::SetLangId(int langId) {
  TLocalization::Instance().SetLangId(langId);
  // A handler of OnLocalize may open or close a window; a table gone since is skipped.
  QList<QPointer<TLocalStrings>> tables;
  for (TLocalStrings* table : TLocalization::Instance().Tables()) tables.append(table);
  for (const QPointer<TLocalStrings>& table : tables)
    if (table) table->Localize(langId);
}

QStringList TLocalizer::Strings() const {
  const QString current = QString::number(LangId());
  QStringList lines;
  for (const TLocalStrings* table : TLocalization::Instance().Tables()) {
    if (table->Section().isEmpty()) continue;
    const QStringList entries = table->Table().ReadSection(current);
    if (entries.isEmpty()) continue;
    if (!lines.isEmpty()) lines.append(QString());
    lines.append(u'[' + table->Section() + u']');
    lines.append(entries);
  }
  return lines;
}

void TLocalizer::SetStrings(const QStringList& lines) {
  TConfigDataFile translation;
  translation.LoadFromText(lines.join(u'\n'));
  const QString current = QString::number(LangId());
  for (const TConfigDataFile::TSection& section : translation.SectionList()) {
    for (TLocalStrings* table : TLocalization::Instance().Tables()) {
      if (table->Section() != section.Name) continue;
      table->Table().WriteSection(current, section.Entries);
      break;
    }
  }
}
