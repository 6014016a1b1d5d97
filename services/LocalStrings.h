#pragma once

// The text table of one window or module, in English (1033) and Russian (1049). Applying a
// language sets the texts of the owner's components from entries "Component.Property" and
// "Component.Property[index]" of that language's section; entries without a dot are messages,
// looked up with GetString (current language, then the default language, then empty).
//
// A window makes its table first, builds its components, then calls Loaded(), which applies the
// current language, so every window appears in the language in use. The program's tables are
// resources/strings/<Section>.ini, compiled in as ":/strings/<Section>.ini"; besides the language
// sections such a file may list, in a section [UnlocalizableNames], the property entries that the
// editing view leaves out.

#include "services/ConfigDataFile.h"
#include "services/TextProperties.h"

#include <QObject>
#include <QString>
#include <QStringList>

class TLocalStrings : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Section READ Section WRITE SetSection)
  Q_PROPERTY(QStringList Strings READ Strings WRITE SetStrings STORED false)
  Q_PROPERTY(int LangId READ LangId WRITE Localize)
  Q_PROPERTY(QStringList UnlocalizableNames READ UnlocalizableNames WRITE SetUnlocalizableNames)

 public:
  // Registers the table and takes the registry's current language; Section is the owner's name.
  explicit TLocalStrings(QObject* owner);
  // The same, then loads the program's table of that section.
  TLocalStrings(QObject* owner, const QString& section);
  ~TLocalStrings() override;

  const QString& Section() const { return SectionName; }
  void SetSection(const QString& section) { SectionName = section; }
  int LangId() const { return Lang; }
  // Applies a language: sets the texts its section names, then raises OnLocalize. A language
  // without a section changes no text.
  void Localize(int langId);
  const QStringList& UnlocalizableNames() const { return Unlocalizable; }
  void SetUnlocalizableNames(const QStringList& names) { Unlocalizable = names; }

  // Called by the owner once all its components exist: applies the current language.
  void Loaded();
  // The message text of key; each backslash and "r" in it stands for a line break.
  QString GetString(const QString& key) const;

  // The table data: its language sections, in the ini form.
  const TConfigDataFile& Table() const { return Data; }
  TConfigDataFile& Table() { return Data; }
  // The file form: the language sections, then [UnlocalizableNames] when there are any.
  QString TableText() const;
  void SetTableText(const QString& text);
  // Loads ":/strings/<Section>.ini"; false when the program has no such table.
  bool LoadTable();
  static QString TableResource(const QString& section);

  // The editing view: the current language's section as the owner's components show it now,
  // with the table's entries merged in, followed by the other sections. Writing it back replaces
  // the table, applies the current language's entries that name a text of the owner, and adds the
  // texts it does not give to UnlocalizableNames.
  QStringList Strings() const;
  void SetStrings(const QStringList& lines);

 Q_SIGNALS:
  void OnLocalize(TLocalStrings* sender);

 private:
  QString SectionName;
  int Lang = 0;
  QStringList Unlocalizable;
  TConfigDataFile Data;

  QObject* Owner() const { return parent(); }
  QObject* FindComponent(const QString& name) const;
  bool ApplyEntry(const QString& name, const QString& value);
  // Every text of the owner and its components, as entries "Component.Property" and value.
  QList<TTextProperties::TEntry> CaptureOwner() const;
};

// A message of a table with its "%s" and "%d" filled in order from values ("%%" gives "%"). A
// text with more of them than values keeps the rest as they are, so a translated text can never
// read past the values.
QString FormatText(const QString& format, const QStringList& values);
