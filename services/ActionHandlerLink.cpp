#include "services/ActionHandlerLink.h"

#include "services/ActionHandler.h"

TActionHandlerLink::TActionHandlerLink(TActionHandler* action, TAction* client)
    : QObject(action), Forwarder(action), Target(client) {
  CopyToClient();
  Last = Current();
  connect(Forwarder, &QAction::changed, this, &TActionHandlerLink::ActionChanged);
}

TActionHandlerLink::TState TActionHandlerLink::Current() const {
  TState state;
  state.Caption = Forwarder->Caption();
  state.Checked = Forwarder->Checked();
  state.Enabled = Forwarder->Enabled();
  state.HelpContext = Forwarder->HelpContext();
  state.Hint = Forwarder->Hint();
  state.ImageIndex = Forwarder->ImageIndex();
  state.ShortCut = Forwarder->ShortCut();
  state.Visible = Forwarder->Visible();
  state.AutoCheck = Forwarder->AutoCheck();
  state.OnExecute = Forwarder->OnExecute();
  state.OnHint = Forwarder->OnHint();
  state.OnUpdate = Forwarder->OnUpdate();
  return state;
}

// Binding: the forwarder's values in this order, the execute event through the target's setter
// (so the target's own followers see it), the hint and update events straight into its fields.
void TActionHandlerLink::CopyToClient() {
  TAction* client = Target;
  client->SetAutoCheck(Forwarder->AutoCheck());
  client->SetCaption(Forwarder->Caption());
  client->SetChecked(Forwarder->Checked());
  client->SetEnabled(Forwarder->Enabled());
  client->SetGroupIndex(Forwarder->GroupIndex());
  client->SetHelpContext(Forwarder->HelpContext());
  client->SetHelpKeyword(Forwarder->HelpKeyword());
  client->SetHelpType(Forwarder->HelpType());
  client->SetHint(Forwarder->Hint());
  client->SetImageIndex(Forwarder->ImageIndex());
  client->SetShortCut(Forwarder->ShortCut());
  client->SetSecondaryShortCuts(Forwarder->SecondaryShortCuts());
  client->SetVisible(Forwarder->Visible());
  client->SetOnExecute(Forwarder->OnExecute());
  client->HintEvent = Forwarder->OnHint();
  client->UpdateEvent = Forwarder->OnUpdate();
}

bool TActionHandlerLink::IsAutoCheckLinked() const {
  return Target && Target->AutoCheck() == Last.AutoCheck;
}

bool TActionHandlerLink::IsOnUpdateLinked() const {
  return Target && Target->UpdateEvent == Last.OnUpdate;
}

bool TActionHandlerLink::IsOnHintLinked() const {
  return Target && Target->HintEvent == Last.OnHint;
}

void TActionHandlerLink::SetOnUpdate(const TNotifyEvent& event) {
  if (IsOnUpdateLinked()) Target->UpdateEvent = event;
}

void TActionHandlerLink::SetOnHint(const THintEvent& event) {
  if (IsOnHintLinked()) Target->HintEvent = event;
}

// Every value the forwarder changed goes to the target if the target still held the old one.
// The new state is recorded before the target's texts and state change, so that a change the
// target passes back finds this link settled.
void TActionHandlerLink::ActionChanged() {
  const TState old = Last;
  const TState now = Current();
  if (!Target) {
    Last = now;
    return;
  }
  TAction* client = Target;
  if (now.AutoCheck != old.AutoCheck && IsAutoCheckLinked()) client->SetAutoCheck(now.AutoCheck);
  if (now.OnUpdate != old.OnUpdate) SetOnUpdate(now.OnUpdate);
  if (now.OnHint != old.OnHint) SetOnHint(now.OnHint);
  Last = now;
  if (now.Caption != old.Caption && client->Caption() == old.Caption) client->SetCaption(now.Caption);
  if (now.Checked != old.Checked && client->Checked() == old.Checked) client->SetChecked(now.Checked);
  if (now.Enabled != old.Enabled && client->Enabled() == old.Enabled) client->SetEnabled(now.Enabled);
  if (now.HelpContext != old.HelpContext && client->HelpContext() == old.HelpContext)
    client->SetHelpContext(now.HelpContext);
  if (now.Hint != old.Hint && client->Hint() == old.Hint) client->SetHint(now.Hint);
  if (now.ImageIndex != old.ImageIndex && client->ImageIndex() == old.ImageIndex)
    client->SetImageIndex(now.ImageIndex);
  if (now.ShortCut != old.ShortCut && client->ShortCut() == old.ShortCut)
    client->SetShortCut(now.ShortCut);
  if (now.Visible != old.Visible && client->Visible() == old.Visible) client->SetVisible(now.Visible);
  if (now.OnExecute != old.OnExecute && client->OnExecute() == old.OnExecute)
    client->SetOnExecute(now.OnExecute);
}
