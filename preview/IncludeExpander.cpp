#include "preview/IncludeExpander.h"

#include <QFile>

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
  // Latin-1 maps every byte to one character and back, so the bytes pass through unchanged.
  QString text = QString::fromLatin1(page);
  int substitutions = 0;
  if (RunPass(text, PhpInclude(), substitutions)) RunPass(text, SsiInclude(), substitutions);
  return text.toLatin1();
}

bool TIncludeExpander::RunPass(QString& text, const QRegularExpression& directive,
                               int& substitutions) const {
  qsizetype from = 0;
  for (;;) {
    const QRegularExpressionMatch match = directive.match(text, from);
    if (!match.hasMatch()) return true;
    if (substitutions >= MaxSubstitutions) return false;
    const QString contents = Contents(match.captured(2));
    if (text.size() - match.capturedLength() + contents.size() > MaxSize) return false;
    const qsizetype start = match.capturedStart();
    text.replace(start, match.capturedLength(), contents);
    ++substitutions;
    // Searching again from the beginning finds nothing before the last "<" ahead of the
    // substitution: the text before it is unchanged and a directive holds no "<" after its
    // first character, so a new match must begin there or later.
    from = start > 0 ? text.lastIndexOf('<', start - 1) : 0;
    if (from < 0) from = start;
  }
}

QString TIncludeExpander::Contents(const QString& includePath) const {
  const QString path = Folder.FilePath(includePath);
  if (!Folder.IsFile(path)) return QString();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QString();
  return QString::fromLatin1(file.read(MaxSize + 1));
}
