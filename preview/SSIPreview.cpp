#include "preview/SSIPreview.h"

#include "preview/IncludeExpander.h"
#include "preview/IncludeScan.h"
#include "preview/OutputFolder.h"
#include "preview/PageEncoding.h"
#include "preview/PreviewRequest.h"

#include <QFile>

TSSIPreviewModule* SSIPreviewModule = nullptr;

namespace {

// The content type, with the charset of a page or other text. It is decided on what the browser
// decodes: the page with its includes expanded, or the file itself (data, not yet read).
QByteArray ContentType(const QString& file, bool html, const QByteArray* expanded, QFile& data) {
  const QByteArray type = TPreviewRequest::ContentType(file, html);
  if (!TPageEncoding::IsText(type)) return type;
  const QByteArray bytes = expanded ? *expanded : data.read(TPageEncoding::SampleSize);
  return type + "; charset=" + TPageEncoding::Of(bytes, html);
}

TPreviewAnswer TooLarge() {
  TPreviewAnswer answer;
  answer.Found = true;
  answer.ContentType = "text/plain";
  answer.Refusal = "This page is too large to expand its includes.\n";
  return answer;
}

}  // namespace

TSSIPreviewModule::TSSIPreviewModule(QObject* owner) : QObject(owner) {
  setObjectName(QStringLiteral("SSIPreviewModule"));
}

TPreviewAnswer TSSIPreviewModule::Answer(const QString& requestPath) const {
  TPreviewAnswer answer;
  if (PreviewFolderPath.isEmpty()) return answer;
  const TOutputFolder folder(PreviewFolderPath);
  const TPreviewRequest request(folder, IndexPagePath);
  const QString file = request.FileFor(requestPath);
  if (file.isEmpty()) {
    answer.Redirect = request.FolderRedirect(requestPath);
    return answer;
  }
  QFile data(file);
  if (!data.open(QIODevice::ReadOnly)) return answer;
  const bool html = TPreviewRequest::IsHtml(file, data.peek(TPreviewRequest::HeadSize));
  if (html && data.size() > MaxExpandedPage && TIncludeScan::MayHoldIncludes(data)) return TooLarge();
  data.seek(0);
  if (html && data.size() <= MaxExpandedPage)
    answer.Body = TIncludeExpander(folder).Expand(data.readAll());
  else
    answer.File = file;  // sent as it is
  answer.ContentType = ContentType(file, html, answer.File.isEmpty() ? &answer.Body : nullptr, data);
  answer.Found = true;
  return answer;
}
