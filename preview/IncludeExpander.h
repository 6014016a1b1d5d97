#pragma once

#include "preview/OutputFolder.h"

#include <QByteArray>
#include <QtGlobal>

// Replaces the PHP includes and then the server-side includes of an HTML page by the contents of
// the files they name, as a web server would. Paths are taken below the output folder; a file
// that is missing, unreadable or outside the folder is replaced by nothing. Included text is
// searched again, so includes inside included files are expanded too; the work is bounded by a
// number of substitutions and a size, after which the text is delivered as it is, and grows
// with the size of the result, not with its square. Text is handled as bytes, without decoding.
class TIncludeExpander {
 public:
  static constexpr int DefaultMaxSubstitutions = 1000;
  static constexpr qsizetype DefaultMaxSize = 8 * 1024 * 1024;

  explicit TIncludeExpander(const TOutputFolder& folder,
                            int maxSubstitutions = DefaultMaxSubstitutions,
                            qsizetype maxSize = DefaultMaxSize);

  QByteArray Expand(const QByteArray& page) const;

 private:

  const TOutputFolder& Folder;
  int MaxSubstitutions;
  qsizetype MaxSize;
};
