#include "services/TextProperties.h"

#include "services/TextAdapter.h"

#include <QMetaProperty>
#include <QObject>
#include <QStringList>
#include <QVariant>

#include <array>

namespace {

const std::array<const char*, 3> CaptionAliases{"text", "title", "windowTitle"};
const std::array<const char*, 2> HintAliases{"toolTip", "statusTip"};
// Texts that are not shown as words of the interface.
const std::array<const char*, 9> NeverCaptured{
    "objectName", "styleSheet", "windowFilePath", "windowIconText", "windowRole",
    "accessibleName", "accessibleDescription", "inputMask", "iconText"};

QList<TTextAdapter*>& Adapters() {
  static QList<TTextAdapter*> adapters;
  return adapters;
}

template <size_t N>
bool OneOf(const char* name, const std::array<const char*, N>& names) {
  for (const char* candidate : names)
    if (qstrcmp(name, candidate) == 0) return true;
  return false;
}

// The writable property of that name and type, static or dynamic.
bool Write(QObject* object, const QByteArray& name, int type, const QVariant& value) {
  const QMetaObject* meta = object->metaObject();
  const int index = meta->indexOfProperty(name.constData());
  if (index >= 0) {
    const QMetaProperty property = meta->property(index);
    return property.isWritable() && property.metaType().id() == type && property.write(object, value);
  }
  if (!object->dynamicPropertyNames().contains(name)) return false;
  if (object->property(name.constData()).metaType().id() != type) return false;
  object->setProperty(name.constData(), value);
  return true;
}

QVariant Read(const QObject* object, const QByteArray& name, int type) {
  const QVariant value = object->property(name.constData());
  return value.metaType().id() == type ? value : QVariant();
}

QList<QByteArray> Spellings(const QString& property) {
  QByteArray exact = property.toUtf8();
  QByteArray lower = exact;
  if (!lower.isEmpty()) lower[0] = static_cast<char>(QChar::toLower(static_cast<char16_t>(lower[0])));
  return lower == exact ? QList<QByteArray>{exact} : QList<QByteArray>{exact, lower};
}

bool HasWritable(const QObject* object, const char* name, int type) {
  const QMetaObject* meta = object->metaObject();
  const int index = meta->indexOfProperty(name);
  if (index >= 0) {
    const QMetaProperty property = meta->property(index);
    return property.isWritable() && property.metaType().id() == type;
  }
  return object->dynamicPropertyNames().contains(name) &&
         object->property(name).metaType().id() == type;
}

bool ApplyScalar(QObject* object, const QString& property, const QString& value) {
  for (const QByteArray& name : Spellings(property))
    if (Write(object, name, QMetaType::QString, value)) return true;
  if (property == u"Caption") {
    for (const char* alias : CaptionAliases)
      if (Write(object, alias, QMetaType::QString, value)) return true;
  } else if (property == u"Title") {
    return Write(object, "windowTitle", QMetaType::QString, value);
  } else if (property == u"Hint" && HasWritable(object, "toolTip", QMetaType::QString)) {
    const qsizetype bar = value.indexOf(u'|');
    Write(object, "toolTip", QMetaType::QString, bar < 0 ? value : value.left(bar));
    Write(object, "statusTip", QMetaType::QString, bar < 0 ? value : value.mid(bar + 1));
    return true;
  }
  return false;
}

bool ApplyItem(QObject* object, const QString& property, int index, const QString& value) {
  for (const QByteArray& name : Spellings(property)) {
    if (!HasWritable(object, name.constData(), QMetaType::QStringList)) continue;
    QStringList items = object->property(name.constData()).toStringList();
    if (index >= items.size()) return false;
    items[index] = value;
    return Write(object, name, QMetaType::QStringList, items);
  }
  return false;
}

// "Name[index]": false when the text in brackets is not a decimal number or anything follows.
bool SplitIndex(const QString& property, QString& name, int& index) {
  const qsizetype open = property.indexOf(u'[');
  if (open < 0) {
    name = property;
    index = -1;
    return true;
  }
  const qsizetype close = property.indexOf(u']', open + 1);
  if (close < 0 || close != property.size() - 1 || close == open + 1) return false;
  index = 0;
  for (qsizetype i = open + 1; i < close; ++i) {
    const char16_t c = property[i].unicode();
    if (c < '0' || c > '9' || index > 100000000) return false;
    index = index * 10 + (c - '0');
  }
  name = property.left(open);
  return true;
}

}  // namespace

bool TTextProperties::Apply(QObject* object, const QString& property, const QString& value) {
  QString name;
  int index;
  if (!object || !SplitIndex(property, name, index) || name.isEmpty()) return false;
  for (TTextAdapter* adapter : Adapters())
    if (adapter->Apply(object, name, index, value)) return true;
  return index < 0 ? ApplyScalar(object, name, value) : ApplyItem(object, name, index, value);
}

QList<TTextProperties::TEntry> TTextProperties::Capture(const QObject* object) {
  QList<TEntry> entries;
  const QMetaObject* meta = object->metaObject();
  QList<QByteArray> names;
  for (int i = 0; i < meta->propertyCount(); ++i) names.append(meta->property(i).name());
  names.append(object->dynamicPropertyNames());

  // The first alias the object has is its caption; the others are not its words.
  QByteArray captionAlias;
  if (!HasWritable(object, "Caption", QMetaType::QString))
    for (const char* alias : CaptionAliases)
      if (HasWritable(object, alias, QMetaType::QString)) {
        captionAlias = alias;
        break;
      }
  const bool ownHint = HasWritable(object, "Hint", QMetaType::QString);
  for (const QByteArray& name : names) {
    const char* n = name.constData();
    if (OneOf(n, NeverCaptured) || OneOf(n, HintAliases)) continue;
    if (HasWritable(object, n, QMetaType::QStringList)) {
      const QStringList items = object->property(n).toStringList();
      for (int i = 0; i < items.size(); ++i)
        if (!items[i].isEmpty())
          entries.append({QStringLiteral("%1[%2]").arg(QString::fromUtf8(name)).arg(i), items[i]});
      continue;
    }
    if (!HasWritable(object, n, QMetaType::QString)) continue;
    const QString value = Read(object, name, QMetaType::QString).toString();
    if (OneOf(n, CaptionAliases)) {
      if (name == captionAlias && !value.isEmpty()) entries.append({QStringLiteral("Caption"), value});
      continue;
    }
    if (!value.isEmpty()) entries.append({QString::fromUtf8(name), value});
  }
  if (!ownHint && HasWritable(object, "toolTip", QMetaType::QString)) {
    const QString tip = object->property("toolTip").toString();
    const QString status = object->property("statusTip").toString();
    if (!tip.isEmpty() || !status.isEmpty())
      entries.append({QStringLiteral("Hint"),
                      status.isEmpty() || status == tip ? tip : tip + u'|' + status});
  }
  for (const TTextAdapter* adapter : Adapters()) adapter->Capture(object, entries);
  return entries;
}

void TTextProperties::AddAdapter(TTextAdapter* adapter) {
  if (!Adapters().contains(adapter)) Adapters().append(adapter);
}

void TTextProperties::RemoveAdapter(TTextAdapter* adapter) { Adapters().removeAll(adapter); }
