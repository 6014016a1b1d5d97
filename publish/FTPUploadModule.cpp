#include "publish/FTPUploadModule.h"

#include "project/CodePage.h"
#include "project/XMLUtils.h"
#include "publish/Twofish.h"
#include "services/MultiAction.h"
#include "services/MultiActionHandler.h"

TFTPUploadModule* FTPUploadModule = nullptr;

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kUploadFiles = QStringLiteral("UploadFiles");

// Settings are kept as text of the code page, enciphered ones as hexadecimal digits of its bytes.
QString Decipher(const QString& stored) {
  return TCodePage::ToUnicode(DecryptSetting(stored.toStdString()));
}

QString Encipher(const QString& value) {
  return QString::fromStdString(EncryptSetting(TCodePage::FromUnicode(value)));
}

TMultiActionHandler* AddHandler(QObject* owner, const char* name, TMultiAction* target,
                                std::function<void()> run) {
  auto* handler = new TMultiActionHandler(owner);
  handler->setObjectName(QLatin1String(name));
  handler->SetOnExecute(TNotifyEvent::FromFunction([run](QObject*) { run(); }));
  handler->SetMultiAction(target);
  return handler;
}

}  // namespace

TFTPUploadModule::TFTPUploadModule(QObject* owner) : QObject(owner) {
  setObjectName(QStringLiteral("FTPUploadModule"));
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
  FTPServer.clear();
  FTPUserName.clear();
  FTPPassword.clear();
  FTPPort = QStringLiteral("21");
  FTPRemoteRoot.clear();
  FTPPassiveMode = true;
  UploadChangesOnly = true;
  UploadedFiles.clear();
}

void TFTPUploadModule::ReadSettings(const QDomElement& root) {
  QDomElement settings = FindChildElement(root, kSettings);
  if (settings.isNull()) return;
  auto text = [&settings](const char* name, const QString& current) {
    return TCodePage::Filter(GetAttributeText(settings, QLatin1String(name), current));
  };
  FTPServer = text("FTPServer", FTPServer);
  FTPUserName = Decipher(GetAttributeText(settings, QStringLiteral("FTPUserName"), QString()));
  FTPPassword = Decipher(GetAttributeText(settings, QStringLiteral("FTPPassword"), QString()));
  FTPPort = text("FTPPort", FTPPort);
  FTPRemoteRoot = text("FTPRemoteRoot", FTPRemoteRoot);
  FTPPassiveMode = GetAttributeFlag(settings, QStringLiteral("FTPPassiveMode"));
  UploadChangesOnly = GetAttributeFlag(settings, QStringLiteral("UploadChangesOnly"));
  QString record = GetChildText(settings, kUploadFiles, QString());
  record.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  UploadedFiles = record.isEmpty() ? QStringList() : record.split(u'\n');
}

void TFTPUploadModule::WriteSettings(QDomElement& root) const {
  QDomElement settings = FindChildElement(root, kSettings);
  if (settings.isNull()) settings = AddChildElement(root, kSettings);
  SetAttributeText(settings, QStringLiteral("FTPServer"), TCodePage::Filter(FTPServer));
  SetAttributeText(settings, QStringLiteral("FTPUserName"), Encipher(FTPUserName));
  SetAttributeText(settings, QStringLiteral("FTPPassword"), Encipher(FTPPassword));
  SetAttributeText(settings, QStringLiteral("FTPPort"), TCodePage::Filter(FTPPort));
  SetAttributeText(settings, QStringLiteral("FTPRemoteRoot"), TCodePage::Filter(FTPRemoteRoot));
  SetAttributeFlag(settings, QStringLiteral("FTPPassiveMode"), FTPPassiveMode);
  SetAttributeFlag(settings, QStringLiteral("UploadChangesOnly"), UploadChangesOnly);
  SetChildText(settings, kUploadFiles, UploadedFiles.join(u'\n'));
}
