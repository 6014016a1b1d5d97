// Automation benchmark: 100,000 lines added through Editor.Writeln and read back with GetLine,
// by a script in the window's module offscreen and by inkloom --run-script, then 1,000 D-Bus
// calls to a running inkloom -automation on a private bus. Prints the times; the aims are
// 100,000 Writeln in under a second and a D-Bus call in under a millisecond.
//
//   bench_automation [LINES] [CALLS]     (default 100000 1000)

#include "app/Application.h"
#include "app/Model.h"
#include "automation/ActiveScript.h"
#include "automation/Application.h"
#include "project/WrapPause.h"
#include "services/WidgetTextAdapter.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

// The script measures itself: the time of each loop, in milliseconds, on one line.
QString TimedScript(int lines) {
  return QStringLiteral(
             "var n = %1, t0 = Date.now();\n"
             "for (var i = 0; i < n; i++) Editor.Writeln('line ' + i);\n"
             "var t1 = Date.now(), length = 0;\n"
             "for (var i = 0; i < n; i++) length += Editor.GetLine(i).length;\n"
             "var t2 = Date.now(), e = Editor;\n"
             "for (var i = 0; i < n; i++) e.Writeln('again ' + i);\n"
             "var t3 = Date.now();\n"
             "if (Editor.LineCount !== 2 * n) throw 'lines: ' + Editor.LineCount;\n"
             "console.log((t1 - t0) + ' ' + (t2 - t1) + ' ' + (t3 - t2));\n")
      .arg(lines);
}

void PrintScriptTimes(const char* where, int lines, const QString& times) {
  const QStringList ms = times.split(u' ');
  std::printf("%-28s %d Writeln through Editor: %s ms; %d GetLine: %s ms; %d Writeln on one Editor object: %s ms\n",
              where, lines, qPrintable(ms.value(0)), lines, qPrintable(ms.value(1)), lines, qPrintable(ms.value(2)));
}

void InTheWindow(int lines) {
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
  qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toUtf8());
  auto* module = new TModule(QString());
  module->StartedByAutomation = true;
  {
    Automation::TApplication application(false);
    TActiveScript script;
    script.CreateEngine(QStringLiteral("JavaScript"));
    script.AddNamedItem(QStringLiteral("Application"), &application, true);
    QString times;
    QObject console;
    script.AddNamedItem(QStringLiteral("Bench"), &console, false);
    const QString code = TimedScript(lines).replace(QStringLiteral("console.log("), QStringLiteral("Bench.objectName = ("));
    const TWrapPause unwrapped(module->GetEditor());  // as every script run in the window
    if (script.Execute(code) != S_OK) std::printf("script failed: %s\n", qPrintable(script.GetError().Description));
    PrintScriptTimes("window (offscreen):", lines, console.objectName());
  }
  module->SetModified(false);
  delete module;
}

void WithRunScript(int lines) {
  QTemporaryDir folder;
  QFile file(folder.filePath(QStringLiteral("bench.js")));
  file.open(QIODevice::WriteOnly);
  file.write(TimedScript(lines).toUtf8());
  file.close();
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
  process.setProcessEnvironment(environment);
  QElapsedTimer wall;
  wall.start();
  process.start(QStringLiteral(INKLOOM_PROGRAM), {QStringLiteral("--run-script"), file.fileName()});
  process.waitForFinished(600000);
  const qint64 total = wall.elapsed();
  PrintScriptTimes("--run-script:", lines, QString::fromUtf8(process.readAllStandardOutput()).trimmed());
  std::printf("%-28s the whole run, start to exit: %lld ms\n", "--run-script:", static_cast<long long>(total));
}

// A private bus with inkloom -automation on it, both ended when done.
class TBusWithProgram {
 public:
  explicit TBusWithProgram(const QString& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/state"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    Daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    Daemon.waitForReadyRead(30000);
    Address = QString::fromUtf8(Daemon.readLine()).trimmed();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), Address);
    Program.setProcessEnvironment(environment);
    Program.start(QStringLiteral(INKLOOM_PROGRAM), {QStringLiteral("-automation")});
  }
  ~TBusWithProgram() {
    Program.kill();
    Program.waitForFinished(10000);
    Daemon.kill();
    Daemon.waitForFinished(10000);
  }
  // The client's connection, once the program serves.
  QDBusConnection Client() {
    QDBusConnection bus = QDBusConnection::connectToBus(Address, QStringLiteral("bench"));
    for (int i = 0; i < 600 && !bus.interface()->isServiceRegistered(QStringLiteral("org.inkloom.Inkloom")); ++i)
      QThread::msleep(100);
    return bus;
  }

 private:
  QProcess Daemon;
  QProcess Program;
  QString Address;
};

double MillisecondsPerCall(QDBusConnection& bus, int calls, const QString& member, const QVariantList& args) {
  QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.inkloom.Inkloom"), QStringLiteral("/Application/Editor"),
                                                    QStringLiteral("org.inkloom.Editor"), member);
  call.setArguments(args);
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < calls; ++i) bus.call(call);
  return timer.nsecsElapsed() / 1e6 / calls;
}

void OverDBus(int calls) {
  QTemporaryDir home;
  TBusWithProgram bus(home.path());
  QDBusConnection client = bus.Client();
  const double writeln = MillisecondsPerCall(client, calls, QStringLiteral("Writeln"), {QStringLiteral("a line")});
  const double getLine = MillisecondsPerCall(client, calls, QStringLiteral("GetLine"), {7});
  const double strLink = MillisecondsPerCall(client, calls, QStringLiteral("StrLink"), {QStringLiteral("a.html"), QStringLiteral("A"), QString()});
  std::printf("%-28s %d calls each: Writeln %.3f ms, GetLine %.3f ms, StrLink %.3f ms a call\n", "D-Bus:", calls, writeln,
              getLine, strLink);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication application(argc, argv);
  TWidgetTextAdapter::Install();
  const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int calls = argc > 2 ? std::atoi(argv[2]) : 1000;
  InTheWindow(lines);
  WithRunScript(lines);
  OverDBus(calls);
  return 0;
}
