#include "app/RecentMenu.h"

#include "app/Model.h"

#include <QDir>
#include <QMenu>

TRecentMenu::TRecentMenu(TModule* module, QMenu* menu) : QObject(menu), Owner(module), Menu(menu) {
  connect(module, &TModule::RecentProjectsChanged, this, &TRecentMenu::Rebuild);
  // A project deleted since the last change drops out before the menu shows.
  connect(menu, &QMenu::aboutToShow, this, &TRecentMenu::Rebuild);
  Rebuild();
}

QString TRecentMenu::ItemText(int index, const QString& fileName) {
  const QString number = index < 9 ? QStringLiteral("&%1").arg(index + 1) : QStringLiteral("1&0");
  return number + u' ' + QDir::toNativeSeparators(fileName).replace(u'&', QStringLiteral("&&"));
}

void TRecentMenu::Rebuild() {
  // Later: the item chosen may be the one whose choice changed the list.
  for (QAction* item : std::as_const(Items)) {
    Menu->removeAction(item);
    item->deleteLater();
  }
  Items.clear();
  const QStringList names = Owner->RecentProjects();
  if (names.isEmpty()) return;
  QList<QAction*> actions = Menu->actions();
  QAction* before = actions.size() > 1 ? actions.at(actions.size() - 2) : nullptr;  // the separator above Exit
  for (int i = 0; i < names.size(); ++i) Items.append(AddItem(i, names.at(i), before));
  Items.append(Menu->insertSeparator(before));
}

QAction* TRecentMenu::AddItem(int index, const QString& fileName, QAction* before) {
  auto* item = new QAction(ItemText(index, fileName), Menu);
  item->setObjectName(QStringLiteral("RecentProject%1").arg(index + 1));
  if (index < 9) item->setShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + index)));
  connect(item, &QAction::triggered, Owner, [owner = Owner, fileName] { owner->OpenRecentProject(fileName); });
  Menu->insertAction(before, item);
  return item;
}
