#include "automation/DBusObject.h"

#include "automation/AutomationObject.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <array>

namespace {

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// A value as the D-Bus type the description names.
QVariant AsDBusType(const QVariant& value, const QString& type) {
  if (type == u"b") return value.toBool();
  if (type == u"i") return value.toInt();
  return value.toString();
}

bool HasType(const QVariant& value, const QString& type) {
  const char* signature = QDBusMetaType::typeToSignature(value.metaType());
  return signature && type == QLatin1String(signature);
}

QDBusMessage Error(const QDBusMessage& call, QDBusError::ErrorType type, const QString& message) {
  return call.createErrorReply(type, message);
}

// The members that change nothing of the project: they read it or make something new.
bool OnlyReads(const QString& member) {
  static const QStringList reading = {QStringLiteral("GetLine"), QStringLiteral("StrLink"), QStringLiteral("StrImage"),
                                      QStringLiteral("StrBold"), QStringLiteral("StrItalic"), QStringLiteral("StrBoldItalic"),
                                      QStringLiteral("StrStyle"), QStringLiteral("StrTag"), QStringLiteral("New")};
  return reading.contains(member);
}

}  // namespace

TDBusObject::TDBusObject(QObject* target, const TDBusInterface& interface, QObject* owner)
    : QDBusVirtualObject(owner), Target(target), Interface(interface) {}

QString TDBusObject::introspect(const QString&) const { return Interface.Xml(); }

bool TDBusObject::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.type() != QDBusMessage::MethodCallMessage || !Target || !IsOurs(message)) return false;
  const QDBusMessage reply = message.interface() == kProperties ? PropertyCall(message) : MemberCall(message);
  Q_EMIT Called();
  connection.send(reply);
  return true;
}

// Calls of our interface (or of no interface, naming one of its members) and property calls
// about it; the rest, introspection above all, the connection answers itself.
bool TDBusObject::IsOurs(const QDBusMessage& message) const {
  const QString interface = message.interface();
  if (interface == kProperties) return message.arguments().value(0).toString() == Interface.Name();
  return interface == Interface.Name() || (interface.isEmpty() && Interface.Method(message.member()));
}

QDBusMessage TDBusObject::MemberCall(const QDBusMessage& call) {
  const TDBusMethod* method = Interface.Method(call.member());
  if (!method) return Error(call, QDBusError::UnknownMethod, QStringLiteral("No member %1 in %2").arg(call.member(), Interface.Name()));
  if (call.signature() != method->InSignature)
    return Error(call, QDBusError::InvalidArgs,
                 QStringLiteral("%1 takes the arguments (%2), not (%3)").arg(method->Name, method->InSignature, call.signature()));
  if (method->Name == u"Release") return ReleaseCall(call);
  if (!OnlyReads(method->Name) && HeldByJob()) return BusyReply(call, method->Name);
  const QMetaMethod member = FindMember(*method);
  if (!member.isValid()) return Error(call, QDBusError::InternalError, QStringLiteral("%1 is not implemented").arg(method->Name));
  const QVariant value = Invoke(member, call.arguments());
  const QDBusMessage failure = Failure(call);
  return failure.type() == QDBusMessage::ErrorMessage ? failure : Result(call, *method, value);
}

// The member of that name taking every argument: left-out defaults make shorter overloads.
QMetaMethod TDBusObject::FindMember(const TDBusMethod& method) const {
  const QMetaObject& type = *Target->metaObject();
  for (int i = QObject::staticMetaObject.methodCount(); i < type.methodCount(); ++i) {
    const QMetaMethod member = type.method(i);
    if (member.name() == method.Name.toLatin1() && member.parameterCount() == method.InCount) return member;
  }
  return QMetaMethod();
}

QVariant TDBusObject::Invoke(const QMetaMethod& member, QVariantList args) {
  std::array<QGenericArgument, 10> generic{};
  for (int i = 0; i < args.size() && i < int(generic.size()); ++i) {
    args[i].convert(member.parameterMetaType(i));
    generic[i] = QGenericArgument(member.parameterMetaType(i).name(), args[i].constData());
  }
  const QMetaType returnType = member.returnMetaType();
  QVariant result = returnType.id() == QMetaType::Void ? QVariant() : QVariant(returnType);
  const QGenericReturnArgument returned =
      result.isValid() ? QGenericReturnArgument(returnType.name(), result.data()) : QGenericReturnArgument();
  member.invoke(Target, Qt::DirectConnection, returned, generic[0], generic[1], generic[2], generic[3], generic[4],
                generic[5], generic[6], generic[7], generic[8], generic[9]);
  return result;
}

