#include "services/ConfigDataFile.h"

namespace {

bool SameName(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QString OneLine(const QString& text) {
  QString line = text;
  for (QChar& c : line)
    if (c == u'\r' || c == u'\n') c = u' ';
  return line;
}

}  // namespace

QStringView TConfigDataFile::TrimControl(QStringView text) {
  qsizetype first = 0, last = text.size();
  while (first < last && text[first].unicode() <= 32) ++first;
  while (last > first && text[last - 1].unicode() <= 32) --last;
  return text.mid(first, last - first);
}

// Lines end at CR, LF or the pair; each is trimmed; empty lines and lines starting with ";" are
// skipped; "[name]" starts a section (a repeated name starts a second one); lines before the first
// section are dropped; an entry is stored as its trimmed name, "=", its trimmed value.
void TConfigDataFile::LoadFromText(QStringView text) {
  Sections.clear();
  TSection* current = nullptr;
  qsizetype pos = 0;
  const qsizetype size = text.size();
  while (pos < size) {
    qsizetype end = pos;
    while (end < size && text[end] != u'\r' && text[end] != u'\n') ++end;
    QStringView line = TrimControl(text.mid(pos, end - pos));
    pos = end;
    if (pos < size && text[pos] == u'\r') ++pos;
    if (pos < size && text[pos] == u'\n') ++pos;

    if (line.isEmpty() || line.front() == u';') continue;
    if (line.front() == u'[' && line.back() == u']' && line.size() >= 2) {
      Sections.push_back({TrimControl(line.mid(1, line.size() - 2)).toString(), {}});
      current = &Sections.back();
      continue;
    }
    if (!current) continue;
    qsizetype eq = line.indexOf(u'=');
    if (eq < 0) {
      current->Entries.append(line.toString());
    } else {
      current->Entries.append(TrimControl(line.left(eq)).toString() + u'=' +
                              TrimControl(line.mid(eq + 1)).toString());
    }
  }
}

QString TConfigDataFile::ToText(QStringView eol) const {
  QString text;
  for (const TSection& section : Sections) {
    text.append(u'[').append(section.Name).append(u']').append(eol);
    for (const QString& entry : section.Entries) text.append(entry).append(eol);
    text.append(eol);
  }
  return text;
}

const TConfigDataFile::TSection* TConfigDataFile::FindSection(QStringView section) const {
  for (const TSection& s : Sections)
    if (SameName(s.Name, section)) return &s;
  return nullptr;
}

TConfigDataFile::TSection* TConfigDataFile::FindSection(QStringView section) {
  for (TSection& s : Sections)
    if (SameName(s.Name, section)) return &s;
  return nullptr;
}

QStringList TConfigDataFile::ReadSection(QStringView section) const {
  const TSection* s = FindSection(section);
  return s ? s->Entries : QStringList();
}

void TConfigDataFile::WriteSection(const QString& section, const QStringList& entries) {
  TSection* s = FindSection(section);
  if (!s) {
    Sections.push_back({OneLine(section), {}});
    s = &Sections.back();
  }
  s->Entries.clear();
  for (const QString& entry : entries) s->Entries.append(OneLine(entry));
}

void TConfigDataFile::EraseSection(QStringView section) {
  for (auto it = Sections.begin(); it != Sections.end(); ++it) {
    if (SameName(it->Name, section)) {
      Sections.erase(it);
      return;
    }
  }
}

bool TConfigDataFile::EntryName(const QString& entry, QStringView& name) {
  qsizetype eq = entry.indexOf(u'=');
  if (eq < 0) return false;
  name = QStringView(entry).left(eq);
  return true;
}

QString TConfigDataFile::EntryValue(const QString& entry) {
  qsizetype eq = entry.indexOf(u'=');
  return eq < 0 ? entry : entry.mid(eq + 1);
}

int TConfigDataFile::IndexOfName(const QStringList& entries, QStringView name) {
  for (int i = 0; i < entries.size(); ++i) {
    QStringView entryName;
    if (EntryName(entries[i], entryName) && SameName(entryName, name)) return i;
  }
  return -1;
}

bool TConfigDataFile::ValueExists(QStringView section, QStringView name) const {
  const TSection* s = FindSection(section);
  return s && IndexOfName(s->Entries, name) >= 0;
}

QString TConfigDataFile::ReadString(QStringView section, QStringView name,
                                    const QString& defaultValue) const {
  const TSection* s = FindSection(section);
  if (!s) return defaultValue;
  int index = IndexOfName(s->Entries, name);
  return index < 0 ? defaultValue : EntryValue(s->Entries[index]);
}

void TConfigDataFile::WriteString(const QString& section, const QString& name,
                                  const QString& value) {
  TSection* s = FindSection(section);
  if (!s) {
    Sections.push_back({OneLine(section), {}});
    s = &Sections.back();
  }
  const QString entry = OneLine(name) + u'=' + OneLine(value);
  int index = IndexOfName(s->Entries, name);
  if (index < 0)
    s->Entries.append(entry);
  else
    s->Entries[index] = entry;
}
