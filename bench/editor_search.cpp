// Editing and search benchmark: a project of 100,000 lines in the real main window, offscreen.
// Prints the time to open it, the mean keystroke (the key, the markup's colouring and the
// repaint) near the top and in the middle of the text, the section list's rebuild at idle after
// a change, and Replace All of 10,000 matches as plain text and as a regular expression, each of
// which one Undo must take back (the Undo is timed too).
//
//   bench_editor_search

#include "app/Application.h"
#include "app/Main.h"
#include "app/Model.h"
#include "project/EditorConfirmReplace.h"
#include "project/EditorReplaceText.h"
#include "project/EditorSearch.h"
#include "services/Action.h"
#include "services/WidgetTextAdapter.h"

#include <Qsci/qsciscintilla.h>

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

constexpr int kLines = 100000;
constexpr int kMatches = 10000;

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
    std::fprintf(stderr, "Cannot write %s\n", qPrintable(path));
    std::exit(1);
  }
}

// A page every 20 lines with a title, headings, emphasis, links and lists; every tenth line
// holds one "needle" with a number.
QString WriteProject(const QString& folder) {
  QByteArray text;
  for (int line = 0; line < kLines; ++line) {
    const QByteArray n = QByteArray::number(line);
    switch (line % 20) {
      case 0: text += "[page" + n + ".html]"; break;
      case 1: text += "$title Page " + n; break;
      case 2: text += "== Heading " + n; break;
      case 5: case 6: text += "* item with a *[link|page" + n + ".html] in it"; break;
      default: text += "Some _[plain] text of __[the page] for the editor benchmark, line " + n;
    }
    if (line % (kLines / kMatches) == 3) text += " needle" + n;
    text += "\r\n";
  }
  text.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
  const QString project = folder + "/site.iklproj";
  WriteFile(project, "<?xml version=\"1.0\" encoding=\"utf-8\"?><iklproj><content>" + text + "</content></iklproj>");
  return project;
}

double Milliseconds(const QElapsedTimer& clock) { return static_cast<double>(clock.nsecsElapsed()) / 1e6; }

// Replace All through the Replace command: the dialog filled in, "Yes to all" at the question.
double TimeReplaceAll(const QString& search, const QString& replacement, bool regex) {
  TEditorSearch* searcher = Module->Search();
  searcher->ExecDialog = [&](QDialog& dialog) {
    if (qobject_cast<TConfirmReplaceDialog*>(&dialog)) return int(TConfirmReplaceDialog::caYesToAll);
    auto& replace = static_cast<TTextReplaceDialog&>(dialog);
    replace.SetSearchText(search);
    replace.SetReplaceText(replacement);
    replace.findChild<QCheckBox*>(QStringLiteral("cbRegularExpression"))->setChecked(regex);
    replace.accept();
    return replace.result();
  };
  const QString before = Module->GetText();
  QElapsedTimer clock;
  clock.start();
  Module->Action(QStringLiteral("ReplaceAction"))->trigger();
  const double ms = Milliseconds(clock);
  const int left = static_cast<int>(Module->GetText().count(QStringLiteral("needle")));
  clock.restart();
  Module->Action(QStringLiteral("UndoAction"))->trigger();  // Ctrl+Z
  const double undo = Milliseconds(clock);
  std::printf("Replace All of %d %s matches: %.1f ms (%s); one Undo, %.1f ms, restores the text: %s\n",
              kMatches, regex ? "regular-expression" : "plain", ms, left == 0 ? "all replaced" : "SOME LEFT",
              undo, Module->GetText() == before ? "yes" : "NO");
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir scratch;
  qputenv("XDG_CONFIG_HOME", (scratch.path() + "/config").toUtf8());
  qputenv("XDG_STATE_HOME", (scratch.path() + "/state").toUtf8());  // no recovery file of a run left over
  WriteFile(scratch.path() + "/config/Inkloom/config.ini", "[General]\r\nShowWelcomeScreenAtStartup=0\r\n");
  const QString project = WriteProject(scratch.path() + "/site");

  TApplication application(argc, argv);
  TWidgetTextAdapter::Install();
  new TModule(QString());
  QCoreApplication::processEvents();
  MainForm->resize(1000, 700);
  MainForm->show();
  QCoreApplication::processEvents();
  QsciScintilla* editor = Module->GetEditor();

  QElapsedTimer clock;
  clock.start();
  Module->OpenProject(project);
  Module->ApplicationEventsIdle();
  QCoreApplication::processEvents();
  std::printf("%d lines: open, section list and first paint: %.1f ms\n", editor->lines() - 1, Milliseconds(clock));

  editor->setFocus();
  const auto typeAt = [&](int line, const char* when) {
    editor->setCursorPosition(line, 10);
    QCoreApplication::processEvents();
    clock.restart();
    for (int key = 0; key < 100; ++key) {
      QTest::keyClick(editor, static_cast<char>('a' + key % 26));
      QCoreApplication::processEvents();
    }
    std::printf("Mean keystroke at line %d%s, with colouring and repaint: %.2f ms\n", line + 1, when,
                Milliseconds(clock) / 100);
  };
  typeAt(7, "");
  typeAt(kLines / 2 + 7, " (while the editor still wraps the text in idle time)");
  // The editor wraps the lines of a new text a piece at a time while the program is idle; deep in
  // the text, keystrokes share the time with that work until it is done.
  QElapsedTimer idle;
  idle.start();
  while (idle.elapsed() < 5000) QCoreApplication::processEvents();
  typeAt(kLines / 2 + 7, " (text wrapped)");

  double rebuilds = 0;
  for (int run = 0; run < 10; ++run) {
    QTest::keyClick(editor, Qt::Key_Backspace);
    QCoreApplication::processEvents();
    clock.restart();
    Module->ApplicationEventsIdle();
    rebuilds += Milliseconds(clock);
  }
  std::printf("Section list rebuilt at idle after a change: %.1f ms\n", rebuilds / 10);

  editor->setCursorPosition(0, 0);
  TimeReplaceAll(QStringLiteral("needle"), QStringLiteral("pin"), false);
  TimeReplaceAll(QStringLiteral("needle(\\d+)"), QStringLiteral("pin${1}x"), true);
  delete Module;
  return 0;
}
