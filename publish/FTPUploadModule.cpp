#include "publish/FTPUploadModule.h"

#include "project/CodePage.h"
#include "project/XMLUtils.h"
#include "publish/ConnectionTest.h"
#include "publish/Keyring.h"
#include "publish/TransferProtocol.h"
#include "publish/Twofish.h"
#include "publish/UploadJob.h"
#include "publish/UploadRecord.h"
#include "publish/WorkerThread.h"
#include "services/ActionHandler.h"
#include "services/LocalStrings.h"
#include "services/MultiAction.h"
#include "services/MultiActionHandler.h"

#include <QCryptographicHash>
#include <QEventLoop>

TFTPUploadModule* FTPUploadModule = nullptr;

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kUploadFiles = QStringLiteral("UploadFiles");
const QString kDestination = QStringLiteral("Destination");
const QString kProtocol = QStringLiteral("Protocol");
const QString kTrustedCertificate = QStringLiteral("TrustedCertificate");

// Credentials are enciphered as bytes of the code page, as every stored project has them. One
// the code page cannot hold is enciphered as UTF-8 behind a byte-order mark, which no credential
// typed in the code page begins with.
const std::string kUtf8Mark = "\xEF\xBB\xBF";

std::string CredentialBytes(const QString& value) {
  const std::string bytes = TCodePage::FromUnicode(value);
  if (TCodePage::ToUnicode(bytes) == value) return bytes;
  return kUtf8Mark + value.toStdString();
}

QString CredentialText(const std::string& bytes) {
  if (bytes.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0)
    return QString::fromStdString(bytes.substr(kUtf8Mark.size()));
  return TCodePage::ToUnicode(bytes);
}

// The clear text of a stored credential; readable is false when the stored text is not in the
// form Encipher writes, and the lenient reading is given then.
QString Decipher(const QString& stored, bool& readable) {
  const std::string text = stored.toStdString();
  std::string clear;
  readable = TryDecryptSetting(text, clear);
  return CredentialText(readable ? clear : DecryptSetting(text));
}

QString Encipher(const QString& value) {
  return QString::fromStdString(EncryptSetting(CredentialBytes(value)));
}

TMultiActionHandler* AddHandler(QObject* owner, const char* name, TMultiAction* target,
                                std::function<void()> run) {
  auto* handler = new TMultiActionHandler(owner);
  handler->setObjectName(QLatin1String(name));
  handler->SetOnExecute(TNotifyEvent::FromFunction([run](QObject*) { run(); }));
  handler->SetMultiAction(target);
  return handler;
}

TMultiAction* AddEvent(QObject* owner, const char* name) {
  auto* action = new TMultiAction(owner);
  action->setObjectName(QLatin1String(name));
  return action;
}

}  // namespace

TFTPUploadModule::TFTPUploadModule(QObject* owner) : QObject(owner) {
  setObjectName(QStringLiteral("FTPUploadModule"));
  OnFileAction = AddEvent(this, "OnFileAction");
  OnUploadCompleteAction = AddEvent(this, "OnUploadCompleteAction");
  OnTestCompleteAction = AddEvent(this, "OnTestCompleteAction");
  UploadThread = new TWorkerThread(this, "UploadThread");
  TestThread = new TWorkerThread(this, "TestThread");
  UploadAction = AddCommand("UploadAction", QStringLiteral("Upload"));
  UploadAction->SetImageIndex(15);
  UploadSettingsAction = AddCommand("UploadSettingsAction", QStringLiteral("Upload Settings..."));
  LocalStrings = new TLocalStrings(this, QStringLiteral("FTPUploadModule"));
  LocalStrings->setObjectName(QStringLiteral("LocalStrings"));
  LocalStrings->Loaded();
}

TActionHandler* TFTPUploadModule::AddCommand(const char* name, const QString& caption) {
  auto* command = new TActionHandler(this);
  command->setObjectName(QLatin1String(name));
  command->SetCaption(caption);
  return command;
}

QString TFTPUploadModule::GetString(const QString& key) const {
  return LocalStrings->GetString(key);
}

