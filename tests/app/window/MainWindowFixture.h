#pragma once

// The main window with its module, offscreen: the fixture of the window tests. Questions, file
// dialogs and the program's own dialogs are answered by the test through the module's hooks.

#include "PageScript.h"
#include "app/Application.h"
#include "app/HelpWindow.h"
#include "app/Main.h"
#include "app/Model.h"
#include "generator/MiscUtils.h"
#include "preview/BrowserForm.h"
#include "preview/BrowserView.h"
#include "preview/SSIPreview.h"
#include "publish/FTPUploadModule.h"
#include "services/Action.h"
#include "services/ConfigFile.h"
#include "services/LocalStrings.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QMessageBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>

#include <gtest/gtest.h>

#include <memory>

// Records the addresses the program asks the desktop to open.
class TUrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> Urls;
  TUrlCatcher() {
    for (const char* scheme : {"http", "https", "file"})
      QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "Open");
  }
  ~TUrlCatcher() override {
    for (const char* scheme : {"http", "https", "file"})
      QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
  }
 public Q_SLOTS:
  void Open(const QUrl& url) { Urls.append(url); }
};

class MainWindowTest : public ::testing::Test {
 protected:
  QTemporaryDir Dir;
  std::unique_ptr<TUrlCatcher> Catcher = std::make_unique<TUrlCatcher>();

  void SetUp() override {
    qputenv("XDG_CONFIG_HOME", Dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_STATE_HOME", Dir.filePath(QStringLiteral("state")).toUtf8());
    QDir().mkpath(Dir.filePath(QStringLiteral("config")));
  }
  void TearDown() override { Stop(); }

  QString Path(const QString& name) const { return Dir.filePath(name); }
  void Write(const QString& name, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(Path(name)).absolutePath());
    QFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  void WriteSettings(const QByteArray& general) const {
    Write(QStringLiteral("config/Inkloom/config.ini"), "[General]\r\n" + general);
  }

  void Start(const QString& argument = QString()) {
    new TModule(argument);
    // Questions and file dialogs are answered by the test; each asks only once.
    Module->AskYesNoCancel = [this](const QString&, const QString& text) {
      Questions.append(text);
      return Answer;
    };
    Module->ChooseFile = [this](QFileDialog*) { return Chosen; };
    Module->RunDialog = [this](QDialog* dialog) {
      Dialogs.append(dialog->objectName());
      return RunDialog ? RunDialog(dialog) : int(QDialog::Rejected);
    };
    QCoreApplication::processEvents();  // the posted start-up message
  }
  void Stop() {
    if (!Module) return;
    delete Module;
    ASSERT_EQ(Module, nullptr);
  }
  void Idle() { Module->ApplicationEventsIdle(); }
  // The caption as the title bar shows it: "*" after the name while there are unsaved changes.
  static QString Caption() {
    return MainForm->windowTitle().replace(QStringLiteral("[*]"), MainForm->isWindowModified() ? QStringLiteral("*") : QString());
  }
  QsciScintilla* Editor() const { return Module->GetEditor(); }
  bool Enabled(const char* action) {
    Idle();
    return Module->Action(QLatin1String(action))->isEnabled();
  }

  int Answer = QMessageBox::Cancel;
  QString Chosen;
  QStringList Questions;
  // The program's own dialogs that were shown, and what runs each instead of its modal loop.
  QStringList Dialogs;
  std::function<int(QDialog*)> RunDialog;
};

// The page the guide's window shows once it has loaded.
inline QString ShownHelp() {
  TBrowserForm* window = THelpWindow::Current();
  if (!window) return QString();
  QSignalSpy loaded(window, &TBrowserForm::DocumentComplete);
  loaded.wait(20000);
  return window->Browser()->url().toLocalFile();
}

// Runs body on the preview window once its first document has loaded, then closes the window;
// returns what the page's body showed.
inline QString InPreview(const std::function<void()>& open, const std::function<void(TBrowserForm*)>& body) {
  QString shown;
  const QMetaObject::Connection created = QObject::connect(
      SSIPreviewModule, &TSSIPreviewModule::PreviewWindowCreated, [&](QObject* window) {
        auto* form = qobject_cast<TBrowserForm*>(window);
        QObject::connect(form, &TBrowserForm::DocumentComplete, form, [&, form] {
          shown = EvaluateInPage(form->Browser()->page(), QStringLiteral("document.body.innerText")).toString();
          body(form);
          form->close();
        }, Qt::SingleShotConnection);
      });
  open();
  QObject::disconnect(created);
  return shown;
}

inline QByteArray Project(const char* text) {
  return QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?><iklproj><content>") + text +
         "</content></iklproj>";
}

