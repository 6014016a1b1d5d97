// Outside clients on a private session bus of the test's own: -regserver's activation file
// starts the program when a client (gdbus, the GLib tool, and QtDBus) calls it; members,
// properties, errors and free-standing text objects, kept until released; a second server leaves
// the name alone;
// -unregserver removes the file.

#include "../services/AppEnvironment.h"
#include "FTPTestServer.h"
#include "ProgramRun.h"
#include "QtPrinters.h"
#include "automation/AutomationServer.h"
#include "automation/DBusInterface.h"
#include "automation/ServiceFile.h"
#include "automation/TextObject.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDomDocument>
#include <QFile>
#include <QGuiApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TAppEnvironment<QGuiApplication>);

const QString kService = QStringLiteral("org.inkloom.Inkloom");

// A session bus started by the test, with the program folder's environment: the programs it
// starts for clients find their settings and data there.
class TPrivateBus {
 public:
  explicit TPrivateBus(const TProgramFolder& folder) {
    Daemon.setProcessEnvironment(folder.Environment());
    Daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                 QStringLiteral("--print-address")});
    Daemon.waitForReadyRead(30000);
    Address = QString::fromUtf8(Daemon.readLine()).trimmed();
  }
  ~TPrivateBus() {
    StopProgram();
    QDBusConnection::disconnectFromBus(QStringLiteral("test"));
    Daemon.terminate();
    Daemon.waitForFinished(10000);
  }
  QDBusConnection Connect(const QString& name = QStringLiteral("test")) const {
    return QDBusConnection::connectToBus(Address, name);
  }
  // gdbus with its arguments; its output, or the error it printed.
  TProgramResult Gdbus(const QStringList& args) const {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), Address);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("gdbus"), args);
    process.waitForFinished(120000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
  }

 private:
  QProcess Daemon;
  QString Address;

  // The program the bus started for the test is ended by its process id.
  void StopProgram() {
    const QDBusReply<uint> pid = Connect().interface()->servicePid(kService);
    if (pid.isValid()) ::kill(static_cast<pid_t>(pid.value()), SIGTERM);
  }
};

QDBusMessage Call(const QDBusConnection& bus, const QString& path, const QString& interface, const QString& member,
                  const QVariantList& args = {}) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, member);
  call.setArguments(args);
  return bus.call(call, QDBus::Block, 120000);
}

QDBusMessage EditorCall(const QDBusConnection& bus, const QString& member, const QVariantList& args = {},
                        const QString& path = QStringLiteral("/Application/Editor")) {
  return Call(bus, path, QStringLiteral("org.inkloom.Editor"), member, args);
}

QDBusMessage GetProperty(const QDBusConnection& bus, const QString& path, const QString& interface, const QString& name) {
  return Call(bus, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {interface, name});
}

QDBusMessage SetProperty(const QDBusConnection& bus, const QString& path, const QString& interface, const QString& name,
                         const QVariant& value) {
  return Call(bus, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
              {interface, name, QVariant::fromValue(QDBusVariant(value))});
}

QVariant Value(const QDBusMessage& reply) {
  const QVariant first = reply.arguments().value(0);
  return first.canConvert<QDBusVariant>() ? first.value<QDBusVariant>().variant() : first;
}

// The members and properties an introspection lists for the interface.
QStringList Members(const QString& xml, const QString& interface) {
  QDomDocument document;
  document.setContent(xml);
  QStringList names;
  for (QDomElement i = document.documentElement().firstChildElement(QStringLiteral("interface")); !i.isNull();
       i = i.nextSiblingElement(QStringLiteral("interface"))) {
    if (i.attribute(QStringLiteral("name")) != interface) continue;
    for (QDomElement m = i.firstChildElement(); !m.isNull(); m = m.nextSiblingElement())
      names << m.tagName() + u' ' + m.attribute(QStringLiteral("name")) + u' ' + m.attribute(QStringLiteral("access"));
  }
  return names;
}

QStringList DescribedMembers(const QString& interface) {
  return Members(QStringLiteral("<node>") + TDBusInterface::Named(interface).Xml() + QStringLiteral("</node>"), interface);
}

}  // namespace

