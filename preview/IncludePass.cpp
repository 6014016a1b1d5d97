#include "preview/IncludePass.h"

#include <QByteArrayView>
#include <QFile>

TIncludePass::TIncludePass(const TOutputFolder& folder, const QRegularExpression& directive,
                           char marker, TLimits limits, int& substitutions)
    : Folder(folder), Directive(directive), Marker(marker), Limits(limits),
      Substitutions(substitutions) {}

QByteArray TIncludePass::Run(QByteArray text) {
  Rest = std::move(text);
  Done.reserve(Rest.size());
  while (Step()) {
  }
  Done += Rest;
  Rest.clear();
  return std::move(Done);
}

// Handles the text up to the next "<" and what may begin there; false when the pass ends.
bool TIncludePass::Step() {
  const qsizetype at = Rest.indexOf('<');
  if (at < 0) return false;
  const qsizetype close = Closing(at + 1);
  if (close < 0) return false;  // no ">" ahead: no directive can end
  QString name;
  const qsizetype length = Rest.at(close) == '>' ? DirectiveAt(at, close, name) : 0;
  if (length == 0) {
    Emit(Rest.at(close) == '>' ? close + 1 : close);
    return true;
  }
  return Substitute(at, length, name);
}

// The position of the first "<" or ">" from from on, or -1.
qsizetype TIncludePass::Closing(qsizetype from) const {
  const char* text = Rest.constData();
  for (qsizetype i = from; i < Rest.size(); ++i)
    if (text[i] == '<' || text[i] == '>') return i;
  return -1;
}

// The length of the directive from at to close (its ">"), or 0; name gets its path.
qsizetype TIncludePass::DirectiveAt(qsizetype at, qsizetype close, QString& name) const {
  if (Rest.at(at + 1) != Marker) return 0;
  // Latin-1 maps every byte to one character, so lengths in the window are lengths in bytes.
  const QString window = QString::fromLatin1(Rest.constData() + at, close + 1 - at);
  const QRegularExpressionMatch match = Directive.match(
      window, 0, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
  if (!match.hasMatch()) return 0;
  name = match.captured(2);
  return match.capturedLength();
}

bool TIncludePass::Substitute(qsizetype at, qsizetype length, const QString& name) {
  const qsizetype room = Limits.MaxSize - (Done.size() + Rest.size() - length);
  std::optional<QByteArray> contents;
  if (Substitutions < Limits.MaxSubstitutions) contents = Contents(name, room);
  if (!contents) {
    LimitReached = true;
    return false;
  }
  ++Substitutions;
  Emit(at);
  Rest.remove(0, length);
  Rest.prepend(*contents);
  TakeBackOpenDirective();
  return true;
}

// The bytes of an included file (none when it is missing, unreadable or outside the folder), or
// nothing at all when they would not fit in room.
std::optional<QByteArray> TIncludePass::Contents(const QString& name, qsizetype room) const {
  if (room < 0) return std::nullopt;
  const QString path = Folder.FilePath(name);
  if (!Folder.IsFile(path)) return QByteArray();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  if (file.size() > room) return std::nullopt;
  QByteArray bytes = file.read(room + 1);
  if (bytes.size() > room) return std::nullopt;  // it grew meanwhile
  return bytes;
}

void TIncludePass::Emit(qsizetype count) {
  Done.append(Rest.constData(), count);
  Rest.remove(0, count);
}

// The final text's last "<" may begin a directive that the included text completes.
void TIncludePass::TakeBackOpenDirective() {
  const qsizetype from = qMax<qsizetype>(0, Done.size() - MaxSplitDirective);
  const qsizetype last = QByteArrayView(Done).sliced(from).lastIndexOf('<');
  if (last < 0) return;
  Rest.prepend(QByteArrayView(Done).sliced(from + last));
  Done.truncate(from + last);
}
