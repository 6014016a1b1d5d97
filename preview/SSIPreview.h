#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// What the preview gives the browser for one request.
struct TPreviewAnswer {
  bool Found = false;
  QByteArray ContentType;
  QByteArray Body;
};

// The preview module. It lives from start-up to shut-down like the other modules and serves the
// files of the output folder: HTML pages with their includes expanded, every other file as it
// is. Serving never writes a file. The same answers serve the preview window's URL scheme and
// the local web server of --serve.
class TSSIPreviewModule : public QObject {
  Q_OBJECT
 public:
  explicit TSSIPreviewModule(QObject* owner = nullptr);

  // The folder whose files are served; kept until the next call.
  void SetPreviewFolder(const QString& folder) { PreviewFolderPath = folder; }
  const QString& PreviewFolder() const { return PreviewFolderPath; }
  // The page that answers the folder itself before index.html (the generator's index page);
  // empty for none.
  void SetIndexPage(const QString& page) { IndexPagePath = page; }

  // The answer to a percent-encoded request path below the folder ("sub/page.html",
  // "/sub/page.html", "" or "sub/" for a folder's default document).
  TPreviewAnswer Answer(const QString& requestPath) const;

 private:
  QString PreviewFolderPath;
  QString IndexPagePath;
};

extern TSSIPreviewModule* SSIPreviewModule;
