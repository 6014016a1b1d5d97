#include "services/WidgetTextAdapter.h"

#include "services/TextProperties.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QListWidget>
#include <QRegularExpression>

namespace {

const QString ItemsProperty = QStringLiteral("Items");

QList<QAbstractButton*> GroupButtons(const QGroupBox* group) {
  return group->findChildren<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
}

void AddItem(QList<QPair<QString, QString>>& entries, int index, const QString& text) {
  if (!text.isEmpty()) entries.append({QStringLiteral("Items[%1]").arg(index), text});
}

}  // namespace

void TWidgetTextAdapter::Install() {
  static TWidgetTextAdapter adapter;
  TTextProperties::AddAdapter(&adapter);
}

QStringList TWidgetTextAdapter::NameFilters(const QString& filter) {
  static const QRegularExpression shownPatterns(QStringLiteral("^(.*?)\\s*\\(([^()]*)\\)\\s*$"));
  const QStringList parts = filter.split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    QStringList patterns;
    const QRegularExpressionMatch shown = shownPatterns.match(description);
    if (shown.hasMatch()) {
      description = shown.captured(1);
      patterns = shown.captured(2).split(QRegularExpression(QStringLiteral("[\\s;]+")), Qt::SkipEmptyParts);
    }
    for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts))
      if (!patterns.contains(pattern.trimmed())) patterns.append(pattern.trimmed());
    filters.append(description + QStringLiteral(" (") + patterns.join(u' ') + u')');
  }
  return filters;
}

bool TWidgetTextAdapter::Apply(QObject* object, const QString& property, int index,
                               const QString& value) {
  if (auto* dialog = qobject_cast<QFileDialog*>(object); dialog && index < 0) {
    if (property == u"Filter") {
      dialog->setNameFilters(NameFilters(value));
      return true;
    }
    if (property == u"DefaultExt") {
      dialog->setDefaultSuffix(value.startsWith(u'.') ? value.mid(1) : value);
      return true;
    }
    return false;
  }
  if (index < 0 || property.compare(ItemsProperty, Qt::CaseInsensitive) != 0) return false;
  if (auto* combo = qobject_cast<QComboBox*>(object)) {
    if (index >= combo->count()) return false;
    combo->setItemText(index, value);
    return true;
  }
  if (auto* list = qobject_cast<QListWidget*>(object)) {
    if (index >= list->count()) return false;
    list->item(index)->setText(value);
    return true;
  }
  if (auto* group = qobject_cast<QGroupBox*>(object)) {
    const QList<QAbstractButton*> buttons = GroupButtons(group);
    if (index >= buttons.size()) return false;
    buttons[index]->setText(value);
    return true;
  }
  return false;
}

// Buttons of a group that carry a name of their own are captured under that name instead.
void TWidgetTextAdapter::Capture(const QObject* object,
                                 QList<QPair<QString, QString>>& entries) const {
  if (const auto* combo = qobject_cast<const QComboBox*>(object)) {
    for (int i = 0; i < combo->count(); ++i) AddItem(entries, i, combo->itemText(i));
  } else if (const auto* list = qobject_cast<const QListWidget*>(object)) {
    for (int i = 0; i < list->count(); ++i) AddItem(entries, i, list->item(i)->text());
  } else if (const auto* group = qobject_cast<const QGroupBox*>(object)) {
    const QList<QAbstractButton*> buttons = GroupButtons(group);
    for (int i = 0; i < buttons.size(); ++i)
      if (buttons[i]->objectName().isEmpty()) AddItem(entries, i, buttons[i]->text());
  }
}
