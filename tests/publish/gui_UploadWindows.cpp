// The Upload and Upload Settings commands of the main window with their dialogs, offscreen,
// against the FTP test server: the real module, window and dialogs, driven as a user would.

#include "FTPTestServer.h"
#include "QtPrinters.h"
#include "SSHTestServer.h"
#include "TestCertificates.h"
#include "app/Main.h"
#include "app/Model.h"
#include "publish/FTPUploadModule.h"
#include "publish/FTPUploadPlanForm.h"
#include "publish/FTPUploadProgressForm.h"
#include "publish/FTPUploadSettingsForm.h"
#include "publish/FTPUploadTestForm.h"
#include "publish/Twofish.h"
#include "services/Action.h"
#include "services/MultiActionHandler.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDomDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using TStep = std::function<bool(QWidget* window)>;

// Acts on the modal windows a command opens, in turn. Each step is shown the modal window at
// every look until it says it is done; the next one waits for another window to be modal.
// Steps click from the event loop, so the looks go on while the window they open runs.
class TModalSteps {
 public:
  explicit TModalSteps(std::vector<TStep> steps) : Steps(std::move(steps)) {
    QObject::connect(&Timer, &QTimer::timeout, [this] { Look(); });
    Timer.start(10);
  }
  bool Done() const { return Next == Steps.size(); }

 private:
  void Look() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || Done() || modal == Finished || !Steps[Next](modal)) return;
    Finished = modal;
    ++Next;
  }
  std::vector<TStep> Steps;
  size_t Next = 0;
  QPointer<QWidget> Finished;
  QTimer Timer;
};

template <class T = QWidget>
T* Child(QWidget* window, const char* name) {
  T* child = window->findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

QString Text(QWidget* window, const char* name) {
  return Child(window, name)->property("text").toString();
}
void Type(QWidget* window, const char* edit, const char* text) {
  Child<QLineEdit>(window, edit)->setText(QString::fromUtf8(text));
}
void Click(QWidget* window, const char* name) {
  QTimer::singleShot(0, Child<QAbstractButton>(window, name), &QAbstractButton::click);
}

// A step on a window of class T only.
template <class T>
TStep On(std::function<void(T*)> act) {
  return [act](QWidget* window) {
    auto* form = qobject_cast<T*>(window);
    if (form) act(form);
    return form != nullptr;
  };
}

bool UploadEnabled() {
  Module->ApplicationEventsIdle();
  return Module->Action(QStringLiteral("UploadAction"))->isEnabled();
}

class UploadWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("XDG_CONFIG_HOME", Dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_STATE_HOME", Dir.filePath(QStringLiteral("state")).toUtf8());
    new TModule(QString());
    Module->SetShowWelcomeScreen(false);
    Module->AskYesNo = [this](const QString&, const QString& text) {
      Questions.append(text);
      return QMessageBox::Yes;
    };
    Module->ShowError = [](const QString& message) { ADD_FAILURE() << message.toStdString(); };
    QDir().mkpath(Dir.filePath(QStringLiteral("site")));
    QCoreApplication::processEvents();  // the start-up message
  }
  void TearDown() override { delete Module; }

  QString ProjectPath() const { return Dir.filePath(QStringLiteral("site/site.iklproj")); }
  // Three pages, saved as a project.
  void WriteSite() {
    Module->SetText(QStringLiteral("[a.html]\r\nA\r\n[b.html]\r\nBee\r\n[c.html]\r\nSea\r\n"));
    ASSERT_TRUE(Module->SaveProject(ProjectPath()));
  }
  // A server whose remote root "/www" the settings name, with the test account.
  void StartServer(const std::vector<std::string>& switches = {}) {
    Server = std::make_unique<TFTPTestServer>(switches);
    std::filesystem::create_directory(Server->Home().Path() / "www");
    TFTPUploadModule& module = *FTPUploadModule;
    module.FTPServer = QStringLiteral("127.0.0.1");
    module.FTPPort = QString::fromStdString(Server->Port());
    module.FTPUserName = QLatin1String(TFTPTestServer::UserName);
    module.FTPPassword = QLatin1String(TFTPTestServer::Password);
    module.FTPRemoteRoot = QStringLiteral("/www");
  }
  // Runs a command of the main window while the steps answer its windows.
  void Run(const char* action, std::vector<TStep> steps) {
    TModalSteps driver(std::move(steps));
    Module->Action(QLatin1String(action))->Execute();
    EXPECT_TRUE(driver.Done()) << action;
  }
  // Message boxes as "icon text", the icon by its number.
  TStep ReadBox() {
    return On<QMessageBox>([this](QMessageBox* box) {
      Messages.append(QString::number(box->icon()) + u' ' + box->text());
      QTimer::singleShot(0, box, &QDialog::accept);
    });
  }
  // The Settings element of the project file as saved now.
  QDomElement SavedSettings() {
    EXPECT_TRUE(Module->SaveProject(ProjectPath()));
    QFile file(ProjectPath());
    EXPECT_TRUE(file.open(QIODevice::ReadOnly) && Saved.setContent(file.readAll()));
    return Saved.documentElement().firstChildElement(QStringLiteral("Settings"));
  }

  QTemporaryDir Dir;
  std::unique_ptr<TFTPTestServer> Server;
  QDomDocument Saved;
  QStringList Questions;
  QStringList Messages;
};

