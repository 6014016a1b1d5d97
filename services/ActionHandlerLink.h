#pragma once

// The link between an action forwarder and its target. It copies the forwarder onto the target
// when it is made, and afterwards hands each change of the forwarder on to the target as long as
// the target still holds the forwarder's previous value; a target changed on its own stops
// following that property.

#include "services/Action.h"

#include <QObject>
#include <QPointer>

class TActionHandler;

class TActionHandlerLink : public QObject {
  Q_OBJECT

 public:
  TActionHandlerLink(TActionHandler* action, TAction* client);

  // None once the target has been destroyed.
  TAction* Client() const { return Target; }

  // Whether the target follows the forwarder's auto-check, update event and hint event.
  bool IsAutoCheckLinked() const;
  bool IsOnUpdateLinked() const;
  bool IsOnHintLinked() const;
  void SetOnUpdate(const TNotifyEvent& event);
  void SetOnHint(const THintEvent& event);

 private:
  // The forwarder's values that the target follows, as they were at the last change.
  struct TState {
    QString Caption;
    bool Checked = false;
    bool Enabled = true;
    int HelpContext = 0;
    QString Hint;
    int ImageIndex = -1;
    QKeySequence ShortCut;
    bool Visible = true;
    bool AutoCheck = false;
    TNotifyEvent OnExecute;
    THintEvent OnHint;
    TNotifyEvent OnUpdate;
  };

  TActionHandler* Forwarder;
  QPointer<TAction> Target;
  TState Last;

  TState Current() const;
  void CopyToClient();
  void ActionChanged();
};
