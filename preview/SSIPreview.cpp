#include "preview/SSIPreview.h"

#include "preview/IncludeExpander.h"
#include "preview/OutputFolder.h"
#include "preview/PreviewRequest.h"

#include <QFile>

TSSIPreviewModule* SSIPreviewModule = nullptr;

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
  if (html)
    answer.Body = TIncludeExpander(folder).Expand(data.readAll());
  else
    answer.File = file;
  answer.ContentType = TPreviewRequest::ContentType(file, html);
  answer.Found = true;
  return answer;
}
