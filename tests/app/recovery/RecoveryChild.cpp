// The program's module and main window in a process of their own, for the test of recovery after
// a crash: "yes PROJECT" and "no PROJECT" start the program, answer the recovery question and
// print what the editor then holds.

#include "app/Application.h"
#include "app/Main.h"
#include "app/Model.h"
#include "services/WidgetTextAdapter.h"

#include <Qsci/qsciscintilla.h>

#include <QDialog>
#include <QMessageBox>

#include <cstdio>

namespace {

void Say(const QString& line) {
  std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

int Report() {
  QCoreApplication::processEvents();  // the posted start: the question
  Say(QStringLiteral("text:") + QString(Module->GetText()).replace(QStringLiteral("\r\n"), QStringLiteral("|")));
  Say(QStringLiteral("modified:") + QString::number(Module->IsModified()));
  delete Module;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication application(argc, argv);
  TWidgetTextAdapter::Install();
  const QString stage = QString::fromLocal8Bit(argv[1]);
  new TModule(QString::fromLocal8Bit(argv[2]));
  Module->RunDialog = [](QDialog* dialog) {
    Say(QStringLiteral("dialog:") + dialog->objectName());
    return int(QDialog::Rejected);
  };
  const bool yes = stage == QLatin1String("yes");
  Module->AskYesNo = [yes](const QString&, const QString& question) {
    Say(QStringLiteral("asked:") + question);
    return yes ? QMessageBox::Yes : QMessageBox::No;
  };
  return Report();
}
