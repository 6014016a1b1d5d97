// Include expansion of a page against a small output folder (nested, cyclic and big includes,
// and a file outside the folder), and the mapping of request paths to files and folders.

#include "preview/IncludeExpander.h"
#include "preview/PreviewRequest.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

void Write(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  static QTemporaryDir folder;
  static TOutputFolder* output = [] {
    const QString root = folder.filePath(QStringLiteral("html"));
    Write(root + "/menu.html", "<ul>menu</ul>");
    Write(root + "/sub/nested.inc", "[<!--#include file=\"menu.html\"--><?php include('menu.html') ?>]");
    Write(root + "/self.inc", "s<!--#include virtual=\"/self.inc\"-->");
    Write(root + "/php.inc", "<?php include_once(\"php.inc\")?><!--#include file=\"sub/nested.inc\"-->");
    Write(root + "/tail.inc", "menu.html\"-->");  // completes a directive begun before it
    Write(root + "/big.inc", QByteArray(64 * 1024, 'b') + "<?php include('big.inc') ?>");
    Write(folder.filePath(QStringLiteral("outside.txt")), "OUTSIDE");
    QFile::link(folder.path(), root + "/up");  // a link that leads out of the folder
    return new TOutputFolder(root);
  }();
  const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

  const QByteArray expanded = TIncludeExpander(*output, 1000, 1 << 20).Expand(input);
  if (expanded.size() > std::max<qsizetype>(input.size(), 1 << 20)) std::abort();
  if (expanded.contains("OUTSIDE") && !input.contains("OUTSIDE")) std::abort();

  const QString path = QString::fromUtf8(input);
  const TPreviewRequest request(*output, QStringLiteral("menu.html"));
  const QString file = request.FileFor(path);
  if (!file.isEmpty() && !file.startsWith(output->Root())) std::abort();
  if (file.endsWith(QLatin1String("outside.txt"))) std::abort();
  // A redirect only where no file answers, only to the same path as a folder, never out.
  const QString redirect = request.FolderRedirect(path);
  if (!redirect.isEmpty() && (!file.isEmpty() || redirect != path + '/')) std::abort();
  if (!redirect.isEmpty() && !request.FileFor(redirect + QStringLiteral("../up/outside.txt")).isEmpty()) std::abort();
  return 0;
}
