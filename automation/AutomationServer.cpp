#include "automation/AutomationServer.h"

#include "automation/DBusObject.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

TAutomationServer::TAutomationServer(QObject* application, QObject* editor, QObject* settings,
                                     const QDBusConnection& bus, QObject* owner)
    : QObject(owner), Bus(bus), Application(application), Editor(editor), Settings(settings) {
  ClientWatcher.setConnection(Bus);
  ClientWatcher.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
  connect(&ClientWatcher, &QDBusServiceWatcher::serviceUnregistered, this, &TAutomationServer::ClientLeft);
}

TAutomationServer::~TAutomationServer() {
  if (NameTaken) Bus.unregisterService(ServiceName());
  for (const QString& path : {QStringLiteral("/Application/Settings"), QStringLiteral("/Application/Editor"),
                              QStringLiteral("/Application")})
    Bus.unregisterObject(path);
  for (const QString& path : TextPaths) Bus.unregisterObject(path);
}

// The objects first: a client that started the program gets its call through once the name
// is taken, and the objects must be there by then.
bool TAutomationServer::Start() {
  if (!Bus.isConnected()) return false;
  if (!Serve(QStringLiteral("/Application"), Application, QStringLiteral("org.inkloom.Application")) ||
      !Serve(QStringLiteral("/Application/Editor"), Editor, QStringLiteral("org.inkloom.Editor")) ||
      !Serve(QStringLiteral("/Application/Settings"), Settings, QStringLiteral("org.inkloom.Settings")))
    return false;
  NameTaken = Bus.registerService(ServiceName());
  return NameTaken;
}

TDBusObject* TAutomationServer::Served(QObject* target, const QString& interface) {
  auto* served = new TDBusObject(target, TDBusInterface::Named(interface), this);
  served->PublishObject = [this](QObject* object, const QDBusMessage& call) { return PublishText(object, call); };
  connect(served, &TDBusObject::Called, this, &TAutomationServer::Called);
  return served;
}

bool TAutomationServer::Serve(const QString& path, QObject* target, const QString& interface) {
  return Bus.registerVirtualObject(path, Served(target, interface));
}

QDBusObjectPath TAutomationServer::PublishText(QObject* object, const QDBusMessage& call) {
  const QString path = QStringLiteral("/Application/Text/%1").arg(++LastText);
  TDBusObject* served = Served(object, QStringLiteral("org.inkloom.Editor"));
  object->setParent(served);  // the text goes with its path
  served->setObjectName(path);
  Bus.registerVirtualObject(path, served);
  TextPaths.insert(call.service(), path);
  ClientWatcher.addWatchedService(call.service());
  return QDBusObjectPath(path);
}

void TAutomationServer::ClientLeft(const QString& client) {
  for (const QString& path : TextPaths.values(client)) {
    Bus.unregisterObject(path);
    if (auto* served = findChild<TDBusObject*>(path, Qt::FindDirectChildrenOnly)) served->deleteLater();
  }
  TextPaths.remove(client);
  ClientWatcher.removeWatchedService(client);
}