QString Box(QMessageBox::Icon icon, const char* text) {
  return QString::number(icon) + u' ' + QString::fromUtf8(text);
}

TEST_F(UploadWindows, SettingsDialogStoresEverySettingAndSpeaksEnglishWhenAsked) {
  // A user name typed into the file by hand; the password as the program writes it.
  QFile file(ProjectPath());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<iklproj><content/><Settings FTPUserName=\"bob\" FTPPassword=\"" +
             QByteArray::fromStdString(EncryptSetting("pw")) + "\"/></iklproj>");
  file.close();
  ASSERT_TRUE(Module->OpenProject(ProjectPath()));
  Run("UploadSettingsAction", {On<TFTPUploadSettingsForm>([](TFTPUploadSettingsForm* form) {
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Настройки публикации"));
        EXPECT_FALSE(Child(form, "UserNameUnreadableLabel")->isHidden());
        EXPECT_TRUE(Child(form, "PasswordUnreadableLabel")->isHidden());
        EXPECT_EQ(Text(form, "PasswordEdit"), QStringLiteral("pw"));
        Module->SetLanguage(1033);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Upload Settings"));
        EXPECT_EQ(Text(form, "FilesButton"), QStringLiteral("Files to upload..."));
        EXPECT_EQ(Module->Action(QStringLiteral("UploadAction"))->text(), QStringLiteral("Upload"));
        Module->SetLanguage(1049);
        // No keyring runs here (the tests never reach a session bus): the dialog says the
        // password is kept in the file and offers no keyring.
        EXPECT_TRUE(Child(form, "KeyringCheckBox")->isHidden());
        EXPECT_TRUE(Text(form, "PasswordPlaceLabel").startsWith(QStringLiteral("В этом сеансе нет связки ключей")));
        // The stored password is not offered to another server.
        EXPECT_TRUE(Child(form, "PasswordMovedLabel")->isHidden());
        Type(form, "ServerEdit", "other.example.org");
        EXPECT_FALSE(Child(form, "PasswordMovedLabel")->isHidden());
        EXPECT_TRUE(Text(form, "PasswordEdit").isEmpty());
        const std::pair<const char*, const char*> typed[] = {{"ServerEdit", "ftp.example.org"},
                                                             {"UserNameEdit", "Пётр"},
                                                             {"PasswordEdit", "pa55"},
                                                             {"PortEdit", "2121"},
                                                             {"RemoteRootEdit", "/www"}};
        for (auto [edit, text] : typed) Type(form, edit, text);
        Child<QCheckBox>(form, "PassiveModeCheckBox")->setChecked(false);
        Child<QCheckBox>(form, "ChangesOnlyCheckBox")->setChecked(false);
        Click(form, "OkButton");
      })});
  EXPECT_TRUE(Module->IsModified());
  const QDomElement settings = SavedSettings();
  const QRegularExpression enciphered(QStringLiteral("^[0-9A-F]+$"));
  EXPECT_TRUE(enciphered.match(settings.attribute(QStringLiteral("FTPUserName"))).hasMatch());
  EXPECT_TRUE(enciphered.match(settings.attribute(QStringLiteral("FTPPassword"))).hasMatch());
  ASSERT_TRUE(Module->OpenProject(ProjectPath()));
  const TFTPUploadModule& read = *FTPUploadModule;
  EXPECT_EQ(QStringList({read.FTPServer, read.FTPUserName, read.FTPPassword, read.FTPPort,
                         read.FTPRemoteRoot}),
            QStringList({"ftp.example.org", "Пётр", "pa55", "2121", "/www"}));
  EXPECT_FALSE(read.FTPPassiveMode || read.UploadChangesOnly);
  EXPECT_TRUE(read.UnreadableCredentials.isEmpty());
}

