#include "automation/Editor.h"

#include "automation/LineList.h"
#include "automation/TextObject.h"

namespace Automation {

namespace {

// " " + part, or nothing for an empty part: how optional parts join markup.
QString Spaced(const QString& part) { return part.isEmpty() ? QString() : u' ' + part; }

}  // namespace

TEditor::TEditor(TLineList& lines, QObject* owner) : TAutomationObject(owner), Lines(lines) {}

QString TEditor::Text() const { return Lines.Text(); }

void TEditor::SetText(const QString& text) { Lines.SetText(text); }

int TEditor::LineCount() const { return Lines.Count(); }

void TEditor::Clear() { Lines.SetText(QString()); }

void TEditor::AddSection(const QString& name) { Lines.Add({u'[' + name + u']'}); }

void TEditor::AddDefine(const QString& name, const QString& value) {
  Lines.Add({u'$' + name + u' ' + value});
}

void TEditor::AddP(const QString& text, const QString& style) {
  Lines.Add(QStringList{QString()} + Styled(style, text));
}

void TEditor::AddH1(const QString& text, const QString& style) { Lines.Add(Styled(style, QStringLiteral("= ") + text)); }

void TEditor::AddH2(const QString& text, const QString& style) { Lines.Add(Styled(style, QStringLiteral("== ") + text)); }

void TEditor::AddH3(const QString& text, const QString& style) { Lines.Add(Styled(style, QStringLiteral("=== ") + text)); }

void TEditor::AddUL(const QString& text, int level, const QString& style) { AddItem("* ", text, level, style); }

void TEditor::AddOL(const QString& text, int level, const QString& style) { AddItem("# ", text, level, style); }

void TEditor::AddItem(const char* mark, const QString& text, int level, const QString& style) {
  const QString indent(2 * qMax(level, 0), u' ');
  Lines.Add(Styled(style, indent + QLatin1String(mark) + text));
}

void TEditor::AddPRE(const QString& text, const QString& style) { Lines.Add(Styled(style, QStringLiteral("> ") + text)); }

void TEditor::AddNAME(const QString& name) { Lines.Add({QStringLiteral("#[") + name + u']'}); }

QStringList TEditor::Styled(const QString& style, const QString& line) {
  if (style.isEmpty()) return {line};
  return {QStringLiteral(".[") + style + u']', line};
}

QString TEditor::StrLink(const QString& url, const QString& text, const QString& attributes) const {
  return QStringLiteral("*[") + url + Spaced(attributes) + Spaced(text) + u']';
}

QString TEditor::StrImage(const QString& url, const QString& description, const QString& attributes) const {
  const QString alt = description.isEmpty() ? QString() : QStringLiteral(" alt=\"") + description + u'"';
  return QStringLiteral("![") + url + alt + Spaced(attributes) + u']';
}

QString TEditor::StrBold(const QString& text) const { return QStringLiteral("_[") + text + u']'; }

QString TEditor::StrItalic(const QString& text) const { return QStringLiteral("__[") + text + u']'; }

QString TEditor::StrBoldItalic(const QString& text) const { return QStringLiteral("___[") + text + u']'; }

// Nothing goes between style and text: the caller ends the style with the separator it needs.
QString TEditor::StrStyle(const QString& text, const QString& style) const {
  return QStringLiteral(".[") + style + text + u']';
}

QString TEditor::StrTag(const QString& tag, const QString& text, const QString& attributes) const {
  const QString open = u'<' + tag + Spaced(attributes);
  if (text.isEmpty()) return open + QStringLiteral("/>");
  return open + u'>' + text + QStringLiteral("</") + tag + u'>';
}

void TEditor::Write(const QString& text) { Lines.AppendToLast(text); }

void TEditor::Writeln(const QString& text) { Lines.Add({text}); }

QObject* TEditor::New() const { return new TTextObject(); }

bool TEditor::InRange(int index) const { return index >= 0 && index < Lines.Count(); }

QString TEditor::GetLine(int index) const { return InRange(index) ? Lines.Line(index) : QString(); }

void TEditor::SetLine(int index, const QString& value) {
  if (InRange(index)) Lines.SetLine(index, value);
}

}  // namespace Automation
