#pragma once

#include <QObject>

// The publishing module. It lives from start-up to shut-down like the other modules; its
// settings, record of uploaded files and upload jobs join it with the publishing engine.
class TFTPUploadModule : public QObject {
  Q_OBJECT
 public:
  explicit TFTPUploadModule(QObject* owner = nullptr);
};

extern TFTPUploadModule* FTPUploadModule;
