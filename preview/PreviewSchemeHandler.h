#pragma once

#include <QWebEngineUrlSchemeHandler>

class TLocalStrings;
class TSSIPreviewModule;

// Answers the browser's requests of the preview scheme from the preview module: a page of the
// output folder with its includes expanded, any other file as it is, a page that says which page
// is missing, or "not found". A request
// for "preview:page" is sent on to "preview:/page", so that the browser resolves the relative
// references of pages in sub-folders against a path.
class TPreviewSchemeHandler : public QWebEngineUrlSchemeHandler {
  Q_OBJECT
 public:
  static constexpr const char* SchemeName = "preview";

  // Once, before the application object exists.
  static void RegisterScheme();

  explicit TPreviewSchemeHandler(const TSSIPreviewModule& module, QObject* owner = nullptr);
  void requestStarted(QWebEngineUrlRequestJob* job) override;

 private:
  const TSSIPreviewModule& PreviewModule;
  TLocalStrings* Texts = nullptr;

  static void Reply(QWebEngineUrlRequestJob* job, const QByteArray& contentType, const QByteArray& data);
  void ReplyMissing(QWebEngineUrlRequestJob* job, const QString& path);
};
