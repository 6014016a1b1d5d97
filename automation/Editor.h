#pragma once

// The automation editor object (Editor): reads and writes a line list line by line, and writes
// the project markup for scripts. Over the main editor's text it is what Application.Editor
// gives, a new object for every read holding nothing but that link; a free-standing text object
// (TTextObject, made by New) is one over a list of its own. Members with a default may be left
// out by a script. Every member runs inside the failure boundary of TAutomationObject: what
// goes wrong becomes the caller's error, never the end of the program.
//
// The object model lives in the namespace Automation: the toolkit's application object is
// TApplication already.

#include "automation/AutomationObject.h"

#include <QString>
#include <QStringList>

class TLineList;

namespace Automation {

class TEditor : public TAutomationObject {
  Q_OBJECT
  Q_PROPERTY(QString Text READ Text WRITE SetText)
  Q_PROPERTY(int LineCount READ LineCount)
 public:
  // The deepest list level AddUL and AddOL write (two spaces a level); a deeper one is the
  // caller's error, as nothing reads a list nested further.
  static constexpr int MaxListLevel = 32;

  // lines outlives the object.
  explicit TEditor(TLineList& lines, QObject* owner = nullptr);

  QString Text() const;
  void SetText(const QString& text);
  int LineCount() const;

  Q_INVOKABLE void Clear();
  Q_INVOKABLE void AddSection(const QString& name);
  Q_INVOKABLE void AddDefine(const QString& name, const QString& value);
  Q_INVOKABLE void AddP(const QString& text, const QString& style = QString());
  Q_INVOKABLE void AddH1(const QString& text, const QString& style = QString());
  Q_INVOKABLE void AddH2(const QString& text, const QString& style = QString());
  Q_INVOKABLE void AddH3(const QString& text, const QString& style = QString());
  Q_INVOKABLE void AddUL(const QString& text, double level = 0, const QString& style = QString());
  Q_INVOKABLE void AddOL(const QString& text, double level = 0, const QString& style = QString());
  Q_INVOKABLE void AddPRE(const QString& text, const QString& style = QString());
  Q_INVOKABLE void AddNAME(const QString& name);
  Q_INVOKABLE QString StrLink(const QString& url, const QString& text = QString(),
                              const QString& attributes = QString()) const;
  Q_INVOKABLE QString StrImage(const QString& url, const QString& description = QString(),
                               const QString& attributes = QString()) const;
  Q_INVOKABLE QString StrBold(const QString& text) const;
  Q_INVOKABLE QString StrItalic(const QString& text) const;
  Q_INVOKABLE QString StrBoldItalic(const QString& text) const;
  Q_INVOKABLE QString StrStyle(const QString& text, const QString& style) const;
  Q_INVOKABLE QString StrTag(const QString& tag, const QString& text = QString(),
                             const QString& attributes = QString()) const;
  Q_INVOKABLE void Write(const QString& text);
  Q_INVOKABLE void Writeln(const QString& text = QString());
  // A new free-standing text object with no lines.
  Q_INVOKABLE QObject* New() const;
  // A script's number as it gave it: an index that is no whole number in range reads the empty
  // string and writes nothing, rather than wrapping onto another line.
  Q_INVOKABLE QString GetLine(double index) const;
  Q_INVOKABLE void SetLine(double index, const QString& value);

 private:
  TLineList& Lines;

  // The line an index names, or -1 for none.
  int LineAt(double index) const;
  // The style line ".[style]", none for an empty style, followed by line.
  static QStringList Styled(const QString& style, const QString& line);
  // Two spaces for each level, then the item's mark and text.
  void AddItem(const char* member, const char* mark, const QString& text, double level, const QString& style);
  // The level as a count of indents: none for 0 or less, a failure beyond MaxListLevel.
  static int ListLevel(const char* member, double level);
};

}  // namespace Automation