TEST_F(UploadWindows, TestReportsEachOutcomeAndCancelKeepsTheStoredSettings) {
  struct TCase {
    std::vector<std::string> Switches;
    const char* Password;
    const char* Root;
    QString Message;  // a pattern of "icon text"; none after a cancel
    const char* RootAfter;
  };
  const TCase cases[] = {
      {{},
       "secret",
       "/www",
       Box(QMessageBox::Information, "Настройки публикации успешно.*"),
       "/www"},
      {{}, "wrong", "/www", Box(QMessageBox::Critical, "Сервер .* 530 .*\n\nТестовое .*"), "/www"},
      {{},
       "secret",
       "/nope",
       Box(QMessageBox::Warning, "Не удалось .*/nope.*\n\nНеверный .*"),
       "/"},
      {{"--mute-on", "PASS"}, "secret", "/www", QString(), "/www"},
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(test.Password + std::string(test.Root));
    StartServer(test.Switches);
    Messages.clear();
    QString rootAfter;
    Run("UploadSettingsAction",
        {On<TFTPUploadSettingsForm>([&test](TFTPUploadSettingsForm* form) {
           Type(form, "PasswordEdit", test.Password);
           Type(form, "RemoteRootEdit", test.Root);
           Click(form, "TestButton");
         }),
         !test.Message.isEmpty() ? ReadBox() : On<TFTPUploadTestForm>([](TFTPUploadTestForm* form) {
           EXPECT_EQ(form->windowTitle(), QStringLiteral("Тестовое подключение"));
           EXPECT_FALSE(UploadEnabled());
           Click(form, "CancelButton");
         }),
         On<TFTPUploadSettingsForm>([&rootAfter](TFTPUploadSettingsForm* form) {
           rootAfter = Text(form, "RemoteRootEdit");
           Click(form, "CancelButton");
         })});
    EXPECT_EQ(Messages.size(), test.Message.isEmpty() ? 0 : 1);
    EXPECT_TRUE(QRegularExpression(u'^' + test.Message + u'$').match(Messages.value(0)).hasMatch())
        << Messages.value(0).toStdString();
    EXPECT_EQ(rootAfter, QLatin1String(test.RootAfter));
    EXPECT_EQ(FTPUploadModule->FTPRemoteRoot + FTPUploadModule->FTPPassword,
              QStringLiteral("/wwwsecret"));
    EXPECT_TRUE(UploadEnabled());
  }
}

