#include "preview/PreviewSchemeHandler.h"

#include "preview/MissingPage.h"
#include "preview/PreviewRequest.h"
#include "preview/SSIPreview.h"
#include "services/LocalStrings.h"

#include <QBuffer>
#include <QFile>
#include <QUrl>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

void TPreviewSchemeHandler::RegisterScheme() {
  QWebEngineUrlScheme scheme(SchemeName);
  // A path without a host: "preview:/sub/page.html" resolves "../style.css" to
  // "preview:/style.css". Pages may read their own files with scripts.
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
  scheme.setFlags(QWebEngineUrlScheme::CorsEnabled);
  QWebEngineUrlScheme::registerScheme(scheme);
}

TPreviewSchemeHandler::TPreviewSchemeHandler(const TSSIPreviewModule& module, QObject* owner)
    : QWebEngineUrlSchemeHandler(owner), PreviewModule(module) {
  setObjectName(QStringLiteral("PreviewSchemeHandler"));
  Texts = new TLocalStrings(this, objectName());
}

void TPreviewSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
  if (job->requestMethod() != "GET") {
    job->fail(QWebEngineUrlRequestJob::RequestDenied);
    return;
  }
  const QString url = job->requestUrl().toString(QUrl::FullyEncoded);
  const QString redirect = TPreviewRequest::RedirectOfUrl(url);
  if (!redirect.isEmpty()) {
    job->redirect(QUrl(redirect));
    return;
  }
  const TPreviewAnswer answer = PreviewModule.Answer(TPreviewRequest::PathOfUrl(url));
  if (!answer.Redirect.isEmpty()) {
    job->redirect(QUrl(QLatin1String(SchemeName) + u':' + answer.Redirect));
    return;
  }
  if (!answer.Found) {
    ReplyMissing(job, TPreviewRequest::PathOfUrl(url));
    return;
  }
  // The job owns the device it reads the answer from.
  if (!answer.File.isEmpty()) {
    auto* file = new QFile(answer.File, job);
    if (!file->open(QIODevice::ReadOnly)) {
      job->fail(QWebEngineUrlRequestJob::UrlNotFound);
      return;
    }
    job->reply(answer.ContentType, file);
    return;
  }
  Reply(job, answer.ContentType, answer.Refusal.isEmpty() ? answer.Body : answer.Refusal);
}

void TPreviewSchemeHandler::Reply(QWebEngineUrlRequestJob* job, const QByteArray& contentType, const QByteArray& data) {
  auto* body = new QBuffer(job);
  body->setData(data);
  body->open(QIODevice::ReadOnly);
  job->reply(contentType, body);
}

// A missing page says which it is and how to add it, in the interface's language; the browser's
// own error page would not.
void TPreviewSchemeHandler::ReplyMissing(QWebEngineUrlRequestJob* job, const QString& path) {
  const QString page = TMissingPage::PageName(path);
  if (page.isEmpty()) {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  Reply(job, QByteArrayLiteral("text/html"),
        TMissingPage::Html(page, Texts->GetString(QStringLiteral("MissingPageTitle")), Texts->GetString(QStringLiteral("MissingPage"))));
}
