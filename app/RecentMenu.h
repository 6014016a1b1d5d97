#pragma once

// The recent projects at the end of the File menu, before Exit: numbered, the first nine also
// on Alt+1...Alt+9. The items follow the module's list as it changes.

#include <QObject>

#include <QList>

class QAction;
class QMenu;
class TModule;

class TRecentMenu : public QObject {
  Q_OBJECT
 public:
  // The items go before the menu's last separator.
  TRecentMenu(TModule* module, QMenu* menu);

  // "&3 /home/me/site.iklproj": the number underlined, an & of the name shown as such.
  static QString ItemText(int index, const QString& fileName);

 private:
  TModule* Owner;
  QMenu* Menu;
  QList<QAction*> Items;

  void Rebuild();
  QAction* AddItem(int index, const QString& fileName, QAction* before);
};