TEST_F(UploadWindows, UploadShowsEachFileAndClosesAtTheEnd) {
  WriteSite();
  StartServer();
  // At every progress event the worker waits while this looks at the dialog, which then shows
  // what the events before made it show.
  QStringList texts;
  bool enabled = false;
  QList<int> bar;
  TMultiActionHandler watcher;
  watcher.SetOnExecute(TNotifyEvent::FromFunction([&](QObject*) {
    QMetaObject::invokeMethod(
        qApp,
        [&] {
          auto* form = MainForm->findChild<TFTPUploadProgressForm*>();
          enabled = enabled || UploadEnabled();
          if (texts.value(texts.size() - 1) != Text(form, "UploadFileLabel"))
            texts.append(Text(form, "UploadFileLabel"));
          bar = {Child<QProgressBar>(form, "ProgressBar")->maximum(),
                 Child<QProgressBar>(form, "ProgressBar")->value()};
        },
        Qt::BlockingQueuedConnection);
  }));
  watcher.SetMultiAction(FTPUploadModule->OnFileAction);
  Run("UploadAction", {ReadBox()});
  // The files go in the order the folder lists them.
  EXPECT_EQ(texts.join(u'|').replace(QRegularExpression(QStringLiteral("[abc]\\.html")), "*"),
            QStringLiteral("Подключение к: 127.0.0.1|Публикация файла: * (1 из 3)|"
                           "Публикация файла: * (2 из 3)|Публикация файла: * (3 из 3)"));
  EXPECT_EQ(bar, QList({3, 2}));
  EXPECT_FALSE(enabled);
  EXPECT_EQ(Messages, QStringList{Box(QMessageBox::Information,
                                      "Публикация завершена. Отправлено файлов: 3, удалено: 0, ошибок: 0.")});
  EXPECT_EQ(FTPUploadModule->UploadedFiles.size(), 3);
  EXPECT_TRUE(Server->Home().Exists("www/c.html"));
  EXPECT_TRUE(Module->IsModified());
  EXPECT_TRUE(UploadEnabled());
}

TEST_F(UploadWindows, CancelMidUploadKeepsTheRecordOfWhatWasSent) {
  WriteSite();
  StartServer({"--mute-on", "STOR", "--mute-count", "2"});  // the second file never completes
  Run("UploadAction",
      {[](QWidget* window) {
         auto* form = qobject_cast<TFTPUploadProgressForm*>(window);
         if (!form || !Text(form, "UploadFileLabel").endsWith(QStringLiteral("(2 из 3)")))
           return false;
         EXPECT_FALSE(form->windowFlags() & Qt::WindowCloseButtonHint);
         Click(form, "CancelButton");
         return true;
       },
       ReadBox()});
  EXPECT_EQ(Messages, QStringList{Box(QMessageBox::Warning,
                                      "Публикация прервана. Отправлено файлов: 1, удалено: 0, ошибок: 0.")});
  EXPECT_TRUE(Module->IsModified());
  const QString record = SavedSettings().firstChildElement(QStringLiteral("UploadFiles")).text();
  ASSERT_EQ(record.count(u'='), 1) << record.toStdString();
  EXPECT_TRUE(Server->Home().Exists("www/" + record.section(u'=', 0, 0).toStdString()));
}

TEST_F(UploadWindows, AFailedLogInOffersTheSettings) {
  WriteSite();
  StartServer();
  FTPUploadModule->FTPPassword = QStringLiteral("wrong");
  Run("UploadAction",
      {On<TFTPUploadSettingsForm>([](auto* form) { Click(form, "CancelButton"); })});
  ASSERT_EQ(Questions.size(), 1);
  EXPECT_EQ(Questions[0],
            QStringLiteral(
                "Сервер 127.0.0.1:%1 отклонил вход: 530 Authentication failed.\n\n"
                "Сбой при подключении к серверу для публикации. Показать окно настроек публикации?")
                .arg(FTPUploadModule->FTPPort));
  EXPECT_FALSE(Module->IsModified());
  // A remote folder that does not exist offers the settings too, with its own text.
  Questions.clear();
  FTPUploadModule->FTPPassword = QLatin1String(TFTPTestServer::Password);
  FTPUploadModule->FTPRemoteRoot = QStringLiteral("/missing");
  Run("UploadAction",
      {On<TFTPUploadSettingsForm>([](auto* form) { Click(form, "CancelButton"); })});
  ASSERT_EQ(Questions.size(), 1);
  EXPECT_TRUE(Questions[0].endsWith(QStringLiteral(
      "\u041d\u0435\u0432\u0435\u0440\u043d\u044b\u0439 \u043a\u0430\u0442\u0430\u043b\u043e\u0433 \u0434\u043b\u044f "
      "\u043f\u0443\u0431\u043b\u0438\u043a\u0430\u0446\u0438\u0438. \u041f\u043e\u043a\u0430\u0437\u0430\u0442\u044c "
      "\u043e\u043a\u043d\u043e \u043d\u0430\u0441\u0442\u0440\u043e\u0435\u043a \u043f\u0443\u0431\u043b\u0438\u043a\u0430\u0446\u0438\u0438?")))
      << Questions[0].toStdString();
  EXPECT_FALSE(Module->IsModified());
}

