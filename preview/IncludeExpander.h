#pragma once

#include "preview/OutputFolder.h"

#include <QByteArray>
#include <QRegularExpression>

// Replaces the PHP includes and then the server-side includes of an HTML page by the contents of
// the files they name, as a web server would. Paths are taken below the output folder; a file
// that is missing, unreadable or outside the folder is replaced by nothing. Each search starts
// again at the beginning of the text, so includes inside included files are expanded too; the
// work is bounded by a number of substitutions and a size, after which the text is delivered as
// it is. Text is handled as bytes, without decoding.
class TIncludeExpander {
 public:
  static constexpr int DefaultMaxSubstitutions = 1000;
  static constexpr qsizetype DefaultMaxSize = 8 * 1024 * 1024;

  explicit TIncludeExpander(const TOutputFolder& folder,
                            int maxSubstitutions = DefaultMaxSubstitutions,
                            qsizetype maxSize = DefaultMaxSize);

  QByteArray Expand(const QByteArray& page) const;

 private:
  // One pass of one expression; false when a limit stopped it.
  bool RunPass(QString& text, const QRegularExpression& directive, int& substitutions) const;
  QString Contents(const QString& includePath) const;

  const TOutputFolder& Folder;
  int MaxSubstitutions;
  qsizetype MaxSize;
};
