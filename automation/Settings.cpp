#include "automation/Settings.h"

#include "publish/FTPUploadModule.h"
#include "publish/TransferProtocol.h"

namespace Automation {

TSettings::TSettings(TFTPUploadModule& module, QObject* owner) : TAutomationObject(owner), Module(module) {}

QString TSettings::FTPServer() const { return Read(Module.FTPServer); }
void TSettings::SetFTPServer(const QString& value) { Assign(Module.FTPServer, value); }
void TSettings::SetFTPUserName(const QVariant& value) { Assign(Module.FTPUserName, value.toString()); }
// A password the script gives serves whatever server it names; the stored one stays with its own.
void TSettings::SetFTPPassword(const QVariant& value) {
  Run([&] { Module.SetPassword(value.toString()); });
}
QString TSettings::FTPPort() const { return Read(Module.FTPPort); }
void TSettings::SetFTPPort(const QString& value) { Assign(Module.FTPPort, value); }
QString TSettings::FTPRemoteRoot() const { return Read(Module.FTPRemoteRoot); }
void TSettings::SetFTPRemoteRoot(const QString& value) { Assign(Module.FTPRemoteRoot, value); }
QString TSettings::Protocol() const {
  return Run([&] { return Module.Protocol(); });
}
// The port follows the protocol, as in the settings dialog, unless it is one the user chose.
void TSettings::SetProtocol(const QString& value) {
  Run([&] {
    TTransferProtocol::TKind before, after;
    const bool known = TTransferProtocol::FromName(Module.Protocol(), before);
    Module.SetProtocol(value);
    if (known && TTransferProtocol::FromName(value, after))
      Module.FTPPort = TTransferProtocol::FollowingPort(Module.FTPPort, TTransferProtocol::StandardPort(before), after);
  });
}
bool TSettings::FTPPassiveMode() const { return Read(Module.FTPPassiveMode); }
void TSettings::SetFTPPassiveMode(bool value) { Assign(Module.FTPPassiveMode, value); }
bool TSettings::UploadChangesOnly() const { return Read(Module.UploadChangesOnly); }
void TSettings::SetUploadChangesOnly(bool value) { Assign(Module.UploadChangesOnly, value); }

QVariant TSettings::WriteOnlyUserName() const { return WriteOnly("FTPUserName"); }
QVariant TSettings::WriteOnlyPassword() const { return WriteOnly("FTPPassword"); }

// The stored credentials never leave the program by this way.
QVariant TSettings::WriteOnly(const char* name) const {
  Fail(QStringLiteral("Settings.%1 can be written but not read.").arg(QLatin1String(name)));
  return QVariant();
}

template <class TValue>
TValue TSettings::Read(const TValue& field) const {
  return Run([&] { return field; });
}

template <class TValue>
void TSettings::Assign(TValue& field, const TValue& value) {
  Run([&] { field = value; });
}

}  // namespace Automation