TEST_F(UploadWindows, FilesToUploadListsWhatTheNextUploadSends) {
  WriteSite();
  ASSERT_TRUE(Module->BuildSite());
  FTPUploadModule->UploadedFiles = {
      QStringLiteral("a.html=") +
      TUploadPlan::FileDigest(Module->GetOutputFolder() + QStringLiteral("a.html")),
      QStringLiteral("gone.html=0")};
  QStringList listed;
  Run("UploadSettingsAction",
      {On<TFTPUploadSettingsForm>([](auto* form) { Click(form, "FilesButton"); }),
       On<TFTPUploadPlanForm>([&listed](TFTPUploadPlanForm* form) {
         const QListWidget* files = Child<QListWidget>(form, "FilesListView");
         for (int i = 0; i < files->count(); ++i) listed.append(files->item(i)->text());
         listed.sort();
         listed.append(Text(form, "SummaryLabel"));
         Click(form, "CloseButton");
       }),
       On<TFTPUploadSettingsForm>([](auto* form) { Click(form, "CancelButton"); })});
  auto size = [](const char* page) { return QFileInfo(Module->GetOutputFolder() + page).size(); };
  auto line = [&size](const char* page) {
    return QStringLiteral("%1 (%2 байт)").arg(page).arg(size(page));
  };
  EXPECT_EQ(listed,
            QStringList({line("b.html"), line("c.html"), QStringLiteral("больше нет на сайте: gone.html"),
                         QStringLiteral("Файлов к отправке: 2 (%1 байт). Файлов без изменений: 1.")
                             .arg(size("b.html") + size("c.html"))}));
  EXPECT_TRUE(FTPUploadModule->UploadChangesOnly);
  EXPECT_FALSE(Module->IsModified());
}

TEST_F(UploadWindows, ThePortFollowsTheProtocolUntilTheUserTypesOne) {
  QStringList ports, captions;
  Run("UploadSettingsAction", {On<TFTPUploadSettingsForm>([&ports, &captions](auto* form) {
        auto* protocol = Child<QComboBox>(form, "ProtocolComboBox");
        for (int index : {2, 1, 0}) {
          protocol->setCurrentIndex(index);
          ports << Text(form, "PortEdit");
          captions << Text(form, "PortLabel");
        }
        Type(form, "PortEdit", "2222");
        protocol->setCurrentIndex(2);
        ports << Text(form, "PortEdit");
        Module->SetLanguage(1033);
        captions << Text(form, "PortLabel");
        Module->SetLanguage(1049);
        EXPECT_FALSE(Child<QCheckBox>(form, "PassiveModeCheckBox")->isEnabled());
        Click(form, "CancelButton");
      })});
  EXPECT_EQ(ports, QStringList({"22", "21", "21", "2222"}));
  EXPECT_EQ(captions, QStringList({"Порт (22 - порт SFTP по умолчанию):", "Порт (21 - порт FTPS по умолчанию):",
                                   "Порт (21 - порт FTP по умолчанию):", "Port (22 - SFTP default port):"}));
}

