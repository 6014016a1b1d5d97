#pragma once

// The program's automation objects on the session bus: /Application, /Application/Editor and
// /Application/Settings under the name org.inkloom.Inkloom, which the running editor owns (a
// second instance leaves it to the first). Editor.New gives a free-standing text object served
// at a path of its own, /Application/Text/<n>, until the client that made it leaves the bus.

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QMultiHash>
#include <QObject>
#include <QString>

class QDBusMessage;
class TDBusObject;

class TAutomationServer : public QObject {
  Q_OBJECT
 public:
  static QString ServiceName() { return QStringLiteral("org.inkloom.Inkloom"); }

  // The objects outlive the server.
  TAutomationServer(QObject* application, QObject* editor, QObject* settings,
                    const QDBusConnection& bus, QObject* owner = nullptr);
  ~TAutomationServer() override;

  // Serves the objects, then asks for the name; false when there is no bus to serve on or
  // another program holds the name.
  bool Start();
  bool OwnsName() const { return NameTaken; }
  // The text objects clients made and still hold.
  int TextObjectCount() const { return int(TextPaths.size()); }

 Q_SIGNALS:
  // A client called a member or used a property.
  void Called();

 private:
  QDBusConnection Bus;
  QDBusServiceWatcher ClientWatcher;
  QObject* Application;
  QObject* Editor;
  QObject* Settings;
  bool NameTaken = false;
  int LastText = 0;
  QMultiHash<QString, QString> TextPaths;  // client's unique name -> path

  TDBusObject* Served(QObject* target, const QString& interface);
  bool Serve(const QString& path, QObject* target, const QString& interface);
  QDBusObjectPath PublishText(QObject* object, const QDBusMessage& call);
  void ClientLeft(const QString& client);
};
