#include "app/Application.h"

#include "services/Action.h"

#include <QIcon>
#include <QMessageBox>

#include <cstdio>
#include <exception>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Inkloom"));
  setApplicationVersion(QStringLiteral(INKLOOM_VERSION));
  setWindowIcon(QIcon(QStringLiteral(":/icons/inkloom.svg")));
  setDesktopFileName(QStringLiteral("inkloom"));  // the desktop matches windows to the menu entry
  TAction::SetErrorHandler(&TApplication::ShowError);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowError(QString::fromUtf8(error.what()));
  } catch (...) {
    ShowError(QStringLiteral("Unknown error."));
  }
  return false;
}

void TApplication::ShowError(const QString& message) {
  std::fprintf(stderr, "%s\n", message.toUtf8().constData());
  QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Inkloom"), message);
}
