#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// What the preview gives the browser for one request.
struct TPreviewAnswer {
  bool Found = false;
  // Pages and other text name their encoding: "text/html; charset=utf-8".
  QByteArray ContentType;
  // An HTML page is answered with its bytes, includes expanded; any other file is sent as it is,
  // read from File in the pieces the client asks for (Body stays empty).
  QByteArray Body;
  QString File;
  // Found, but not sent: why, in a short text (a page too large to expand).
  QByteArray Refusal;
  // When not found: the request path to ask for instead ("sub/" for a folder asked as "sub"), or
  // empty.
  QString Redirect;
};

// The preview module. It lives from start-up to shut-down like the other modules and serves the
// files of the output folder: HTML pages with their includes expanded, every other file as it
// is. Serving never writes a file. The same answers serve the preview window's URL scheme and
// the local web server of --serve.
class TConfigFile;

class TSSIPreviewModule : public QObject {
  Q_OBJECT
 public:
  // A page larger than this that may hold includes is refused: its expansion could not stay
  // within the expander's bound, and reading it whole would take its size again in memory.
  // Larger pages without includes are sent as they are, from the file.
  static constexpr qint64 MaxExpandedPage = 8 * 1024 * 1024;

  explicit TSSIPreviewModule(QObject* owner = nullptr);

  // The folder whose files are served; kept until the next call.
  void SetPreviewFolder(const QString& folder) { PreviewFolderPath = folder; }
  const QString& PreviewFolder() const { return PreviewFolderPath; }
  // The page that answers the folder itself when it has no index.html (the generator's index page);
  // empty for none.
  void SetIndexPage(const QString& page) { IndexPagePath = page; }

  // The settings in which the preview window keeps its placement; may stay null.
  void SetSettings(TConfigFile* settings) { Settings = settings; }
  TConfigFile* GetSettings() const { return Settings; }

  // Serves folder under the URL scheme protocol while the preview window, opened on
  // "protocol:page", is shown; returns when the user has closed it. Does nothing when the browser
  // module is not loaded. Part of the windows' library (ShowPreview.cpp).
  void ShowPreview(const QString& protocol, const QString& page, const QString& folder);

  // The answer to a percent-encoded request path below the folder ("sub/page.html",
  // "/sub/page.html", "" or "sub/" for a folder's default document).
  TPreviewAnswer Answer(const QString& requestPath) const;

 Q_SIGNALS:
  // ShowPreview made its window (a TBrowserForm) and is about to navigate it and show it.
  void PreviewWindowCreated(QObject* window);

 private:
  QString PreviewFolderPath;
  QString IndexPagePath;
  TConfigFile* Settings = nullptr;
};

extern TSSIPreviewModule* SSIPreviewModule;
