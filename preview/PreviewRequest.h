#pragma once

#include "preview/OutputFolder.h"

#include <QByteArray>
#include <QString>

// A request for a file of the output folder: from the path of a URL to the file that answers it
// and the content type the browser is given.
class TPreviewRequest {
 public:
  static constexpr const char* DefaultDocument = "index.html";

  // indexPage answers the empty path (the folder itself) when the folder has no default
  // document; it may be empty.
  TPreviewRequest(const TOutputFolder& folder, const QString& indexPage);

  // The path of a URL of the preview scheme: everything after the scheme's colon, without a
  // query or fragment ("preview:sub/a.html?x" gives "sub/a.html").
  static QString PathOfUrl(const QString& url);
  // The form of a preview URL the browser should be sent to instead: "preview:sub/page.html"
  // becomes "preview:/sub/page.html", so that the browser resolves "../x" inside the page against
  // a hierarchical path. Empty when the URL has that form already.
  static QString RedirectOfUrl(const QString& url);

  // The file that answers a percent-encoded request path, or an empty string when there is none.
  // A path that names no file gets the default document appended directly, so "" and "sub/"
  // give the folders' index.html while "about" looks for "aboutindex.html". A path that leads
  // outside the output folder, once decoded, names nothing.
  QString FileFor(const QString& requestPath) const;

  // A path that names a folder without ending in "/", where no file answers: the path the client
  // should ask for instead (with "/" appended), so that the relative references of the folder's
  // index.html resolve inside that folder. Empty otherwise.
  QString FolderRedirect(const QString& requestPath) const;

  // HTML pages get their includes expanded: the kinds of page the generator pours into templates
  // (.htm, .html, .shtml, .php), other names the MIME database takes for HTML, and files of
  // names it does not know whose first bytes (head) it takes for HTML.
  static bool IsHtml(const QString& file, const QByteArray& head);
  // The content type of a file: text/html for HTML, else by name and contents.
  static QByteArray ContentType(const QString& file, bool html);

  static constexpr int HeadSize = 255;

 private:
  QString Existing(const QString& relative) const;

  const TOutputFolder& Folder;
  QString IndexPage;
};
