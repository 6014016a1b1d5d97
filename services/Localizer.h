#pragma once

// Sets the language of the whole program: the registry's current language (applied to every live
// table at once) and its default language (the fallback of message lookups). Strings exports the
// current language of every table as one translation text, blocks "[Section]" of entries, and
// imports such a text back into the tables.

#include <QObject>
#include <QStringList>

class TLocalizer : public QObject {
  Q_OBJECT
  Q_PROPERTY(int LangId READ LangId WRITE SetLangId)
  Q_PROPERTY(int DefaultLangId READ DefaultLangId WRITE SetDefaultLangId)
  Q_PROPERTY(QStringList Strings READ Strings WRITE SetStrings STORED false)

 public:
  explicit TLocalizer(QObject* owner = nullptr);

  int LangId() const;
  // Stores the language, then applies it to every table in the order of registration.
  void SetLangId(int langId);
  int DefaultLangId() const;
  // Stores the language; nothing is applied again.
  void SetDefaultLangId(int langId);

  QStringList Strings() const;
  // Each block becomes the whole current-language section of the first table whose Section is
  // its name exactly; blocks naming no table are ignored. Nothing is applied until the language
  // is set again.
  void SetStrings(const QStringList& lines);
};
