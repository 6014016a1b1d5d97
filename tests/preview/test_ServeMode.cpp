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
#include <memory>
#include <vector>

namespace {

struct THttpReply {
  int Status = 0;
  QByteArray Headers;  // lower case
  QByteArray Body;
};

// The request line and headers of a request addressed to the server itself.
QByteArray RequestHead(quint16 port, const QByteArray& method, const QByteArray& target) {
  return method + ' ' + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
         "\r\nConnection: close\r\n\r\n";
}

bool Connect(QTcpSocket& socket, quint16 port) {
  socket.connectToHost(QStringLiteral("127.0.0.1"), port);
  return socket.waitForConnected(10000);
}

// The reply read until the server closes the connection; a client gives up after 10 s without
// data.
THttpReply ReadReply(QTcpSocket& socket) {
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

// One request as it is written, on a raw socket.
THttpReply Exchange(quint16 port, const QByteArray& request) {
  QTcpSocket socket;
  if (!Connect(socket, port)) return {};
  socket.write(request);
  return ReadReply(socket);
}

THttpReply Request(quint16 port, const QByteArray& method, const QByteArray& target) {
  return Exchange(port, RequestHead(port, method, target));
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
    if (!::Connect(Socket, port)) return false;
    Socket.write("GET /__inkloom/events HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n\r\n");
    return WaitFor(": listening");
  }
  bool WaitFor(const QByteArray& text) {
    const QDeadlineTimer deadline(30000);
    while (!Received.contains(text) && Socket.waitForReadyRead(int(deadline.remainingTime())))
      Received += Socket.readAll();
    return Received.contains(text);
  }
};

// The program under test; INKLOOM_PROGRAM in the environment may name another build of it.
QString Program() { return qEnvironmentVariable("INKLOOM_PROGRAM", QStringLiteral(INKLOOM_PROGRAM)); }

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
    Server.start(Program(),
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
  run.start(Program(), {QStringLiteral("--serve"), Site.Path(QStringLiteral("none.iklproj"))});
  ASSERT_TRUE(run.waitForFinished(60000));
  EXPECT_EQ(run.exitCode(), 2);
  EXPECT_TRUE(run.readAllStandardOutput().isEmpty());
}

TEST_F(ServeMode, PagesOfManyIncludesAreAnsweredWhileOthersAreExpanded) {
  ASSERT_NO_FATAL_FAILURE(Start());
  // A thousand includes ahead of 4 MB of text, asked for by eight clients at once: each is
  // expanded whole before any client gives up.
  Site.Write(QStringLiteral("site/html/part.inc"), QByteArray("<li>item</li>\n").repeated(292));
  QByteArray page = QByteArray("<p><!--#include file=\"part.inc\"--></p>\n").repeated(1000);
  Site.Write(QStringLiteral("site/html/many.html"), page + QByteArray(4 << 20, 'p'));
  std::vector<std::unique_ptr<QTcpSocket>> clients;
  for (int i = 0; i < 8; ++i) {
    clients.push_back(std::make_unique<QTcpSocket>());
    ASSERT_TRUE(Connect(*clients.back(), Port));
    clients.back()->write(RequestHead(Port, "GET", "/many.html"));
    clients.back()->flush();
  }
  for (auto& client : clients) {
    const THttpReply reply = ReadReply(*client);
    EXPECT_EQ(reply.Status, 200);
    EXPECT_EQ(reply.Body.count("<li>item</li>"), 292000);
    EXPECT_FALSE(reply.Body.contains("#include"));
  }
}

TEST_F(ServeMode, AnswersOnlyRequestsAddressedToItself) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const QByteArray port = QByteArray::number(Port);
  const struct {
    QByteArray Host;  // empty: none, as HTTP/1.0 may send
    int Status;
  } cases[] = {
      {"127.0.0.1:" + port, 200}, {"localhost:" + port, 200}, {"LocalHost:" + port, 200},
      {"[::1]:" + port, 200}, {"", 200},
      // A page of another site whose name now leads to 127.0.0.1 sends that name.
      {"attacker.example:" + port, 421}, {"attacker.example", 421}, {"127.0.0.1", 421},
      {"localhost:1", 421}, {"127.0.0.1:" + port + ".attacker.example", 421},
      {"localhost.attacker.example:" + port, 421}, {"127.0.0.2:" + port, 421}};
  for (const auto& test : cases) {
    const QByteArray host = test.Host.isEmpty() ? QByteArray() : "Host: " + test.Host + "\r\n";
    const THttpReply reply =
        Exchange(Port, "GET /home.html HTTP/" + QByteArray(test.Host.isEmpty() ? "1.0" : "1.1") + "\r\n" +
                           host + "Connection: close\r\n\r\n");
    EXPECT_EQ(reply.Status, test.Status) << test.Host.toStdString();
    EXPECT_EQ(reply.Body.contains("Welcome"), test.Status == 200) << test.Host.toStdString();
  }
}

