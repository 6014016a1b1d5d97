#pragma once

// The program's automation objects on the session bus: /Application, /Application/Editor and
// /Application/Settings under the name org.inkloom.Inkloom, which the running editor owns (a
// second instance leaves it to the first). Editor.New gives a free-standing text object served
// at a path of its own, /Application/Text/<n>, until a client calls its Release or nobody has
// used it for TextIdleLimit: a client of one call per process (gdbus) leaves the bus after
// each call, so the objects cannot follow their makers' connections.

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

class QDBusMessage;
class TDBusObject;

class TAutomationServer : public QObject {
  Q_OBJECT
 public:
  static QString ServiceName() { return QStringLiteral("org.inkloom.Inkloom"); }
  static constexpr std::chrono::minutes TextIdleLimit{10};
  // How often unused text objects are looked for.
  static constexpr std::chrono::minutes TextSweepInterval{1};

  // The objects outlive the server.
  TAutomationServer(QObject* application, QObject* editor, QObject* settings,
                    const QDBusConnection& bus, QObject* owner = nullptr);
  ~TAutomationServer() override;

  // Serves the objects, then asks for the name; false when there is no bus to serve on or
  // another program holds the name.
  bool Start();
  bool OwnsName() const { return NameTaken; }
  // The text objects clients made and have not released.
  int TextObjectCount() const { return int(Texts.size()); }

 Q_SIGNALS:
  // A client called a member or used a property.
  void Called();

 private:
  QDBusConnection Bus;
  QTimer Sweep;
  QObject* Application;
  QObject* Editor;
  QObject* Settings;
  bool NameTaken = false;
  int LastText = 0;
  QHash<QString, QElapsedTimer> Texts;  // path -> time since its last use

  TDBusObject* Served(QObject* target, const QString& interface);
  bool Serve(const QString& path, QObject* target, const QString& interface);
  QDBusObjectPath PublishText(QObject* object);
  void ReleaseText(const QString& path);
  void SweepTexts();
};
