#include "automation/Editor.h"

#include "automation/LineList.h"
#include "automation/TextObject.h"
#include "generator/InkloomError.h"

#include <QJSValue>

#include <cmath>

namespace Automation {

namespace {

// " " + part, or nothing for an empty part: how optional parts join markup.
QString Spaced(const QString& part) { return part.isEmpty() ? QString() : u' ' + part; }

}  // namespace

TEditor::TEditor(TLineList& lines, QObject* owner) : TAutomationObject(owner), Lines(lines) {}

QString TEditor::Text() const {
  return Run([&] { return Lines.Text(); });
}

void TEditor::SetText(const QString& text) {
  Run([&] { Lines.SetText(text); });
}

int TEditor::LineCount() const {
  return Run([&] { return Lines.Count(); });
}

void TEditor::Clear() { SetText(QString()); }

void TEditor::AddSection(const QString& name) {
  Run([&] { Lines.Add({u'[' + name + u']'}); });
}

void TEditor::AddDefine(const QString& name, const QString& value) {
  Run([&] { Lines.Add({u'$' + name + u' ' + value}); });
}

void TEditor::AddP(const QString& text, const QString& style) {
  Run([&] { Lines.Add(QStringList{QString()} + Styled(style, text)); });
}

void TEditor::AddH1(const QString& text, const QString& style) {
  Run([&] { Lines.Add(Styled(style, QStringLiteral("= ") + text)); });
}

void TEditor::AddH2(const QString& text, const QString& style) {
  Run([&] { Lines.Add(Styled(style, QStringLiteral("== ") + text)); });
}

void TEditor::AddH3(const QString& text, const QString& style) {
  Run([&] { Lines.Add(Styled(style, QStringLiteral("=== ") + text)); });
}

void TEditor::AddUL(const QString& text, double level, const QString& style) { AddItem("AddUL", "* ", text, level, style); }

void TEditor::AddOL(const QString& text, double level, const QString& style) { AddItem("AddOL", "# ", text, level, style); }

void TEditor::AddItem(const char* member, const char* mark, const QString& text, double level, const QString& style) {
  Run([&] {
    const QString indent(2 * ListLevel(member, level), u' ');
    Lines.Add(Styled(style, indent + QLatin1String(mark) + text));
  });
}

// A fraction is cut off, as a whole-number parameter would; NaN is no level at all.
int TEditor::ListLevel(const char* member, double level) {
  if (std::isnan(level) || level >= MaxListLevel + 1.0)
    throw EInkloomError(QStringLiteral("Editor.%1: the level %2 is not one of 0 to %3.")
                            .arg(QLatin1String(member), QJSValue(level).toString())
                            .arg(MaxListLevel)
                            .toStdString());
  return level < 1 ? 0 : static_cast<int>(level);
}

void TEditor::AddPRE(const QString& text, const QString& style) {
  Run([&] { Lines.Add(Styled(style, QStringLiteral("> ") + text)); });
}

void TEditor::AddNAME(const QString& name) {
  Run([&] { Lines.Add({QStringLiteral("#[") + name + u']'}); });
}

QStringList TEditor::Styled(const QString& style, const QString& line) {
  if (style.isEmpty()) return {line};
  return {QStringLiteral(".[") + style + u']', line};
}

QString TEditor::StrLink(const QString& url, const QString& text, const QString& attributes) const {
  return Run([&] { return QStringLiteral("*[") + url + Spaced(attributes) + Spaced(text) + u']'; });
}

QString TEditor::StrImage(const QString& url, const QString& description, const QString& attributes) const {
  return Run([&] {
    const QString alt = description.isEmpty() ? QString() : QStringLiteral(" alt=\"") + description + u'"';
    return QStringLiteral("![") + url + alt + Spaced(attributes) + u']';
  });
}

QString TEditor::StrBold(const QString& text) const {
  return Run([&] { return QStringLiteral("_[") + text + u']'; });
}

QString TEditor::StrItalic(const QString& text) const {
  return Run([&] { return QStringLiteral("__[") + text + u']'; });
}

QString TEditor::StrBoldItalic(const QString& text) const {
  return Run([&] { return QStringLiteral("___[") + text + u']'; });
}

// Nothing goes between style and text: the caller ends the style with the separator it needs.
QString TEditor::StrStyle(const QString& text, const QString& style) const {
  return Run([&] { return QStringLiteral(".[") + style + text + u']'; });
}

QString TEditor::StrTag(const QString& tag, const QString& text, const QString& attributes) const {
  return Run([&] {
    const QString open = u'<' + tag + Spaced(attributes);
    if (text.isEmpty()) return open + QStringLiteral("/>");
    return open + u'>' + text + QStringLiteral("</") + tag + u'>';
  });
}

void TEditor::Write(const QString& text) {
  Run([&] { Lines.AppendToLast(text); });
}

void TEditor::Writeln(const QString& text) {
  Run([&] { Lines.Add({text}); });
}

QObject* TEditor::New() const {
  return Run([&]() -> QObject* { return new TTextObject(); });
}

int TEditor::LineAt(double index) const {
  const bool whole = std::isfinite(index) && std::trunc(index) == index;
  return whole && index >= 0 && index < Lines.Count() ? static_cast<int>(index) : -1;
}

QString TEditor::GetLine(double index) const {
  return Run([&] {
    const int line = LineAt(index);
    return line < 0 ? QString() : Lines.Line(line);
  });
}

void TEditor::SetLine(double index, const QString& value) {
  Run([&] {
    const int line = LineAt(index);
    if (line >= 0) Lines.SetLine(line, value);
  });
}

}  // namespace Automation