TEST(DBus, ActivationMembersPropertiesErrorsAndTextObjects) {
  TProgramFolder folder;
  const TProgramResult registered = folder.Run({QStringLiteral("-RegServer")});
  EXPECT_EQ(registered.ExitCode, 0);
  EXPECT_TRUE(registered.Out.isEmpty() && registered.Err.isEmpty()) << registered.Err.toStdString();
  const QString serviceFile = QStringLiteral("data/dbus-1/services/org.inkloom.Inkloom.service");
  EXPECT_TRUE(folder.Read(serviceFile).contains(("Exec=" + TServiceFile::ExecArgument(QStringLiteral(INKLOOM_PROGRAM)) + " -automation\n").toUtf8()));

  TPrivateBus bus(folder);
  // The first call starts the program.
  const TProgramResult added = bus.Gdbus({"call", "--session", "--timeout", "120", "--dest", kService, "--object-path",
                                          "/Application/Editor", "--method", "org.inkloom.Editor.AddUL", "Item", "2", ""});
  ASSERT_EQ(added.ExitCode, 0) << added.Err.toStdString();
  EXPECT_EQ(added.Out.trimmed(), QStringLiteral("()"));
  const QDBusConnection client = bus.Connect();
  EXPECT_EQ(Value(GetProperty(client, "/Application/Editor", "org.inkloom.Editor", "LineCount")).toInt(), 1);
  EXPECT_EQ(Value(EditorCall(client, "GetLine", {0})).toString(), QStringLiteral("    * Item"));
  EXPECT_EQ(Value(EditorCall(client, "StrLink", {"page.html", "Next", "class=x"})).toString(), QStringLiteral("*[page.html class=x Next]"));
  EXPECT_EQ(SetProperty(client, "/Application/Editor", "org.inkloom.Editor", "Text", QStringLiteral("a\r\nb")).type(),
            QDBusMessage::ReplyMessage);
  EXPECT_EQ(Value(EditorCall(client, "GetLine", {1})).toString(), QStringLiteral("b"));
  EXPECT_EQ(SetProperty(client, "/Application/Editor", "org.inkloom.Editor", "LineCount", 5).errorName(),
            QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"));
  EXPECT_EQ(EditorCall(client, "AddUL", {QStringLiteral("every parameter is needed")}).errorName(),
            QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));

  // Settings: the port as text; the credentials write-only.
  const QString settings = QStringLiteral("/Application/Settings");
  EXPECT_EQ(SetProperty(client, settings, "org.inkloom.Settings", "FTPPort", QStringLiteral("2121")).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(Value(GetProperty(client, settings, "org.inkloom.Settings", "FTPPort")).toString(), QStringLiteral("2121"));
  EXPECT_EQ(SetProperty(client, settings, "org.inkloom.Settings", "FTPPassword", QStringLiteral("secret")).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(GetProperty(client, settings, "org.inkloom.Settings", "FTPPassword").type(), QDBusMessage::ErrorMessage);
  EXPECT_EQ(SetProperty(client, settings, "org.inkloom.Settings", "FTPPassiveMode", QStringLiteral("yes")).errorName(),
            QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));

  // A member's failure.
  const QDBusMessage failed = Call(client, "/Application", "org.inkloom.Application", "Open", {folder.Path("none.iklproj")});
  EXPECT_EQ(failed.errorName(), QStringLiteral("org.inkloom.Error"));
  EXPECT_TRUE(failed.errorMessage().startsWith(QStringLiteral("Cannot open file"))) << failed.errorMessage().toStdString();
  const TProgramResult gdbusError = bus.Gdbus({"call", "--session", "--dest", kService, "--object-path", "/Application",
                                               "--method", "org.inkloom.Application.Open", folder.Path("none.iklproj")});
  EXPECT_NE(gdbusError.ExitCode, 0);
  EXPECT_TRUE(gdbusError.Err.contains(QStringLiteral("org.inkloom.Error: Cannot open file"))) << gdbusError.Err.toStdString();

  // What the service says of itself is the shipped description.
  const QString editorXml = Value(Call(client, "/Application/Editor", "org.freedesktop.DBus.Introspectable", "Introspect")).toString();
  EXPECT_EQ(Members(editorXml, "org.inkloom.Editor"), DescribedMembers("org.inkloom.Editor"));
  const QString settingsXml = Value(Call(client, settings, "org.freedesktop.DBus.Introspectable", "Introspect")).toString();
  EXPECT_EQ(Members(settingsXml, "org.inkloom.Settings"), DescribedMembers("org.inkloom.Settings"));
  EXPECT_TRUE(Value(Call(client, "/Application", "org.freedesktop.DBus.Introspectable", "Introspect")).toString()
                  .contains(QStringLiteral("<node name=\"Editor\"/>")));

  // Text objects stay when their makers leave the bus, gdbus after each call, until released.
  QString text;
  {
    const QDBusConnection leaver = bus.Connect(QStringLiteral("leaver"));
    text = Value(EditorCall(leaver, "New")).value<QDBusObjectPath>().path();
    ASSERT_TRUE(text.startsWith(QStringLiteral("/Application/Text/"))) << text.toStdString();
    EditorCall(leaver, "AddH1", {"Own", ""}, text);
  }
  QDBusConnection::disconnectFromBus(QStringLiteral("leaver"));
  const QStringList gdbusCall{"call", "--session", "--dest", kService, "--object-path"};
  const TProgramResult made = bus.Gdbus(gdbusCall + QStringList{"/Application/Editor", "--method", "org.inkloom.Editor.New"});
  const QString gdbusText = made.Out.section(u'\'', 1, 1);
  ASSERT_TRUE(gdbusText.startsWith(QStringLiteral("/Application/Text/"))) << made.Out.toStdString() << made.Err.toStdString();
  const TProgramResult written = bus.Gdbus(gdbusCall + QStringList{gdbusText, "--method", "org.inkloom.Editor.Writeln", "kept"});
  EXPECT_EQ(written.ExitCode, 0) << written.Err.toStdString();
  EXPECT_EQ(Value(EditorCall(client, "GetLine", {0}, gdbusText)).toString(), QStringLiteral("kept"));
  EXPECT_EQ(Value(EditorCall(client, "GetLine", {0}, text)).toString(), QStringLiteral("= Own"));
  EXPECT_EQ(Value(EditorCall(client, "GetLine", {0})).toString(), QStringLiteral("a"));
  EXPECT_EQ(EditorCall(client, "Release").errorName(), QStringLiteral("org.inkloom.Error"));
  for (const QString& path : {text, gdbusText}) {
    EXPECT_EQ(EditorCall(client, "Release", {}, path).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(EditorCall(client, "GetLine", {0}, path).type(), QDBusMessage::ErrorMessage);
  }

  // A member's failure from a bound of the object model; the program goes on.
  const QDBusMessage deep = EditorCall(client, "AddUL", {"x", 1000000000, ""});
  EXPECT_EQ(deep.errorName(), QStringLiteral("org.inkloom.Error"));
  EXPECT_TRUE(deep.errorMessage().contains(QStringLiteral("1000000000"))) << deep.errorMessage().toStdString();
  EXPECT_EQ(Value(EditorCall(client, "GetLine", {1})).toString(), QStringLiteral("b"));

  // Another server on the bus does not take the name away.
  Automation::TTextObject other;
  TAutomationServer second(&other, &other, &other, client);
  EXPECT_FALSE(second.Start());
  EXPECT_EQ(Value(EditorCall(client, "GetLine", {0})).toString(), QStringLiteral("a"));

  const TProgramResult unregistered = folder.Run({QStringLiteral("/unregserver")});
  EXPECT_EQ(unregistered.ExitCode, 0);
  EXPECT_TRUE(unregistered.Out.isEmpty() && unregistered.Err.isEmpty());
  EXPECT_FALSE(folder.Exists(serviceFile));
}

// While an upload runs, a client cannot change the project under it (open another, write its
// text, change its settings, build); reading works, and the upload ends as it began.
TEST(DBus, MembersThatChangeTheProjectWaitWhileAnUploadRuns) {
  TProgramFolder folder;
  ASSERT_EQ(folder.Run({QStringLiteral("-RegServer")}).ExitCode, 0);
  const QString release = folder.Path(QStringLiteral("release"));
  TFTPTestServer server({"--stall-on", "STOR", "--release", release.toStdString()});
  TPrivateBus bus(folder);
  QDBusConnection client = bus.Connect();
  const QString settings = QStringLiteral("/Application/Settings");
  const QString settingsInterface = QStringLiteral("org.inkloom.Settings");
  ASSERT_EQ(SetProperty(client, QStringLiteral("/Application/Editor"), QStringLiteral("org.inkloom.Editor"),
                        QStringLiteral("Text"), QStringLiteral("[index.html]\r\nUp")).type(),
            QDBusMessage::ReplyMessage);
  const std::pair<const char*, QString> values[] = {{"FTPServer", QStringLiteral("127.0.0.1")},
                                                    {"FTPPort", QString::fromStdString(server.Port())},
                                                    {"FTPUserName", QLatin1String(TFTPTestServer::UserName)},
                                                    {"FTPPassword", QLatin1String(TFTPTestServer::Password)},
                                                    {"FTPRemoteRoot", QStringLiteral("/")}};
  for (const auto& [name, value] : values) SetProperty(client, settings, settingsInterface, QLatin1String(name), value);
  Call(client, "/Application", "org.inkloom.Application", "Save", {folder.Path("up/site.iklproj")});
  QDBusMessage upload = QDBusMessage::createMethodCall(kService, "/Application", "org.inkloom.Application", "Upload");
  QDBusPendingCall uploading = client.asyncCall(upload, 120000);
  for (int i = 0; i < 3000 && !server.Received("STOR"); ++i) QTest::qWait(10);
  ASSERT_TRUE(server.Received("STOR"));

  const QString busy = QStringLiteral("org.inkloom.Error.Busy");
  EXPECT_EQ(EditorCall(client, "Writeln", {"x"}).errorName(), busy);
  EXPECT_EQ(Call(client, "/Application", "org.inkloom.Application", "Open", {folder.Path("other.iklproj")}).errorName(), busy);
  EXPECT_EQ(Call(client, "/Application", "org.inkloom.Application", "Build").errorName(), busy);
  EXPECT_EQ(SetProperty(client, settings, settingsInterface, QStringLiteral("FTPServer"), QStringLiteral("elsewhere")).errorName(), busy);
  EXPECT_EQ(Value(EditorCall(client, "GetLine", {1})).toString(), QStringLiteral("Up"));
  EXPECT_EQ(Value(GetProperty(client, settings, settingsInterface, QStringLiteral("FTPServer"))).toString(), QStringLiteral("127.0.0.1"));

  QFile(release).open(QIODevice::WriteOnly);
  uploading.waitForFinished();
  EXPECT_TRUE(QDBusReply<bool>(uploading.reply()).value());
  EXPECT_EQ(EditorCall(client, "Writeln", {"x"}).type(), QDBusMessage::ReplyMessage);
}
