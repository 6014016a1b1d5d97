#pragma once

// A multi-cast action: executing it executes every handler attached to it, in the order of
// attachment. One module announces an event this way (OnOpenAction, OnFileAction, ...) and other
// modules handle it without the first one knowing them.

#include "services/Action.h"

#include <QList>

class TMultiActionHandler;

class TMultiAction : public TAction {
  Q_OBJECT

 public:
  explicit TMultiAction(QObject* owner = nullptr);
  // Handlers still attached are left without a multi-action.
  ~TMultiAction() override;

  // The standard execution of the multi-action itself, then that of each handler attached when
  // firing began, whatever the multi-action's own enabled state; a disabled handler is skipped.
  // True when any of them ran. An error of a handler leaves at once: the handlers after it do not
  // run. Firing runs on the caller's thread.
  bool Execute() override;

  const QList<TMultiActionHandler*>& Handlers() const { return HandlerList; }

 private:
  QList<TMultiActionHandler*> HandlerList;

  friend class TMultiActionHandler;
  void Attach(TMultiActionHandler* handler);
  void Detach(TMultiActionHandler* handler);
};
