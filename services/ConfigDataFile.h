#pragma once

// Ini data held in memory: an ordered list of sections, each an ordered list of entries. An entry
// is one line, normally name=value; a line read without "=" is kept as a bare entry that no name
// finds. Section and entry names match without regard to letter case, and with duplicates the
// first one wins. The settings file and every text table are kept in this form.

#include <QString>
#include <QStringList>

#include <vector>

class TConfigDataFile {
 public:
  struct TSection {
    QString Name;
    QStringList Entries;
  };

  // Replaces everything with the sections of text (see the reading rules in the source).
  void LoadFromText(QStringView text);
  // Each section as a header line, its entries, then one empty line; lines end with eol.
  QString ToText(QStringView eol = u"\r\n") const;
  void Clear() { Sections.clear(); }

  // The path the data was loaded from and is saved to.
  const QString& FileName() const { return Path; }
  void SetFileName(const QString& path) { Path = path; }

  const std::vector<TSection>& SectionList() const { return Sections; }
  bool SectionExists(QStringView section) const { return FindSection(section) != nullptr; }
  // The entries of the first section of that name; empty when there is none.
  QStringList ReadSection(QStringView section) const;
  // Makes entries the whole content of the first section of that name, appended when missing.
  void WriteSection(const QString& section, const QStringList& entries);
  void EraseSection(QStringView section);

  bool ValueExists(QStringView section, QStringView name) const;
  QString ReadString(QStringView section, QStringView name, const QString& defaultValue) const;
  // Replaces the first entry of that name in place (with the spelling of name given now), or
  // appends name=value to the section, which is appended to the data when missing. Line breaks
  // in name or value become spaces: one entry is one line of the file.
  void WriteString(const QString& section, const QString& name, const QString& value);

  // The name of an entry (text before the first "="), and whether it has one.
  static bool EntryName(const QString& entry, QStringView& name);
  static QString EntryValue(const QString& entry);
  // Index of the first entry named name in entries, or -1.
  static int IndexOfName(const QStringList& entries, QStringView name);
  // Removes characters with codes up to 32 from both ends.
  static QStringView TrimControl(QStringView text);

 private:
  std::vector<TSection> Sections;
  QString Path;

  const TSection* FindSection(QStringView section) const;
  TSection* FindSection(QStringView section);
};
