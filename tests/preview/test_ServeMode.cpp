// inkloom --serve: the program generates a project and answers HTTP requests on 127.0.0.1.

#include "EncodingSite.h"
#include "SiteFolder.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <csignal>

namespace {

struct THttpReply {
  int Status = 0;
  QByteArray Headers;  // lower case
  QByteArray Body;
};

// One request on a raw socket, read until the server closes the connection.
THttpReply Request(quint16 port, const QByteArray& method, const QByteArray& target) {
  QTcpSocket socket;
  socket.connectToHost(QStringLiteral("127.0.0.1"), port);
  if (!socket.waitForConnected(10000)) return {};
  socket.write(method + ' ' + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
  QByteArray data;
  while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(10000))
    data += socket.readAll();
  data += socket.readAll();
  THttpReply reply;
  const qsizetype end = data.indexOf("\r\n\r\n");
  if (end < 0) return reply;
  reply.Headers = data.left(end).toLower();
  reply.Body = data.mid(end + 4);
  reply.Status = data.mid(9, 3).toInt();
  return reply;
}

QByteArray Header(const THttpReply& reply, const QByteArray& name) {
  for (const QByteArray& line : reply.Headers.split('\n'))
    if (line.startsWith(name + ':')) return line.mid(name.size() + 1).trimmed();
  return QByteArray();
}

// A page listening for rebuilds as the script added by --watch listens: an open request for the
// events, read as they come.
struct TEventsListener {
  QTcpSocket Socket;
  QByteArray Received;

  bool Connect(quint16 port) {
    Socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!Socket.waitForConnected(10000)) return false;
    Socket.write("GET /__inkloom/events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    return WaitFor(": listening");
  }
  bool WaitFor(const QByteArray& text) {
    const QDeadlineTimer deadline(30000);
    while (!Received.contains(text) && Socket.waitForReadyRead(int(deadline.remainingTime())))
      Received += Socket.readAll();
    return Received.contains(text);
  }
};

class ServeMode : public ::testing::Test {
 protected:
  TSiteFolder Site;
  QProcess Server;
  quint16 Port = 0;

  void SetUp() override {
    Site.Write(QStringLiteral("site/template/index.html"),
               "<!DOCTYPE html><html><link href=\"{root}style.css\"><body>{content}</body></html>");
    Site.Write(QStringLiteral("site/template/style.css"), "<!--#include file=\"menu.inc\"-->body{}");
    Site.Write(QStringLiteral("site/site.txt"),
               "$root\n"
               "[menu.inc]\n<ul><li>menu</li></ul>\n"
               "[home.html]\n<!--#include virtual=\"/menu.inc\"-->\nWelcome\n"
               "[sub/page.html]\n$root ../\n<?php include('menu.inc') ?>\nDeep\n");
    Site.Write(QStringLiteral("secret.txt"), "SECRET");
  }
  void TearDown() override {
    if (Server.state() != QProcess::NotRunning) {
      Server.kill();
      Server.waitForFinished(10000);
    }
  }
  QProcessEnvironment Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Site.Path(QStringLiteral("config")));
    return environment;
  }
  // Starts the program and reads the address it prints.
  void Start(const QStringList& extra = {}) {
    Server.setProcessEnvironment(Environment());
    Server.start(QStringLiteral(INKLOOM_PROGRAM),
                 QStringList{QStringLiteral("--serve"), Site.Path(QStringLiteral("site/site.txt"))} + extra);
    ASSERT_TRUE(Server.waitForStarted(10000));
    QByteArray out;
    while (!out.contains('\n') && Server.waitForReadyRead(60000)) out += Server.readAllStandardOutput();
    const QRegularExpressionMatch address =
        QRegularExpression(QStringLiteral("^http://127\\.0\\.0\\.1:(\\d+)/\n$")).match(QString::fromUtf8(out));
    ASSERT_TRUE(address.hasMatch()) << out.toStdString() << Server.readAllStandardError().toStdString();
    Port = static_cast<quint16>(address.captured(1).toUInt());
  }
  // Asks for a page until its body holds text (bounded).
  bool WaitForPage(const QByteArray& target, const QByteArray& text) const {
    const QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
      if (Request(Port, "GET", target).Body.contains(text)) return true;
      QThread::msleep(50);
    }
    return false;
  }
  // Waits (bounded) until the program has written text on stderr.
  bool WaitForErrors(const QByteArray& text) {
    const QDeadlineTimer deadline(60000);
    while (!Errors.contains(text) && !deadline.hasExpired()) {
      Server.waitForReadyRead(100);  // reads stderr as well
      Errors += Server.readAllStandardError();
    }
    return Errors.contains(text);
  }
  QByteArray Errors;
};

}  // namespace

