#pragma once

// Knows the texts of some kind of object that plain Qt properties do not reach, such as the items
// of a combo box. The user-interface library installs one for its widgets (TWidgetTextAdapter).

#include <QList>
#include <QPair>
#include <QString>

class QObject;

class TTextAdapter {
 public:
  virtual ~TTextAdapter() = default;
  // Sets the property of object, or its item index when index is not negative; false when this
  // adapter does not handle that property of that object (or the index is out of range).
  virtual bool Apply(QObject* object, const QString& property, int index, const QString& value) = 0;
  // Appends the texts it knows of object as entries "Property" or "Property[index]" and value.
  virtual void Capture(const QObject* object, QList<QPair<QString, QString>>& entries) const = 0;
};