QDBusMessage TDBusObject::Result(const QDBusMessage& call, const TDBusMethod& method, const QVariant& value) {
  if (method.OutType.isEmpty()) return call.createReply();
  if (method.OutType != u"o") return call.createReply(AsDBusType(value, method.OutType));
  QObject* object = value.value<QObject*>();
  if (!object || !PublishObject) return Error(call, QDBusError::Failed, QStringLiteral("%1 made no object").arg(method.Name));
  return call.createReply(QVariant::fromValue(PublishObject(object)));
}

bool TDBusObject::HeldByJob() const { return Busy && Busy(); }

// The project stays as the running job found it: its record, its text and its output.
QDBusMessage TDBusObject::BusyReply(const QDBusMessage& call, const QString& member) {
  return call.createErrorReply(BusyErrorName(),
                               QStringLiteral("%1 must wait: an upload or a connection test is running").arg(member));
}

QDBusMessage TDBusObject::ReleaseCall(const QDBusMessage& call) {
  if (!Release) return call.createErrorReply(ErrorName(), QStringLiteral("Only an object Editor.New made can be released"));
  Release();
  return call.createReply();
}

QDBusMessage TDBusObject::Failure(const QDBusMessage& call) {
  auto* object = qobject_cast<TAutomationObject*>(Target);
  const QString failure = object ? object->TakeFailure() : QString();
  return failure.isEmpty() ? QDBusMessage() : call.createErrorReply(ErrorName(), failure);
}

QDBusMessage TDBusObject::PropertyCall(const QDBusMessage& call) {
  const QVariantList args = call.arguments();
  if (call.member() == u"Get" && call.signature() == u"ss") return GetProperty(call, args[1].toString());
  if (call.member() == u"Set" && call.signature() == u"ssv")
    return SetProperty(call, args[1].toString(), qvariant_cast<QDBusVariant>(args[2]).variant());
  if (call.member() == u"GetAll" && call.signature() == u"s") return GetAllProperties(call);
  return Error(call, QDBusError::UnknownMethod, QStringLiteral("No member %1 in %2").arg(call.member(), kProperties));
}

QDBusMessage TDBusObject::GetProperty(const QDBusMessage& call, const QString& name) {
  const TDBusProperty* property = Interface.Property(name);
  if (!property) return Error(call, QDBusError::UnknownProperty, QStringLiteral("No property %1 in %2").arg(name, Interface.Name()));
  if (!property->Readable) return Error(call, QDBusError::InvalidArgs, QStringLiteral("Property %1 is write-only").arg(name));
  const QVariant value = Target->property(name.toLatin1().constData());
  const QDBusMessage failure = Failure(call);
  if (failure.type() == QDBusMessage::ErrorMessage) return failure;
  return call.createReply(QVariant::fromValue(QDBusVariant(AsDBusType(value, property->Type))));
}

QDBusMessage TDBusObject::SetProperty(const QDBusMessage& call, const QString& name, const QVariant& value) {
  const TDBusProperty* property = Interface.Property(name);
  if (!property) return Error(call, QDBusError::UnknownProperty, QStringLiteral("No property %1 in %2").arg(name, Interface.Name()));
  if (!property->Writable) return Error(call, QDBusError::PropertyReadOnly, QStringLiteral("Property %1 is read-only").arg(name));
  if (HeldByJob()) return BusyReply(call, name);
  if (!HasType(value, property->Type))
    return Error(call, QDBusError::InvalidArgs, QStringLiteral("Property %1 takes the type %2").arg(name, property->Type));
  Target->setProperty(name.toLatin1().constData(), value);
  const QDBusMessage failure = Failure(call);
  return failure.type() == QDBusMessage::ErrorMessage ? failure : call.createReply();
}

QDBusMessage TDBusObject::GetAllProperties(const QDBusMessage& call) {
  QVariantMap values;
  for (const TDBusProperty& property : Interface.Properties())
    if (property.Readable) values.insert(property.Name, AsDBusType(Target->property(property.Name.toLatin1().constData()), property.Type));
  return call.createReply(values);
}
