#include "app/ServeMode.h"

#include "app/BuildMode.h"
#include "generator/Generator.h"
#include "generator/MiscUtils.h"
#include "preview/PreviewHttpServer.h"
#include "preview/SSIPreview.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>

int RunServe(const QString& projectPath, int port) {
  THTMLGenerator generator;
  // A project that cannot be read or generated ends as the build mode ends.
  if (int result = BuildProject(projectPath, ThemesFolderSetting(), generator)) return result;

  TSSIPreviewModule module;
  module.SetPreviewFolder(FileSystemPath(generator.GetOutputFolder()));
  module.SetIndexPage(QString::fromStdString(generator.GetIndexPage()));

  // The signals are taken by sigwait below; blocked before the server's thread starts, they
  // stay blocked there too.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  TPreviewHttpServer server(module);
  if (!server.Start(static_cast<quint16>(port))) {
    std::fprintf(stderr, "Cannot listen on 127.0.0.1:%d.\n", port);
    return 2;
  }
  std::printf("http://127.0.0.1:%u/\n", static_cast<unsigned>(server.Port()));
  std::fflush(stdout);

  int signal = 0;
  sigwait(&stopSignals, &signal);
  server.Stop();
  return 0;
}
