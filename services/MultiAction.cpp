#include "services/MultiAction.h"

#include "services/MultiActionHandler.h"

#include <QPointer>

// A multi-action has no execute event of its own; were it disabled for that, firing it on a worker
// thread (OnFileAction) would change a QAction of the user-interface thread from there.
TMultiAction::TMultiAction(QObject* owner) : TAction(owner) { SetDisableIfNoHandler(false); }

TMultiAction::~TMultiAction() {
  const QList<TMultiActionHandler*> handlers = HandlerList;
  HandlerList.clear();
  for (TMultiActionHandler* handler : handlers) handler->Orphan();
}

void TMultiAction::Attach(TMultiActionHandler* handler) {
  if (!HandlerList.contains(handler)) HandlerList.append(handler);
}

void TMultiAction::Detach(TMultiActionHandler* handler) { HandlerList.removeOne(handler); }

bool TMultiAction::Execute() {
  bool result = TAction::Execute();
  // A handler that detaches or destroys another one while firing must not leave a dangling
  // pointer behind: the list is taken once, and a handler gone since is skipped.
  QList<QPointer<TMultiActionHandler>> handlers;
  handlers.reserve(HandlerList.size());
  for (TMultiActionHandler* handler : HandlerList) handlers.append(handler);
  for (const QPointer<TMultiActionHandler>& handler : handlers)
    if (handler && handler->Execute()) result = true;
  return result;
}