TUploadReport TFTPUploadModule::Report() const {
  return TUploadReport([this](const char* key) { return GetString(QLatin1String(key)); });
}

TFTPUploadModule::~TFTPUploadModule() {
  Cancelled = true;
  // The threads are children; waiting for them here keeps the job's data alive until they end.
  delete UploadThread;
  delete TestThread;
}

void TFTPUploadModule::AttachProjectEvents(TMultiAction* onNew, TMultiAction* onOpen,
                                           TMultiAction* onSave,
                                           std::function<QDomDocument()> document) {
  NewProjectHandler = AddHandler(this, "NewProjectHandler", onNew, [this] { ResetSettings(); });
  OpenProjectHandler = AddHandler(this, "OpenProjectHandler", onOpen,
                                  [this, document] { ReadSettings(document().documentElement()); });
  SaveProjectHandler = AddHandler(this, "SaveProjectHandler", onSave, [this, document] {
    QDomElement root = document().documentElement();
    WriteSettings(root);
  });
}

void TFTPUploadModule::ResetSettings() {
  RecordDestination.clear();
  RecordDestinationStated = false;
  PasswordFor.clear();
  FTPServer.clear();
  FTPUserName.clear();
  FTPPassword.clear();
  FTPPort = QStringLiteral("21");
  FTPRemoteRoot.clear();
  FTPPassiveMode = true;
  UploadChangesOnly = true;
  TrustedCertificate.clear();
  SetProtocol(QString());
  UploadedFiles.clear();
  UnreadableCredentials.clear();
  HandTyped.clear();
  PasswordInKeyring = KeyringAvailable();
}

QString TFTPUploadModule::ReadCredential(const QDomElement& settings, const QString& name) {
  bool readable = true;
  const QString stored = GetAttributeText(settings, name, QString());
  QString value = Decipher(stored, readable);
  if (!readable) {
    UnreadableCredentials.append(name);
    HandTyped.insert(name, {stored, value});
  }
  return value;
}

void TFTPUploadModule::StartNewProject() {
  FTPPassword.clear();
  UploadedFiles.clear();
  UnreadableCredentials.removeAll(QStringLiteral("FTPPassword"));
  HandTyped.remove(QStringLiteral("FTPPassword"));
}

// A file without settings (a new project, plain text) starts from the defaults: another
// project's server, password and record must not follow it.
void TFTPUploadModule::ReadSettings(const QDomElement& root) {
  ResetSettings();
  QDomElement settings = FindChildElement(root, kSettings);
  if (settings.isNull()) return;
  auto text = [&settings](const char* name, const QString& current) {
    return GetAttributeText(settings, QLatin1String(name), current);
  };
  FTPServer = text("FTPServer", QString());
  FTPUserName = ReadCredential(settings, QStringLiteral("FTPUserName"));
  FTPPassword = ReadCredential(settings, QStringLiteral("FTPPassword"));
  FTPPort = text("FTPPort", FTPPort);
  FTPRemoteRoot = text("FTPRemoteRoot", QString());
  FTPPassiveMode = GetAttributeFlag(settings, QStringLiteral("FTPPassiveMode"));
  UploadChangesOnly = GetAttributeFlag(settings, QStringLiteral("UploadChangesOnly"));
  // Files of versions before FTPS and SFTP have neither: plain FTP, no trusted certificate.
  SetProtocol(GetAttributeText(settings, kProtocol, QString()));
  TrustedCertificate = GetAttributeText(settings, kTrustedCertificate, QString());
  PasswordFor = PasswordKey(ProtocolName, FTPServer, FTPPort);
  ReadKeyringPassword();
  UploadedFiles = TUploadRecord::Parse(GetChildText(settings, kUploadFiles, QString()));
  // A record of older versions, without its destination, belongs to the settings beside it.
  const QString destination = GetAttributeText(FindChildElement(settings, kUploadFiles), kDestination, QString());
  RecordDestination = UploadedFiles.isEmpty() ? QString() : destination.isEmpty() ? Destination() : destination;
  RecordDestinationStated = !destination.isEmpty();
}

