#include "services/ActionHandler.h"

#include "services/ActionHandlerLink.h"

TActionHandler::TActionHandler(QObject* owner) : TAction(owner) {}

TAction* TActionHandler::Action() const { return Link ? Link->Client() : nullptr; }

void TActionHandler::SetAction(TAction* target) {
  delete Link;
  Link = nullptr;
  if (!target || target == this) return;
  Link = new TActionHandlerLink(this, target);
}

// The link compares the target's event with the one stored before, so the new event is stored
// and then announced.
void TActionHandler::SetOnUpdate(const TNotifyEvent& event) {
  if (event == UpdateForTarget) return;
  UpdateForTarget = event;
  Q_EMIT changed();
}

void TActionHandler::SetOnHint(const THintEvent& event) {
  if (event == HintForTarget) return;
  HintForTarget = event;
  Q_EMIT changed();
}
