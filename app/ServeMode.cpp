#include "app/ServeMode.h"

#include "app/BuildMode.h"
#include "generator/Generator.h"
#include "generator/InkloomError.h"
#include "generator/MiscUtils.h"
#include "preview/LiveReload.h"
#include "preview/PreviewHttpServer.h"
#include "preview/SSIPreview.h"
#include "preview/SiteWatcher.h"
#include "project/ProjectFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <optional>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

// A generation that writes no file: it finds what would stop the real one before the served
// site is touched (the generator writes pages as it goes). Fragments are still kept, since the
// pages after them use them.
class TCheckGenerator : public THTMLGenerator {
 protected:
  void WritePage(const std::string& name, const std::string& body) override {
    if (name.find('.') == std::string::npos) THTMLGenerator::WritePage(name, body);
  }
  void CopyThemeResources() override {}
};

void PrintLine(const QString& text) { std::fputs((text + u'\n').toUtf8().constData(), stderr); }

// SIGINT and SIGTERM, blocked in this thread and so in the server's threads started later, become
// readable on the descriptor returned.
int StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return signalfd(-1, &signals, SFD_CLOEXEC);
}

void ServeOutput(TSSIPreviewModule& module, const THTMLGenerator& generator) {
  module.SetPreviewFolder(FileSystemPath(generator.GetOutputFolder()));
  module.SetIndexPage(QString::fromStdString(generator.GetIndexPage()));
}

// What the site is built from: the project file, the project's own theme folder and the theme
// the last generation ended with (a folder or an archive).
QStringList SourcesOf(THTMLGenerator& generator, const QString& projectPath) {
  const QFileInfo project(projectPath);
  QStringList sources{project.absoluteFilePath(), project.absolutePath() + QStringLiteral("/template")};
  const THTMLTheme& theme = generator.Theme();
  const std::string& loaded = theme.ArchiveFile().empty() ? theme.FolderPath() : theme.ArchiveFile();
  if (!loaded.empty()) sources << QDir::cleanPath(FileSystemPath(loaded));
  return sources;
}

bool PassesCheck(const QString& projectPath, const QString& text, const QString& themesFolder) {
  TCheckGenerator check;
  check.SetProjectFolder(QFileInfo(projectPath).absolutePath().toStdString());
  check.SetThemesFolder(themesFolder.toStdString());
  const QByteArray utf8 = text.toUtf8();
  try {
    return check.GenerateUtf8(std::string_view(utf8.constData(), size_t(utf8.size()))) ==
           THTMLGenerator::geSuccess;
  } catch (const EInkloomError&) {
    return false;
  }
}

// The project's text when it can be read and generated; otherwise the problem is reported as
// the build reports it.
std::optional<QString> CheckedText(const QString& projectPath, const QString& themesFolder) {
  QString text;
  try {
    text = TProjectFile::Read(projectPath).Text;
  } catch (const EInkloomError& error) {
    PrintLine(QString::fromUtf8(error.what()));
    return std::nullopt;
  }
  if (PassesCheck(projectPath, text, themesFolder)) return text;
  TCheckGenerator check;
  GenerateProjectSite(check, projectPath, text, themesFolder);
  return std::nullopt;
}

// Rebuilds the site while no request reads it; false after a problem (reported on stderr).
bool Rebuild(THTMLGenerator& generator, const QString& projectPath, const QString& themesFolder,
             TSSIPreviewModule& module, TPreviewHttpServer& server) {
  QElapsedTimer clock;
  clock.start();
  std::optional<QString> text = CheckedText(projectPath, themesFolder);
  if (!text) return false;
  const QWriteLocker writing(&server.SiteLock());
  if (!GenerateProjectSite(generator, projectPath, std::move(*text), themesFolder)) return false;
  ServeOutput(module, generator);
  PrintLine(QStringLiteral("Rebuilt in %1 ms").arg(clock.elapsed()));
  return true;
}

// Runs until SIGINT or SIGTERM arrives on stopSignals, which it then closes.
void RunUntilStopped(int stopSignals) {
  {
    QSocketNotifier stop(stopSignals, QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, QCoreApplication::instance(),
                     &QCoreApplication::quit);
    QCoreApplication::exec();
  }
  ::close(stopSignals);
}

}  // namespace

int RunServe(const QString& projectPath, int port, bool watch) {
  THTMLGenerator generator;
  const QString themesFolder = ThemesFolderSetting();
  // A project that cannot be read or generated at first ends as the build mode ends.
  if (int result = BuildProject(projectPath, themesFolder, generator)) return result;
  TSSIPreviewModule module;
  ServeOutput(module, generator);

  const int stopSignals = StopSignals();
  TLiveReload liveReload;
  TPreviewHttpServer server(module, watch ? &liveReload : nullptr);
  if (!server.Start(static_cast<quint16>(port))) {
    std::fprintf(stderr, "Cannot listen on 127.0.0.1:%d.\n", port);
    return 2;
  }
  TSiteWatcher watcher;
  QObject::connect(&watcher, &TSiteWatcher::Changed, [&] {
    if (Rebuild(generator, projectPath, themesFolder, module, server)) liveReload.Notify();
    watcher.Watch(SourcesOf(generator, projectPath));
  });
  if (watch) watcher.Watch(SourcesOf(generator, projectPath));
  std::printf("http://127.0.0.1:%u/\n", static_cast<unsigned>(server.Port()));
  std::fflush(stdout);
  RunUntilStopped(stopSignals);
  server.Stop();
  return 0;
}