// Fixing the settings after a refused log-in runs the upload again; a page removed from the
// project is deleted from the server after one question, and each outcome counts the files.
TEST_F(UploadWindows, FixedSettingsUploadAgainAndARemovedPageIsDeletedAfterOneQuestion) {
  WriteSite();
  StartServer();
  FTPUploadModule->FTPPassword = QStringLiteral("wrong");
  Run("UploadAction", {On<TFTPUploadSettingsForm>([](auto* form) {
                         Type(form, "PasswordEdit", TFTPTestServer::Password);
                         Click(form, "OkButton");
                       }),
                       ReadBox()});
  Server->Home().Write("www/theirs.html", "not ours");
  Module->SetText(QStringLiteral("[a.html]\r\nA\r\n[b.html]\r\nBee\r\n"));
  Run("UploadAction", {ReadBox()});
  EXPECT_EQ(Questions.size(), 2);  // the log-in, then the deletion
  EXPECT_TRUE(Questions.value(1).endsWith(QStringLiteral("\n\nc.html"))) << Questions.value(1).toStdString();
  ASSERT_EQ(Messages.size(), 2);
  EXPECT_EQ(Messages[0], Box(QMessageBox::Information, "Публикация завершена. Отправлено файлов: 3, удалено: 0, ошибок: 0."));
  EXPECT_TRUE(Messages[1].endsWith(QStringLiteral("удалено: 1, ошибок: 0."))) << Messages[1].toStdString();
  EXPECT_FALSE(Server->Home().Exists("www/c.html"));
  EXPECT_TRUE(Server->Home().Exists("www/theirs.html"));
  EXPECT_EQ(FTPUploadModule->UploadedFiles.size(), 2);
}

// An unknown certificate or host key is shown with its fingerprint; trusted, the test passes.
TEST_F(UploadWindows, TestOffersToTrustAnUnknownServer) {
  TTestCertificates certificates;
  std::unique_ptr<TSSHTestServer> ssh;
  const QByteArray home = qgetenv("HOME");
  auto startSSH = [&ssh] {
    ssh = std::make_unique<TSSHTestServer>();
    qputenv("HOME", QByteArray::fromStdString(ssh->Home()));
    std::filesystem::create_directory(ssh->Files().Path() / "www");
    TFTPUploadModule& module = *FTPUploadModule;
    module.FTPPort = QString::fromStdString(ssh->Port());
    module.FTPUserName = QString::fromStdString(TSSHTestServer::UserName());
    module.FTPPassword.clear();
    module.FTPRemoteRoot = QString::fromStdString((ssh->Files().Path() / "www").string());
    return ssh->HostKeyFingerprint();
  };
  const std::pair<int, std::function<std::string()>> cases[] = {
      {1,
       [&] {
         StartServer({"--tls", certificates.SelfSigned()});
         return TTestCertificates::Fingerprint(certificates.SelfSigned());
       }},
      {2, startSSH}};
  for (const auto& [protocol, start] : cases) {
    const std::string fingerprint = start();
    QString question;
    Run("UploadSettingsAction",
        {On<TFTPUploadSettingsForm>([protocol = protocol](auto* form) {
           Child<QComboBox>(form, "ProtocolComboBox")->setCurrentIndex(protocol);
           Click(form, "TestButton");
         }),
         On<QMessageBox>([&question](QMessageBox* box) {
           question = box->text();
           QTimer::singleShot(0, box->button(QMessageBox::Yes), &QAbstractButton::click);
         }),
         ReadBox(), On<TFTPUploadSettingsForm>([](auto* form) { Click(form, "OkButton"); })});
    EXPECT_NE(question.indexOf(QString::fromStdString(fingerprint)), -1);
    EXPECT_EQ(Messages.value(Messages.size() - 1),
              Box(QMessageBox::Information, "Настройки публикации успешно проверены."));
  }
  qputenv("HOME", home);
  EXPECT_EQ(FTPUploadModule->Protocol(), QStringLiteral("sftp"));
  EXPECT_EQ(FTPUploadModule->TrustedCertificate.toStdString(),
            TTestCertificates::Fingerprint(certificates.SelfSigned()));
}

}  // namespace
