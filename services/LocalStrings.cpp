#include "services/LocalStrings.h"

#include "services/Localization.h"

#include <QFile>

#include <functional>

namespace {

const QString UnlocalizableSection = QStringLiteral("UnlocalizableNames");

bool IsTableOrLocalizer(const QObject* object) {
  return object->inherits("TLocalStrings") || object->inherits("TLocalizer");
}

// A window or module inside the owner that has a table of its own keeps its components to it.
bool HasOwnTable(const QObject* object) {
  for (const QObject* child : object->children())
    if (child->inherits("TLocalStrings")) return true;
  return false;
}

// The owner's components, depth first in the order of creation. visit returns false to stop.
bool Walk(QObject* parent, const std::function<bool(QObject*)>& visit) {
  for (QObject* child : parent->children()) {
    if (IsTableOrLocalizer(child) || HasOwnTable(child)) continue;
    if (!visit(child) || !Walk(child, visit)) return false;
  }
  return true;
}

}  // namespace

TLocalStrings::TLocalStrings(QObject* owner) : QObject(owner) {
  if (owner) SectionName = owner->objectName();
  Lang = TLocalization::Instance().LangId();
  TLocalization::Instance().Register(this);
}

TLocalStrings::TLocalStrings(QObject* owner, const QString& section) : TLocalStrings(owner) {
  SectionName = section;
  LoadTable();
}

TLocalStrings::~TLocalStrings() { TLocalization::Instance().Unregister(this); }

QString TLocalStrings::TableResource(const QString& section) {
  return QStringLiteral(":/strings/%1.ini").arg(section);
}

bool TLocalStrings::LoadTable() {
  QFile file(TableResource(SectionName));
  if (SectionName.isEmpty() || !file.open(QIODevice::ReadOnly)) return false;
  SetTableText(QString::fromUtf8(file.readAll()));
  return true;
}

void TLocalStrings::SetTableText(const QString& text) {
  Data.LoadFromText(text);
  Unlocalizable.clear();
  for (const QString& name : Data.ReadSection(UnlocalizableSection))
    if (!Unlocalizable.contains(name, Qt::CaseInsensitive)) Unlocalizable.append(name);
  Data.EraseSection(UnlocalizableSection);
}

// Sections are parted by one empty line; the file ends with its last line.
QString TLocalStrings::TableText() const {
  QString text = Data.ToText(u"\n");
  if (!Unlocalizable.isEmpty())
    text += u'[' + UnlocalizableSection + QStringLiteral("]\n") + Unlocalizable.join(u'\n') + u'\n';
  else if (text.endsWith(QStringLiteral("\n\n")))
    text.chop(1);
  return text;
}

void TLocalStrings::Loaded() { Localize(TLocalization::Instance().LangId()); }

QObject* TLocalStrings::FindComponent(const QString& name) const {
  QObject* owner = Owner();
  if (!owner) return nullptr;
  if (name == owner->objectName()) return owner;
  QObject* found = nullptr;
  Walk(owner, [&](QObject* object) {
    if (object->objectName().isEmpty() ||
        object->objectName().compare(name, Qt::CaseInsensitive) != 0)
      return true;
    found = object;
    return false;
  });
  return found;
}

bool TLocalStrings::ApplyEntry(const QString& name, const QString& value) {
  const qsizetype dot = name.indexOf(u'.');
  if (dot < 0) return false;
  QObject* component = FindComponent(name.left(dot));
  return component && TTextProperties::Apply(component, name.mid(dot + 1), value);
}

void TLocalStrings::Localize(int langId) {
  Lang = langId;
  const QStringList entries = Data.ReadSection(QString::number(langId));
  for (const QString& entry : entries) {
    QStringView name;
    if (TConfigDataFile::EntryName(entry, name) && name.contains(u'.'))
      ApplyEntry(name.toString(), TConfigDataFile::EntryValue(entry));
  }
  Q_EMIT OnLocalize(this);
}

QString TLocalStrings::GetString(const QString& key) const {
  const QString fallback =
      Data.ReadString(QString::number(TLocalization::Instance().DefaultLangId()), key, QString());
  QString text = Data.ReadString(QString::number(Lang), key, fallback);
  text.replace(QStringLiteral("\\r"), QStringLiteral("\n"));
  return text;
}

QList<TTextProperties::TEntry> TLocalStrings::CaptureOwner() const {
  QList<TTextProperties::TEntry> entries;
  auto capture = [&entries](QObject* object) {
    if (object->objectName().isEmpty()) return true;
    for (const TTextProperties::TEntry& entry : TTextProperties::Capture(object))
      entries.append({object->objectName() + u'.' + entry.first, entry.second});
    return true;
  };
  if (QObject* owner = Owner()) {
    capture(owner);
    Walk(owner, capture);
  }
  return entries;
}

QStringList TLocalStrings::Strings() const {
  const QString current = QString::number(Lang);
  QStringList view;
  for (const TTextProperties::TEntry& entry : CaptureOwner())
    if (!Unlocalizable.contains(entry.first, Qt::CaseInsensitive))
      view.append(entry.first + u'=' + entry.second);
  for (const QString& entry : Data.ReadSection(current)) {
    QStringView name;
    const int index = TConfigDataFile::EntryName(entry, name)
                          ? TConfigDataFile::IndexOfName(view, name)
                          : static_cast<int>(view.indexOf(entry));
    if (index >= 0)
      view[index] = entry;
    else
      view.append(entry);
  }
  view.prepend(u'[' + current + u']');
  for (const TConfigDataFile::TSection& section : Data.SectionList()) {
    if (section.Name.compare(current, Qt::CaseInsensitive) == 0) continue;
    view.append(QString());
    view.append(u'[' + section.Name + u']');
    view.append(section.Entries);
  }
  return view;
}

void TLocalStrings::SetStrings(const QStringList& lines) {
  Data.LoadFromText(lines.join(u'\n'));
  const QString current = QString::number(Lang);
  if (!Data.SectionExists(current)) return;
  const QStringList section = Data.ReadSection(current);
  for (const TTextProperties::TEntry& entry : CaptureOwner()) {
    const int index = TConfigDataFile::IndexOfName(section, entry.first);
    if (index >= 0)
      ApplyEntry(entry.first, TConfigDataFile::EntryValue(section[index]));
    else if (!Unlocalizable.contains(entry.first, Qt::CaseInsensitive))
      Unlocalizable.append(entry.first);
  }
}

QString FormatText(const QString& format, const QStringList& values) {
  QString text;
  text.reserve(format.size());
  qsizetype next = 0;
  for (qsizetype i = 0; i < format.size(); ++i) {
    const QChar c = format[i];
    const QChar kind = i + 1 < format.size() ? format[i + 1] : QChar();
    if (c == u'%' && kind == u'%') {
      text += u'%';
      ++i;
    } else if (c == u'%' && (kind == u's' || kind == u'd') && next < values.size()) {
      text += values[next++];
      ++i;
    } else {
      text += c;
    }
  }
  return text;
}
