#include "preview/SSIPreview.h"

TSSIPreviewModule* SSIPreviewModule = nullptr;

TSSIPreviewModule::TSSIPreviewModule(QObject* owner) : QObject(owner) {
  setObjectName(QStringLiteral("SSIPreviewModule"));
}
