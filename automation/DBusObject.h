#pragma once

// Serves one automation object at one D-Bus path with the interface its description file gives:
// each method call goes to the object's member of that name taking every argument, properties
// are read and written through the object's properties (a write-only one cannot be read), and
// a member's failure is answered with the error org.inkloom.Error and its message. The object
// model is written once, for scripts; this is how outside clients reach the same members.

#include "automation/DBusInterface.h"

#include <QDBusVirtualObject>
#include <QMetaMethod>
#include <QPointer>
#include <QVariant>

#include <functional>

class QDBusMessage;
class QDBusObjectPath;

class TDBusObject : public QDBusVirtualObject {
  Q_OBJECT
 public:
  static QString ErrorName() { return QStringLiteral("org.inkloom.Error"); }
  static QString BusyErrorName() { return QStringLiteral("org.inkloom.Error.Busy"); }

  // target outlives this object, or is its child.
  TDBusObject(QObject* target, const TDBusInterface& interface, QObject* owner = nullptr);

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  // Serves an object a member returned where the interface gives an object path. Without it
  // such members fail.
  std::function<QDBusObjectPath(QObject* object)> PublishObject;
  // The member Release of an object served for a client: lets it go. Without it (the objects
  // that live as long as the program) Release fails.
  std::function<void()> Release;
  // While it answers true (an upload or a connection test runs), the members that would change
  // the object answer org.inkloom.Error.Busy; reading its properties and the members that only
  // read or make something new work.
  std::function<bool()> Busy;

 Q_SIGNALS:
  // A client called a member or used a property.
  void Called();

 private:
  QPointer<QObject> Target;
  const TDBusInterface& Interface;

  bool IsOurs(const QDBusMessage& message) const;
  QDBusMessage MemberCall(const QDBusMessage& call);
  QDBusMessage PropertyCall(const QDBusMessage& call);
  QDBusMessage GetProperty(const QDBusMessage& call, const QString& name);
  QDBusMessage SetProperty(const QDBusMessage& call, const QString& name, const QVariant& value);
  QDBusMessage GetAllProperties(const QDBusMessage& call);
  QMetaMethod FindMember(const TDBusMethod& method) const;
  QVariant Invoke(const QMetaMethod& member, QVariantList args);
  QDBusMessage Result(const QDBusMessage& call, const TDBusMethod& method, const QVariant& value);
  QDBusMessage ReleaseCall(const QDBusMessage& call);
  bool HeldByJob() const;
  static QDBusMessage BusyReply(const QDBusMessage& call, const QString& member);
  // The member's failure as the reply, or an invalid message when it did not fail.
  QDBusMessage Failure(const QDBusMessage& call);
};
