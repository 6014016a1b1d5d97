#include "publish/FTPUploadModule.h"

TFTPUploadModule* FTPUploadModule = nullptr;

TFTPUploadModule::TFTPUploadModule(QObject* owner) : QObject(owner) {
  setObjectName(QStringLiteral("FTPUploadModule"));
}
