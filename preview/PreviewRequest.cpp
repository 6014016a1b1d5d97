#include "preview/PreviewRequest.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>

TPreviewRequest::TPreviewRequest(const TOutputFolder& folder, const QString& indexPage)
    : Folder(folder), IndexPage(indexPage) {}

QString TPreviewRequest::PathOfUrl(const QString& url) {
  QString path = url.mid(url.indexOf(':') + 1);
  const qsizetype end = path.indexOf(QRegularExpression(QStringLiteral("[?#]")));
  if (end >= 0) path.truncate(end);
  return path;
}

QString TPreviewRequest::RedirectOfUrl(const QString& url) {
  const qsizetype colon = url.indexOf(':');
  if (colon < 0 || url.mid(colon + 1).startsWith('/')) return QString();
  return url.left(colon + 1) + '/' + url.mid(colon + 1);
}

QString TPreviewRequest::FileFor(const QString& requestPath) const {
  const QByteArray decoded = QByteArray::fromPercentEncoding(requestPath.toUtf8());
  if (decoded.contains('\0')) return QString();
  const QString path = QString::fromUtf8(decoded);
  const QString file = Existing(path);
  if (!file.isEmpty()) return file;
  const QString document = Existing(path + QLatin1String(DefaultDocument));
  // The site's own index.html answers the folder itself, as a web server would send it.
  if (!document.isEmpty() || IndexPage.isEmpty() || Folder.FilePath(path) != Folder.Root()) return document;
  return Existing(IndexPage);
}

QString TPreviewRequest::FolderRedirect(const QString& requestPath) const {
  if (requestPath.isEmpty() || requestPath.endsWith('/') || !FileFor(requestPath).isEmpty())
    return QString();
  const QByteArray decoded = QByteArray::fromPercentEncoding(requestPath.toUtf8());
  if (decoded.contains('\0') || decoded.endsWith('/') || decoded.endsWith('\\')) return QString();
  return Folder.IsFolder(Folder.FilePath(QString::fromUtf8(decoded))) ? requestPath + '/' : QString();
}

QString TPreviewRequest::Existing(const QString& relative) const {
  const QString file = Folder.FilePath(relative);
  return Folder.IsFile(file) ? file : QString();
}

bool TPreviewRequest::IsHtml(const QString& file, const QByteArray& head) {
  const QString suffix = QFileInfo(file).suffix().toLower();
  for (const char* page : {"htm", "html", "shtml", "php"})
    if (suffix == QLatin1String(page)) return true;
  // A name the database knows decides (a style sheet that begins with "<!--" stays a style
  // sheet); the first bytes decide for the others.
  const QMimeDatabase database;
  QMimeType type = database.mimeTypeForFile(file, QMimeDatabase::MatchExtension);
  if (type.isDefault()) type = database.mimeTypeForData(head.left(HeadSize));
  return type.inherits(QStringLiteral("text/html"));
}

QByteArray TPreviewRequest::ContentType(const QString& file, bool html) {
  if (html) return QByteArrayLiteral("text/html");
  const QMimeType type = QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchDefault);
  return type.isValid() ? type.name().toLatin1() : QByteArrayLiteral("application/octet-stream");
}
