#include "services/MultiActionHandler.h"

#include "services/MultiAction.h"

TMultiActionHandler::TMultiActionHandler(QObject* owner) : TAction(owner) {}

TMultiActionHandler::~TMultiActionHandler() { SetMultiAction(nullptr); }

void TMultiActionHandler::SetMultiAction(TMultiAction* multiAction) {
  if (multiAction == Target) return;
  if (Target) Target->Detach(this);
  Target = multiAction;
  if (Target) Target->Attach(this);
}