TEST_F(ServeMode, FolderRedirectsStayOnThisServer) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const struct {
    const char* Target;
    const char* Location;
  } cases[] = {{"/sub", "/sub/"},          {"//sub", "/sub/"},         {"///sub", "/sub/"},
               {"/\\sub", "/sub/"},        {"/\\/sub", "/sub/"},       {"/%2fsub", "/%2fsub/"},
               {"/%5csub", "/%5csub/"},    {"/./sub", "/./sub/"}};
  for (const auto& test : cases) {
    const THttpReply reply = Request(Port, "GET", test.Target);
    EXPECT_EQ(reply.Status, 301) << test.Target;
    EXPECT_EQ(Header(reply, "location"), QByteArray(test.Location)) << test.Target;
  }
}

TEST_F(ServeMode, SlowClientsLeaveRoomForRequestsAndListeners) {
  ASSERT_NO_FATAL_FAILURE(Start({QStringLiteral("--watch")}));
  std::vector<std::unique_ptr<TEventsListener>> listeners;
  for (int i = 0; i < 32; ++i) {
    listeners.push_back(std::make_unique<TEventsListener>());
    ASSERT_TRUE(listeners.back()->Connect(Port)) << i;
  }
  // Clients that send their first header line and then nothing, as one line every 20 s would.
  std::vector<std::unique_ptr<QTcpSocket>> slow;
  for (int i = 0; i < 64; ++i) {
    slow.push_back(std::make_unique<QTcpSocket>());
    if (Connect(*slow.back(), Port)) slow.back()->write("GET /home.html HTTP/1.1\r\n");
    slow.back()->flush();
  }
  const THttpReply page = Request(Port, "GET", "/home.html");
  EXPECT_EQ(page.Status, 200);
  EXPECT_TRUE(page.Body.contains("Welcome"));
  EXPECT_EQ(Request(Port, "GET", "/__inkloom/events").Status, 503);  // more listeners than allowed
  // The slow ones are closed; the listeners, who sent their requests, keep listening.
  for (auto& client : slow)
    EXPECT_TRUE(client->state() == QAbstractSocket::UnconnectedState || client->waitForDisconnected(30000));
  for (auto& listener : listeners) EXPECT_EQ(listener->Socket.state(), QAbstractSocket::ConnectedState);
}

namespace {

// The most memory the process has held so far, in kB.
qint64 PeakMemory(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
  return -1;
}

}  // namespace

TEST_F(ServeMode, LargePagesAreStreamedOrRefusedWithoutTakingTheirSizeInMemory) {
  ASSERT_NO_FATAL_FAILURE(Start());
  constexpr qint64 size = 64 << 20;
  const struct {
    const char* Name;
    QByteArray Head;
    int Status;
  } cases[] = {{"plain.html", "<html><body>Large", 200},
               {"includes.html", "<html><body><!--#include file=\"menu.inc\"-->", 413},
               {"late.html", QByteArray(size - 40, ' ') + "<?php include('menu.inc') ?>", 413}};
  for (const auto& test : cases) {
    const QString path = Site.Path(QStringLiteral("site/html/") + test.Name);
    Site.Write(QStringLiteral("site/html/") + test.Name, test.Head);
    ASSERT_TRUE(QFile::resize(path, size));
    const qint64 before = PeakMemory(Server.processId());
    const THttpReply reply = Request(Port, "GET", QByteArray("/") + test.Name);
    EXPECT_EQ(reply.Status, test.Status) << test.Name;
    if (test.Status == 200) EXPECT_EQ(reply.Body.size(), size) << test.Name;
    if (test.Status != 200) EXPECT_TRUE(reply.Body.contains("too large")) << test.Name;
    EXPECT_LT(PeakMemory(Server.processId()) - before, 16 << 10) << test.Name;  // kB
    QFile::remove(path);
  }
  // Pages within the bound are expanded as before.
  EXPECT_TRUE(Request(Port, "GET", "/home.html").Body.contains("<ul><li>menu</li></ul>"));
}
