#pragma once

// The texts of widgets that plain Qt properties do not reach, for the text tables: "Items[i]" of
// a combo box or list widget is its item i, and of a group box (a radio group) its i-th button;
// "Filter" of a file dialog is its list of name filters written "Description|*.a;*.b|..." and
// "DefaultExt" its default suffix (".iklproj"). Install() once at start-up, before the first
// window applies its table.

#include "services/TextAdapter.h"

#include <QStringList>

class TWidgetTextAdapter : public TTextAdapter {
 public:
  static void Install();

  // "Script Files (*.js)|*.JS" gives "Script Files (*.js *.JS)": the patterns the description
  // shows, and those that apply.
  static QStringList NameFilters(const QString& filter);

  bool Apply(QObject* object, const QString& property, int index, const QString& value) override;
  void Capture(const QObject* object, QList<QPair<QString, QString>>& entries) const override;
};
