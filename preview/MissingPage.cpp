#include "preview/MissingPage.h"

#include "services/LocalStrings.h"

#include <QFileInfo>
#include <QStringList>
#include <QUrl>

QString TMissingPage::PageName(const QString& requestPath) {
  QString page = QUrl::fromPercentEncoding(requestPath.toUtf8());
  while (page.startsWith(u'/')) page.remove(0, 1);
  if (page.isEmpty() || page.endsWith(u'/')) page += QStringLiteral("index.html");
  static const QStringList pageKinds{QStringLiteral("html"), QStringLiteral("htm"), QStringLiteral("shtml"),
                                     QStringLiteral("php"), QString()};
  return pageKinds.contains(QFileInfo(page).suffix().toLower()) ? page : QString();
}

QByteArray TMissingPage::Html(const QString& page, const QString& title, const QString& text) {
  const QString said = FormatText(text, {page, u'[' + page + u']'});
  return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title></head>\n"
                        "<body><h1>%1</h1>\n<p>%2</p></body></html>\n")
      .arg(title.toHtmlEscaped(), said.toHtmlEscaped())
      .toUtf8();
}
