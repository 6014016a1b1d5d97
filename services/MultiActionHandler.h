#pragma once

// A handler of a multi-cast action: attached to one multi-action through MultiAction, it runs its
// own OnExecute, with itself as sender, whenever that multi-action fires.

#include "services/Action.h"

class TMultiAction;

class TMultiActionHandler : public TAction {
  Q_OBJECT

 public:
  explicit TMultiActionHandler(QObject* owner = nullptr);
  // Detaches first, so no multi-action keeps a handler whose memory is gone.
  ~TMultiActionHandler() override;

  TMultiAction* MultiAction() const { return Target; }
  // Detaches from the current multi-action and appends the handler to the new one's list; the
  // same value again does nothing.
  void SetMultiAction(TMultiAction* multiAction);

 private:
  TMultiAction* Target = nullptr;

  friend class TMultiAction;
  // The multi-action is being destroyed.
  void Orphan() { Target = nullptr; }
};
