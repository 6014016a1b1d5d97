#include "automation/DBusInterface.h"

#include "generator/InkloomError.h"

#include <QDomDocument>
#include <QFile>
#include <QTextStream>

#include <map>

namespace {

TDBusMethod ReadMethod(const QDomElement& element) {
  TDBusMethod method;
  method.Name = element.attribute(QStringLiteral("name"));
  for (QDomElement arg = element.firstChildElement(QStringLiteral("arg")); !arg.isNull();
       arg = arg.nextSiblingElement(QStringLiteral("arg"))) {
    const QString type = arg.attribute(QStringLiteral("type"));
    if (arg.attribute(QStringLiteral("direction")) == u"out") {
      method.OutType = type;
      continue;
    }
    method.InSignature += type;
    ++method.InCount;
  }
  return method;
}

TDBusProperty ReadProperty(const QDomElement& element) {
  const QString access = element.attribute(QStringLiteral("access"));
  return {element.attribute(QStringLiteral("name")), element.attribute(QStringLiteral("type")),
          access.startsWith(u"read"), access.endsWith(u"write")};
}

template <class TItem>
const TItem* Find(const QList<TItem>& items, const QString& name) {
  for (const TItem& item : items)
    if (item.Name == name) return &item;
  return nullptr;
}

}  // namespace

TDBusInterface TDBusInterface::Load(const QString& fileName) {
  QFile file(fileName);
  QDomDocument document;
  if (!file.open(QIODevice::ReadOnly) || !document.setContent(&file))
    throw EInkloomError("Cannot read the D-Bus interface description " + fileName.toStdString());
  const QDomElement element = document.documentElement().firstChildElement(QStringLiteral("interface"));
  if (element.isNull()) throw EInkloomError("No D-Bus interface in " + fileName.toStdString());
  TDBusInterface result;
  result.InterfaceName = element.attribute(QStringLiteral("name"));
  QTextStream xml(&result.ElementXml);
  element.save(xml, 2);
  for (QDomElement e = element.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
    if (e.tagName() == u"method") result.MethodList.append(ReadMethod(e));
    if (e.tagName() == u"property") result.PropertyList.append(ReadProperty(e));
  }
  return result;
}

const TDBusInterface& TDBusInterface::Named(const QString& interfaceName) {
  static std::map<QString, TDBusInterface> loaded;
  auto found = loaded.find(interfaceName);
  if (found == loaded.end())
    found = loaded.emplace(interfaceName, Load(QStringLiteral(":/dbus/%1.xml").arg(interfaceName))).first;
  return found->second;
}

const TDBusMethod* TDBusInterface::Method(const QString& name) const { return Find(MethodList, name); }

const TDBusProperty* TDBusInterface::Property(const QString& name) const { return Find(PropertyList, name); }
