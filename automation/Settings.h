#pragma once

// The automation settings object (Settings): the publishing settings of the open project, read
// and written directly in the publishing module. Writes take effect at once, without checks and
// without marking the project changed; they reach the project file at its next save. Every
// member runs inside the failure boundary of TAutomationObject. The user
// name and the password can be written but never read back.

#include "automation/AutomationObject.h"

#include <QString>
#include <QVariant>

class TFTPUploadModule;

namespace Automation {

class TSettings : public TAutomationObject {
  Q_OBJECT
  // Scripts enumerate the object without these (see TActiveScript::ScriptView).
  Q_CLASSINFO("WriteOnly", "FTPUserName FTPPassword")
  Q_PROPERTY(QString FTPServer READ FTPServer WRITE SetFTPServer)
  // Write-only: reading fails (a property needs a read function; this one refuses).
  Q_PROPERTY(QVariant FTPUserName READ WriteOnlyUserName WRITE SetFTPUserName)
  Q_PROPERTY(QVariant FTPPassword READ WriteOnlyPassword WRITE SetFTPPassword)
  Q_PROPERTY(QString FTPPort READ FTPPort WRITE SetFTPPort)
  Q_PROPERTY(QString FTPRemoteRoot READ FTPRemoteRoot WRITE SetFTPRemoteRoot)
  Q_PROPERTY(bool FTPPassiveMode READ FTPPassiveMode WRITE SetFTPPassiveMode)
  Q_PROPERTY(bool UploadChangesOnly READ UploadChangesOnly WRITE SetUploadChangesOnly)
  // "ftp", "ftps" or "sftp".
  Q_PROPERTY(QString Protocol READ Protocol WRITE SetProtocol)
 public:
  // module outlives the object.
  explicit TSettings(TFTPUploadModule& module, QObject* owner = nullptr);

  QString FTPServer() const;
  void SetFTPServer(const QString& value);
  void SetFTPUserName(const QVariant& value);
  void SetFTPPassword(const QVariant& value);
  QString FTPPort() const;
  void SetFTPPort(const QString& value);
  QString FTPRemoteRoot() const;
  void SetFTPRemoteRoot(const QString& value);
  bool FTPPassiveMode() const;
  void SetFTPPassiveMode(bool value);
  bool UploadChangesOnly() const;
  void SetUploadChangesOnly(bool value);
  QString Protocol() const;
  void SetProtocol(const QString& value);

 private:
  TFTPUploadModule& Module;

  QVariant WriteOnlyUserName() const;
  QVariant WriteOnlyPassword() const;
  QVariant WriteOnly(const char* name) const;
  // A field of the module read or written inside the failure boundary.
  template <class TValue>
  TValue Read(const TValue& field) const;
  template <class TValue>
  void Assign(TValue& field, const TValue& value);
};

}  // namespace Automation
