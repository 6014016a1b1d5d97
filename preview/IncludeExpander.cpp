#include "preview/IncludeExpander.h"

#include "preview/IncludePass.h"

#include <QRegularExpression>

namespace {

// \s and \w spelled out: white space is space, tab, LF, CR and FF; names are ASCII only. One
// copy per thread: the web server of --serve answers requests on several threads at once.
const QRegularExpression& PhpInclude() {
  static thread_local const QRegularExpression expression(QStringLiteral(
      "(?i)<\\?php[ \\t\\n\\r\\f]+(include|include_once)[ \\t\\n\\r\\f]*\\([ \\t\\n\\r\\f]*"
      "[\"']([A-Za-z0-9_./-]+)[\"'][ \\t\\n\\r\\f]*\\)[ \\t\\n\\r\\f]*\\?>"));
  return expression;
}

const QRegularExpression& SsiInclude() {
  static thread_local const QRegularExpression expression(QStringLiteral(
      "(?i)<!--[ \\t\\n\\r\\f]*#include[ \\t\\n\\r\\f]+(file|virtual)[ \\t\\n\\r\\f]*=[ \\t\\n\\r\\f]*"
      "\"([A-Za-z0-9_./-]+)\"[ \\t\\n\\r\\f]*-->"));
  return expression;
}

}  // namespace

TIncludeExpander::TIncludeExpander(const TOutputFolder& folder, int maxSubstitutions,
                                   qsizetype maxSize)
    : Folder(folder), MaxSubstitutions(maxSubstitutions), MaxSize(maxSize) {}

QByteArray TIncludeExpander::Expand(const QByteArray& page) const {
  const TIncludePass::TLimits limits{MaxSubstitutions, MaxSize};
  int substitutions = 0;
  TIncludePass php(Folder, PhpInclude(), '?', limits, substitutions);
  QByteArray text = php.Run(page);
  if (php.Stopped()) return text;
  return TIncludePass(Folder, SsiInclude(), '!', limits, substitutions).Run(std::move(text));
}