QString TFTPUploadModule::Destination() const {
  const QString where = QStringList{ProtocolName, FTPServer.trimmed().toLower(), FTPPort.trimmed(), FTPUserName,
                                    FTPRemoteRoot}.join(u'\n');
  return QString::fromLatin1(QCryptographicHash::hash(where.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString TFTPUploadModule::PasswordKey(const QString& protocol, const QString& server, const QString& port) {
  return QStringList{protocol, server.trimmed().toLower(), port.trimmed()}.join(u'\n');
}

bool TFTPUploadModule::PasswordServes(const QString& protocol, const QString& server, const QString& port) const {
  return PasswordFor.isEmpty() || PasswordFor == PasswordKey(protocol, server, port);
}

void TFTPUploadModule::SetPassword(const QString& password) {
  FTPPassword = password;
  PasswordFor.clear();
}

bool TFTPUploadModule::PasswordMovedAway() const {
  return !FTPPassword.isEmpty() && !PasswordServes(ProtocolName, FTPServer, FTPPort);
}

bool TFTPUploadModule::RecordElsewhere() const {
  return !UploadedFiles.isEmpty() && !RecordDestination.isEmpty() && RecordDestination != Destination();
}

void TFTPUploadModule::WriteSettings(QDomElement& root) const {
  QDomElement settings = FindChildElement(root, kSettings);
  if (settings.isNull()) settings = AddChildElement(root, kSettings);
  SetAttributeText(settings, QStringLiteral("FTPServer"), FTPServer);
  SetAttributeText(settings, QStringLiteral("FTPUserName"), CredentialToStore(QStringLiteral("FTPUserName"), FTPUserName));
  const QString password = PasswordMovedAway() ? QString() : FTPPassword;  // dropped, not taken along
  SetAttributeText(settings, QStringLiteral("FTPPassword"),
                   CredentialToStore(QStringLiteral("FTPPassword"), KeptInKeyring(password) ? QString() : password));
  SetAttributeText(settings, QStringLiteral("FTPPort"), FTPPort);
  SetAttributeText(settings, QStringLiteral("FTPRemoteRoot"), FTPRemoteRoot);
  SetAttributeFlag(settings, QStringLiteral("FTPPassiveMode"), FTPPassiveMode);
  SetAttributeFlag(settings, QStringLiteral("UploadChangesOnly"), UploadChangesOnly);
  // Plain FTP writes no Protocol: the file stays what earlier versions wrote and read.
  if (ProtocolName != TTransferProtocol::Name(TTransferProtocol::tpFTP))
    SetAttributeText(settings, kProtocol, ProtocolName);
  SetAttributeText(settings, kTrustedCertificate, TrustedCertificate);
  QDomElement record = SetChildText(settings, kUploadFiles, UploadedFiles.join(u'\n'));
  const bool stated = RecordDestinationStated || RecordDestination != Destination();
  SetAttributeText(record, kDestination, stated ? RecordDestination : QString());
}

QString TFTPUploadModule::CredentialToStore(const QString& name, const QString& value) const {
  const auto typed = HandTyped.constFind(name);
  return typed != HandTyped.cend() && typed->Read == value ? typed->Stored : Encipher(value);
}

bool TFTPUploadModule::KeyringAvailable() const { return TKeyring().Available(); }

QString TFTPUploadModule::KeyringKey() const { return TKeyring::Key(ProtocolName, FTPUserName, FTPServer, FTPPort); }

// A file without a password may have left it in the keyring; one with it keeps it there.
void TFTPUploadModule::ReadKeyringPassword() {
  PasswordInKeyring = FTPPassword.isEmpty() && KeyringAvailable();
  if (PasswordInKeyring && !FTPServer.isEmpty()) TKeyring().Read(KeyringKey(), FTPPassword);
}

// A password the keyring does not take goes to the file; an empty one leaves no stale entry.
bool TFTPUploadModule::KeptInKeyring(const QString& password) const {
  if (!PasswordInKeyring) return false;
  if (password.isEmpty()) {
    TKeyring().Remove(KeyringKey());
    return true;
  }
  return TKeyring().Write(KeyringKey(), password);
}

void TFTPUploadModule::SetProtocol(const QString& protocol) {
  ProtocolName = TTransferProtocol::Normalized(protocol);
}

TFTPSettings TFTPUploadModule::Settings() const {
  TFTPSettings settings;
  settings.Protocol = ProtocolName;
  settings.TrustedCertificate = TrustedCertificate;
  settings.Server = FTPServer;
  settings.UserName = FTPUserName;
  settings.Password = PasswordMovedAway() ? QString() : FTPPassword;
  settings.Port = FTPPort;
  settings.RemoteRoot = FTPRemoteRoot;
  settings.PassiveMode = FTPPassiveMode;
  settings.ChangesOnly = UploadChangesOnly;
  settings.Timeout = Timeout;
  settings.DeleteRemoved = DeleteRemovedFiles;
  return settings;
}

TUploadPlan TFTPUploadModule::PlanUpload(const QString& localRoot) const {
  TUploadPlan plan(localRoot, RecordElsewhere() ? QStringList() : UploadedFiles, UploadChangesOnly);
  plan.FreshDestination = RecordElsewhere();
  plan.Make();
  return plan;
}

bool TFTPUploadModule::Busy() const { return UploadThread->Running() || TestThread->Running(); }

void TFTPUploadModule::Cancel() {
  Cancelled = true;
  UploadResult = -1;
}

bool TFTPUploadModule::StartUpload(const QString& localRoot) {
  if (Busy()) return false;
  Cancelled = false;
  // The record of another destination says nothing of this one: it starts anew.
  if (RecordElsewhere()) UploadedFiles.clear();
  RecordDestination = Destination();
  RecordDestinationStated = true;
  Job = std::make_unique<TUploadJob>(Settings(), localRoot, UploadedFiles, Cancelled,
                                     [this] { OnFileAction->Execute(); });
  auto outcome = std::make_shared<int>(0);
  return UploadThread->Start([this, outcome] { *outcome = Job->Run(); },
                             [this, outcome] {
                               UploadResult = *outcome;
                               OnUploadCompleteAction->Execute();
                             });
}

int TFTPUploadModule::RunUpload(const QString& localRoot) {
  QEventLoop loop;
  connect(UploadThread, &TWorkerThread::Finished, &loop, &QEventLoop::quit);
  if (StartUpload(localRoot)) loop.exec();
  return UploadResult;
}

bool TFTPUploadModule::StartTest(const QString& server, const QString& userName,
                                 const QString& folder, const QString& port,
                                 const QString& password) {
  TFTPSettings settings = Settings();
  settings.Server = server;
  settings.UserName = userName;
  settings.Password = password;
  settings.Port = port;
  settings.RemoteRoot = folder;
  return StartTest(settings);
}

bool TFTPUploadModule::StartTest(const TFTPSettings& given) {
  if (Busy()) return false;
  Cancelled = false;
  TFTPSettings settings = given;
  settings.Timeout = Timeout;
  TestRoot = settings.RemoteRoot;
  auto test = std::make_shared<TConnectionTest>(settings, Cancelled);
  auto outcome = std::make_shared<int>(0);
  return TestThread->Start([test, outcome] { *outcome = test->Run(); },
                           [this, test, outcome] {
                             TestResult = *outcome;
                             TestRoot = test->Root();
                             TestError = test->Error();
                             OnTestCompleteAction->Execute();
                           });
}

int TFTPUploadModule::PendingCount() const {
  return Job ? static_cast<int>(Job->PendingFiles().size()) : 0;
}

int TFTPUploadModule::CurrentIndex() const { return Job ? Job->CurrentIndex() : -1; }

QString TFTPUploadModule::CurrentFile() const { return Job ? Job->CurrentFile() : QString(); }

const std::vector<TUploadJob::TFailedFile>& TFTPUploadModule::FailedFiles() const {
  static const std::vector<TUploadJob::TFailedFile> none;
  return Job ? Job->FailedFiles() : none;
}

int TFTPUploadModule::FailedCount() const { return static_cast<int>(FailedFiles().size()); }

TFTPError TFTPUploadModule::UploadError() const { return Job ? Job->Error() : TFTPError(); }
