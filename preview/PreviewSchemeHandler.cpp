#include "preview/PreviewSchemeHandler.h"

#include "preview/PreviewRequest.h"
#include "preview/SSIPreview.h"

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
    : QWebEngineUrlSchemeHandler(owner), PreviewModule(module) {}

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
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
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
  auto* body = new QBuffer(job);
  body->setData(answer.Refusal.isEmpty() ? answer.Body : answer.Refusal);
  body->open(QIODevice::ReadOnly);
  job->reply(answer.ContentType, body);
}