TEST_F(ServeMode, ServesTheGeneratedSiteWithIncludesExpanded) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const THttpReply index = Request(Port, "GET", "/");
  EXPECT_EQ(index.Status, 200);
  EXPECT_EQ(Header(index, "content-type"), "text/html; charset=utf-8");
  EXPECT_TRUE(index.Body.contains("<ul><li>menu</li></ul>")) << index.Body.toStdString();
  EXPECT_TRUE(index.Body.contains("Welcome"));
  EXPECT_FALSE(index.Body.contains("#include"));
  // Without --watch pages are sent as they are and there is nothing to listen to.
  EXPECT_FALSE(index.Body.contains("EventSource"));
  EXPECT_EQ(Request(Port, "GET", "/__inkloom/events").Status, 404);

  // A page in a sub-folder: includes from the output folder, "../" reaches the style sheet.
  const THttpReply page = Request(Port, "GET", "/sub/page.html");
  EXPECT_EQ(page.Status, 200);
  EXPECT_TRUE(page.Body.contains("<ul><li>menu</li></ul>")) << page.Body.toStdString();
  EXPECT_FALSE(page.Body.contains("<?php"));
  EXPECT_TRUE(page.Body.contains("href=\"../style.css\"")) << page.Body.toStdString();
  const THttpReply style = Request(Port, "GET", "/sub/../style.css");
  EXPECT_EQ(style.Status, 200);
  EXPECT_EQ(Header(style, "content-type"), "text/css; charset=utf-8");
  EXPECT_EQ(style.Body, QByteArray("<!--#include file=\"menu.inc\"-->body{}"));  // not HTML

  // The files on disk stay as generated.
  EXPECT_TRUE(Site.Read(QStringLiteral("site/html/home.html")).contains("<!--#include"));

  // A large file is sent whole and unchanged.
  QByteArray big(6 * 1024 * 1024, '\0');
  for (qsizetype i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 251);
  Site.Write(QStringLiteral("site/html/big.bin"), big);
  const THttpReply file = Request(Port, "GET", "/big.bin");
  EXPECT_EQ(file.Status, 200);
  EXPECT_EQ(Header(file, "content-length"), QByteArray::number(big.size()));
  EXPECT_TRUE(file.Body == big);

  // A folder asked without its slash is sent to the folder.
  const THttpReply folder = Request(Port, "GET", "/sub");
  EXPECT_EQ(folder.Status, 301);
  EXPECT_EQ(Header(folder, "location"), "/sub/");

  const THttpReply head = Request(Port, "HEAD", "/home.html");
  EXPECT_EQ(head.Status, 200);
  EXPECT_TRUE(head.Body.isEmpty());
  EXPECT_EQ(Request(Port, "POST", "/home.html").Status, 405);
}

TEST_F(ServeMode, NamesTheEncodingOfEachPageAndTextFile) {
  Site.Write(QStringLiteral("site/site.txt"), kEncodingProject);
  ASSERT_NO_FATAL_FAILURE(Start());
  for (const TEncodingCase& test : kEncodingCases)
    EXPECT_EQ(Header(Request(Port, "GET", QByteArray("/") + test.Path), "content-type"), test.ContentType)
        << test.Path;
}

