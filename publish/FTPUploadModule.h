#pragma once

// The publishing module: the upload settings of the open project and the record of the files
// uploaded with their digests. It keeps them in step with the project through the application
// module's project events: reset when a project starts, read when one opens, written into the
// document when one is saved. The upload jobs join it with the publishing engine.

#include <QDomElement>

#include <functional>
#include <QObject>
#include <QString>
#include <QStringList>

class TMultiAction;
class TMultiActionHandler;

class TFTPUploadModule : public QObject {
  Q_OBJECT
 public:
  explicit TFTPUploadModule(QObject* owner = nullptr);

  // The settings, as the user entered them.
  QString FTPServer;
  QString FTPUserName;
  QString FTPPassword;
  QString FTPPort = QStringLiteral("21");
  QString FTPRemoteRoot;
  bool FTPPassiveMode = true;
  bool UploadChangesOnly = true;
  // Lines "relative path=MD5 digest", the path with "\" between folders.
  QStringList UploadedFiles;

  // Handlers on the project events; document() gives the project document they work on.
  void AttachProjectEvents(TMultiAction* onNew, TMultiAction* onOpen, TMultiAction* onSave,
                           std::function<QDomDocument()> document);

  void ResetSettings();
  // From the root's Settings element; settings without an attribute keep or clear their value
  // as the project file's rules say. No Settings element changes nothing.
  void ReadSettings(const QDomElement& root);
  // A Settings element (made when missing) with the settings and the record.
  void WriteSettings(QDomElement& root) const;

 private:
  TMultiActionHandler* NewProjectHandler = nullptr;
  TMultiActionHandler* OpenProjectHandler = nullptr;
  TMultiActionHandler* SaveProjectHandler = nullptr;
};

extern TFTPUploadModule* FTPUploadModule;
