#pragma once

// Reads and sets the texts of an object by the property names of the text tables. A name is first
// taken as a Qt property of that name (or with its first letter in lower case); "Caption" then
// stands for the object's text, title or window title, whichever it has first, "Title" for the
// window title of an object without a title, and "Hint" for its tool tip ("short|long": the long
// part becomes the status tip). "Items[2]" sets one item of a
// string-list property. Installed adapters are asked before all that.

#include <QList>
#include <QPair>
#include <QString>

class QObject;
class TTextAdapter;

class TTextProperties {
 public:
  using TEntry = QPair<QString, QString>;

  // property is "Name" or "Name[index]"; false when the object has no such text.
  static bool Apply(QObject* object, const QString& property, const QString& value);
  // The non-empty texts of object, by the names Apply takes.
  static QList<TEntry> Capture(const QObject* object);

  // Adapters are not owned; the one of the user-interface library lives as long as the program.
  static void AddAdapter(TTextAdapter* adapter);
  static void RemoveAdapter(TTextAdapter* adapter);
};
