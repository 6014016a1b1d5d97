#pragma once

#include <QObject>

// The preview module. It lives from start-up to shut-down like the other modules; serving the
// generated site to the preview window joins it with the preview.
class TSSIPreviewModule : public QObject {
  Q_OBJECT
 public:
  explicit TSSIPreviewModule(QObject* owner = nullptr);
};

extern TSSIPreviewModule* SSIPreviewModule;