TEST_F(ServeMode, WatchRebuildsOnChangeAndOpenPagesReload) {
  ASSERT_NO_FATAL_FAILURE(Start({QStringLiteral("--watch")}));
  // Served pages listen for rebuilds; the files on disk and other files stay as they are.
  const QByteArray home = Request(Port, "GET", "/home.html").Body;
  EXPECT_TRUE(home.contains("new EventSource(\"/__inkloom/events\")")) << home.toStdString();
  EXPECT_LT(home.indexOf("EventSource"), home.indexOf("</body>"));
  EXPECT_FALSE(Site.Read(QStringLiteral("site/html/home.html")).contains("EventSource"));
  EXPECT_FALSE(Request(Port, "GET", "/style.css").Body.contains("EventSource"));

  TEventsListener listener;
  ASSERT_TRUE(listener.Connect(Port)) << listener.Received.toStdString();
  EXPECT_TRUE(listener.Received.toLower().contains("content-type: text/event-stream"));
  QByteArray project = Site.Read(QStringLiteral("site/site.txt"));
  Site.Write(QStringLiteral("site/site.txt"), project.replace("Welcome", "Welcome back"));
  EXPECT_TRUE(WaitForPage("/home.html", "Welcome back"));
  EXPECT_TRUE(listener.WaitFor("data: reload")) << listener.Received.toStdString();
  EXPECT_TRUE(WaitForErrors("Rebuilt in ")) << Errors.toStdString();

  // A project that fails to generate is reported, and the last good site stays served.
  Site.Write(QStringLiteral("site/site.txt"), "[home.html]\nBroken\n[sub/page.html\n");
  EXPECT_TRUE(WaitForErrors("site.txt:3:")) << Errors.toStdString();
  EXPECT_TRUE(Request(Port, "GET", "/home.html").Body.contains("Welcome back"));
  EXPECT_FALSE(Site.Read(QStringLiteral("site/html/home.html")).contains("Broken"));

  // A page still listening does not keep the server from ending.
  TEventsListener waiting;
  ASSERT_TRUE(waiting.Connect(Port));
  ::kill(static_cast<pid_t>(Server.processId()), SIGTERM);
  ASSERT_TRUE(Server.waitForFinished(30000));
  EXPECT_EQ(Server.exitCode(), 0);
}

TEST_F(ServeMode, RefusesWhatIsMissingOrOutsideTheOutputFolder) {
  ASSERT_NO_FATAL_FAILURE(Start());
  for (const char* target : {"/none.html", "/about", "/../../secret.txt", "/%2e%2e/%2e%2e/secret.txt",
                             "/%2E%2E%2F%2E%2E%2Fsecret.txt", "/home.html%00.png", "/..%5c..%5csecret.txt"}) {
    const THttpReply reply = Request(Port, "GET", target);
    EXPECT_EQ(reply.Status, 404) << target;
    EXPECT_FALSE(reply.Body.contains("SECRET")) << target;
    EXPECT_FALSE(Header(reply, "content-type").isEmpty()) << target;
  }
}

TEST_F(ServeMode, ListensOnTheGivenPortAndEndsCleanlyOnSigterm) {
  // Find a free port, then ask for it.
  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
  const quint16 wanted = probe.serverPort();
  probe.close();
  ASSERT_NO_FATAL_FAILURE(Start({QStringLiteral("--port"), QString::number(wanted)}));
  EXPECT_EQ(Port, wanted);
  EXPECT_EQ(Request(Port, "GET", "/sub/").Status, 404);  // no sub/index.html
  ::kill(static_cast<pid_t>(Server.processId()), SIGTERM);
  ASSERT_TRUE(Server.waitForFinished(30000));
  EXPECT_EQ(Server.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(Server.exitCode(), 0);
}

TEST_F(ServeMode, AProjectThatCannotBeReadEndsAsTheBuildDoes) {
  QProcess run;
  run.setProcessEnvironment(Environment());
  run.start(QStringLiteral(INKLOOM_PROGRAM), {QStringLiteral("--serve"), Site.Path(QStringLiteral("none.iklproj"))});
  ASSERT_TRUE(run.waitForFinished(60000));
  EXPECT_EQ(run.exitCode(), 2);
  EXPECT_TRUE(run.readAllStandardOutput().isEmpty());
}
