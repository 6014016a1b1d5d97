#include "automation/AutomationServer.h"

#include "automation/DBusObject.h"
#include "publish/FTPUploadModule.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

TAutomationServer::TAutomationServer(QObject* application, QObject* editor, QObject* settings,
                                     const QDBusConnection& bus, QObject* owner)
    : QObject(owner), Bus(bus), Application(application), Editor(editor), Settings(settings) {
  Sweep.setInterval(TextSweepInterval);
  connect(&Sweep, &QTimer::timeout, this, &TAutomationServer::SweepTexts);
}

TAutomationServer::~TAutomationServer() {
  if (NameTaken) Bus.unregisterService(ServiceName());
  for (const QString& path : {QStringLiteral("/Application/Settings"), QStringLiteral("/Application/Editor"),
                              QStringLiteral("/Application")})
    Bus.unregisterObject(path);
  for (auto text = Texts.cbegin(); text != Texts.cend(); ++text) Bus.unregisterObject(text.key());
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
  served->PublishObject = [this](QObject* object) { return PublishText(object); };
  connect(served, &TDBusObject::Called, this, &TAutomationServer::Called);
  return served;
}

// The project's own objects wait while a job works on the project.
bool TAutomationServer::Serve(const QString& path, QObject* target, const QString& interface) {
  TDBusObject* served = Served(target, interface);
  served->Busy = [] { return FTPUploadModule && FTPUploadModule->Busy(); };
  return Bus.registerVirtualObject(path, served);
}

QDBusObjectPath TAutomationServer::PublishText(QObject* object) {
  const QString path = QStringLiteral("/Application/Text/%1").arg(++LastText);
  TDBusObject* served = Served(object, QStringLiteral("org.inkloom.Editor"));
  object->setParent(served);  // the text goes with its path
  served->setObjectName(path);
  served->Release = [this, path] { ReleaseText(path); };
  connect(served, &TDBusObject::Called, this, [this, path] { Texts[path].start(); });
  Bus.registerVirtualObject(path, served);
  Texts[path].start();
  Sweep.start();
  return QDBusObjectPath(path);
}

void TAutomationServer::ReleaseText(const QString& path) {
  Bus.unregisterObject(path);
  if (auto* served = findChild<TDBusObject*>(path, Qt::FindDirectChildrenOnly)) served->deleteLater();
  Texts.remove(path);
  if (Texts.isEmpty()) Sweep.stop();
}

void TAutomationServer::SweepTexts() {
  const qint64 limit = std::chrono::milliseconds(TextIdleLimit).count();
  QStringList unused;
  for (auto text = Texts.cbegin(); text != Texts.cend(); ++text)
    if (text.value().elapsed() >= limit) unused.append(text.key());
  for (const QString& path : unused) ReleaseText(path);
}
