#pragma once

#include "preview/OutputFolder.h"

#include <QByteArray>
#include <QRegularExpression>

#include <optional>

// One pass of one include expression over a page: the text already final is kept apart from the
// text still to search, so each substitution costs the size of what it brings in, not of the
// page. A directive begins with "<" and holds no other "<" or ">" before its closing ">", so the
// search only tries the stretch from each "<" of the pass's kind to the next "<" or ">"; after a
// substitution it goes back to the last "<" before it, since included text may complete a
// directive begun there, as searching again from the beginning would find it.
class TIncludePass {
 public:
  // How far back a directive completed by included text may begin; beyond, nothing that short of
  // a file name could begin it, and looking back no further keeps the work linear.
  static constexpr qsizetype MaxSplitDirective = 64 * 1024;

  struct TLimits {
    int MaxSubstitutions;
    qsizetype MaxSize;
  };

  // marker: the character after "<" that every directive of the expression has ("?" or "!").
  // substitutions counts across the passes of one page.
  TIncludePass(const TOutputFolder& folder, const QRegularExpression& directive, char marker,
               TLimits limits, int& substitutions);

  // The text with its directives replaced; what a limit stopped stays as it is.
  QByteArray Run(QByteArray text);
  bool Stopped() const { return LimitReached; }

 private:
  bool Step();
  qsizetype Closing(qsizetype from) const;
  qsizetype DirectiveAt(qsizetype at, qsizetype close, QString& name) const;
  bool Substitute(qsizetype at, qsizetype length, const QString& name);
  std::optional<QByteArray> Contents(const QString& name, qsizetype room) const;
  void Emit(qsizetype count);
  void TakeBackOpenDirective();

  const TOutputFolder& Folder;
  const QRegularExpression& Directive;
  char Marker;
  TLimits Limits;
  int& Substitutions;
  QByteArray Done;  // final
  QByteArray Rest;  // still to search
  bool LimitReached = false;
};
