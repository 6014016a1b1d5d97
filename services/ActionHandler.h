#pragma once

// An action forwarder: it takes over an action declared elsewhere (Action), giving that target
// its caption, image, shortcut, state and events, and keeps later changes in step. The target
// then runs the forwarder's execute event, with the target as sender; the forwarder itself is
// never executed. Its OnUpdate and OnHint are kept for the target only and never fire for the
// forwarder.

#include "services/Action.h"

class TActionHandlerLink;

class TActionHandler : public TAction {
  Q_OBJECT

 public:
  explicit TActionHandler(QObject* owner = nullptr);

  // The bound target, or none (also once the target has been destroyed).
  TAction* Action() const;
  // Binds to target (replacing a previous one) and copies the forwarder onto it; none, or the
  // forwarder itself, unbinds, and the target keeps what it was given.
  void SetAction(TAction* target);

  TNotifyEvent OnUpdate() const override { return UpdateForTarget; }
  void SetOnUpdate(const TNotifyEvent& event) override;
  THintEvent OnHint() const override { return HintForTarget; }
  void SetOnHint(const THintEvent& event) override;

 private:
  TNotifyEvent UpdateForTarget;
  THintEvent HintForTarget;
  TActionHandlerLink* Link = nullptr;
};
