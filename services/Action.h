#pragma once

// The program's action: a named command with caption, hint, image index, shortcuts, enabled,
// checked and visible state, an execute event and an update event. Menus and buttons show it as
// the QAction it is; choosing it there runs its execute event with the action as sender.
//
// Caption is the QAction's text and AutoCheck its checkable flag (so Checked needs AutoCheck, as
// Qt shows a check mark only then). The hint is "short|long": the short part becomes the tool
// tip, the long part the status tip. Every change raises QAction::changed.

#include "services/MethodEvent.h"

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>

enum THelpType { htKeyword, htContext };

class TAction : public QAction {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
  Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)

 public:
  explicit TAction(QObject* owner = nullptr);

  QString Caption() const { return text(); }
  void SetCaption(const QString& caption) { setText(caption); }
  QString Hint() const { return HintText; }
  void SetHint(const QString& hint);
  bool AutoCheck() const { return isCheckable(); }
  void SetAutoCheck(bool value) { setCheckable(value); }
  bool Checked() const { return isChecked(); }
  void SetChecked(bool value) { setChecked(value); }
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool value) { setEnabled(value); }
  bool Visible() const { return isVisible(); }
  void SetVisible(bool value) { setVisible(value); }
  QKeySequence ShortCut() const { return shortcut(); }
  void SetShortCut(const QKeySequence& shortCut);
  QList<QKeySequence> SecondaryShortCuts() const;
  void SetSecondaryShortCuts(const QList<QKeySequence>& shortCuts);

  int ImageIndex() const { return Image; }
  void SetImageIndex(int index);
  int GroupIndex() const { return Group; }
  void SetGroupIndex(int index);
  int HelpContext() const { return HelpContextId; }
  void SetHelpContext(int context);
  QString HelpKeyword() const { return HelpKeywordText; }
  void SetHelpKeyword(const QString& keyword);
  THelpType HelpType() const { return HelpKind; }
  void SetHelpType(THelpType type);

  // While set (the default), the update step disables an enabled action that has no execute event.
  bool DisableIfNoHandler() const { return DisableWithoutHandler; }
  void SetDisableIfNoHandler(bool value) { DisableWithoutHandler = value; }

  const TNotifyEvent& OnExecute() const { return ExecuteEvent; }
  void SetOnExecute(const TNotifyEvent& event);
  virtual TNotifyEvent OnUpdate() const { return UpdateEvent; }
  virtual void SetOnUpdate(const TNotifyEvent& event);
  virtual THintEvent OnHint() const { return HintEvent; }
  virtual void SetOnHint(const THintEvent& event);

  // The standard execution: the update step; then, if enabled and AutoCheck, Checked toggles (a
  // checked action with a group index stays checked); then, if enabled, the execute event runs.
  // True when it ran. Errors of the event reach the caller.
  virtual bool Execute();
  // Runs the update event; true when there is one (see DisableIfNoHandler otherwise).
  bool Update();
  // Runs the hint event on hint; false when it forbids showing the hint.
  bool DoHint(QString& hint);

  // Shows errors raised by an execute event that a menu item or button started (an error must
  // not unwind through the event loop). The default writes them on stderr.
  static void SetErrorHandler(std::function<void(const QString&)> handler);

 private:
  QString HintText;
  int Image = -1;
  int Group = 0;
  int HelpContextId = 0;
  QString HelpKeywordText;
  THelpType HelpKind = htKeyword;
  bool DisableWithoutHandler = true;
  TNotifyEvent ExecuteEvent;
  TNotifyEvent UpdateEvent;
  THintEvent HintEvent;

  void ChosenByUser();

  // The link of a forwarder stores the forwarder's update and hint events into its target
  // directly.
  friend class TActionHandlerLink;
};
