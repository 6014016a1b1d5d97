// Preview benchmark: the time from F9 to the loaded page in the preview window, for a project of
// 1,000 pages (or PAGES) whose template brings in three server-side includes. Runs the real
// editor module and the embedded browser offscreen; prints the generation time alone, the first
// preview (which starts the browser engine) and the following ones.
//
//   bench_preview_window [RUNS [PAGES]]     (default 5 runs of 1,000 pages)

#include "app/Application.h"
#include "app/Main.h"
#include "app/Model.h"
#include "preview/BrowserWindows.h"
#include "preview/BrowserForm.h"
#include "preview/SSIPreview.h"
#include "services/Action.h"
#include "services/WidgetTextAdapter.h"

#include <Qsci/qsciscintilla.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

int kPages = 1000;

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
    std::fprintf(stderr, "Cannot write %s\n", qPrintable(path));
    std::exit(1);
  }
}

// About 2 KB of markup per page: a heading, paragraphs with emphasis and links, a list.
QByteArray PageText(int number) {
  QByteArray text = "$title Page " + QByteArray::number(number) + "\r\n!! Page " +
                    QByteArray::number(number) + "\r\n";
  for (int paragraph = 0; paragraph < 6; ++paragraph)
    text += "Some *[plain] text of the _[page] with a [link|page" +
            QByteArray::number((number + paragraph) % kPages) +
            ".html] to another page of the site, written for the preview benchmark.\r\n\r\n";
  for (int item = 0; item < 8; ++item) text += "* item " + QByteArray::number(item) + "\r\n";
  return text;
}

QString WriteProject(const QString& folder) {
  WriteFile(folder + "/template/index.html",
            "<!DOCTYPE html><html><head><title>{title}</title></head><body>"
            "<!--#include virtual=\"/header.inc\"--><!--#include file=\"menu.inc\"-->"
            "{content}<?php include('footer.inc') ?></body></html>");
  QByteArray text =
      "[header.inc]\r\n<div>Header</div>\r\n[menu.inc]\r\n<ul><li>Menu</li></ul>\r\n"
      "[footer.inc]\r\n<div>Footer</div>\r\n";
  for (int page = 0; page < kPages; ++page)
    text += "[page" + QByteArray::number(page) + ".html]\r\n" + PageText(page);
  text.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
  const QString project = folder + "/site.iklproj";
  WriteFile(project, "<?xml version=\"1.0\" encoding=\"utf-8\"?><iklproj><content>" + text +
                         "</content></iklproj>");
  return project;
}

// The line of the project text below the section of the given page.
int LineOfPage(int page) {
  const QStringList lines = Module->GetText().split(QStringLiteral("\r\n"));
  return static_cast<int>(lines.indexOf(QStringLiteral("[page%1.html]").arg(page))) + 1;
}

// Presses F9 (the Preview command) and returns the milliseconds until the page has loaded.
double TimePreview() {
  QElapsedTimer clock;
  double loaded = -1;
  const QMetaObject::Connection created = QObject::connect(
      SSIPreviewModule, &TSSIPreviewModule::PreviewWindowCreated, [&](QObject* window) {
        auto* form = qobject_cast<TBrowserForm*>(window);
        QObject::connect(form, &TBrowserForm::DocumentComplete, form, [&, form](const QUrl&, bool ok) {
          if (!ok) std::fprintf(stderr, "The page did not load.\n");
          loaded = static_cast<double>(clock.nsecsElapsed()) / 1e6;
          form->close();
        }, Qt::SingleShotConnection);
      });
  clock.start();
  Module->Action(QStringLiteral("PreviewAction"))->trigger();
  QObject::disconnect(created);
  return loaded;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  if (argc > 2) kPages = std::max(1, std::atoi(argv[2]));
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir scratch;
  qputenv("XDG_CONFIG_HOME", (scratch.path() + "/config").toUtf8());
  qputenv("XDG_STATE_HOME", (scratch.path() + "/state").toUtf8());  // no recovery file of a run left over
  const QString project = WriteProject(scratch.path() + "/site");

  TBrowserWindows::Load();
  TApplication application(argc, argv);
  TWidgetTextAdapter::Install();
  new TModule(project);
  QCoreApplication::processEvents();
  MainForm->show();

  QElapsedTimer clock;
  clock.start();
  Module->BuildSite();
  std::printf("%d pages, generation alone: %.1f ms\n", kPages, clock.nsecsElapsed() / 1e6);
  for (int run = 0; run < runs; ++run) {
    // The caret goes to a page first, as the user puts it there; the first moves deep into a
    // text just opened make the editor lay out (wrap) the lines above, which is timed apart.
    clock.restart();
    Module->GetEditor()->setCursorPosition(LineOfPage(run * 97 % kPages), 0);
    MainForm->repaint();
    const double caret = clock.nsecsElapsed() / 1e6;
    const double ms = TimePreview();
    std::printf("F9 to loaded page, %s: %.1f ms (the caret's move before it: %.1f ms)\n",
                run == 0 ? "first (engine starts)" : "again", ms, caret);
  }
  delete Module;
  return 0;
}
