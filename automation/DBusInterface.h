#pragma once

// One D-Bus interface as its introspection file describes it (resources/dbus/*.xml, compiled in
// as ":/dbus/<interface>.xml"): the methods with their argument types and the properties with
// their access. The file is the contract; the objects served are checked against it.

#include <QList>
#include <QString>

struct TDBusMethod {
  QString Name;
  QString InSignature;  // the types of the in arguments, "sis"
  int InCount = 0;
  QString OutType;      // empty for none
};

struct TDBusProperty {
  QString Name;
  QString Type;
  bool Readable = false;
  bool Writable = false;
};

class TDBusInterface {
 public:
  // Raises EInkloomError when the file cannot be read or holds no interface.
  static TDBusInterface Load(const QString& fileName);
  // The compiled-in description of an interface, read once.
  static const TDBusInterface& Named(const QString& interfaceName);

  const QString& Name() const { return InterfaceName; }
  // The interface element, as introspection shows it.
  const QString& Xml() const { return ElementXml; }
  const QList<TDBusMethod>& Methods() const { return MethodList; }
  const QList<TDBusProperty>& Properties() const { return PropertyList; }
  const TDBusMethod* Method(const QString& name) const;
  const TDBusProperty* Property(const QString& name) const;

 private:
  QString InterfaceName;
  QString ElementXml;
  QList<TDBusMethod> MethodList;
  QList<TDBusProperty> PropertyList;
};
