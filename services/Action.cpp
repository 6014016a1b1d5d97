#include "services/Action.h"

#include <cstdio>
#include <exception>

namespace {

std::function<void(const QString&)>& ErrorHandler() {
  static std::function<void(const QString&)> handler = [](const QString& message) {
    std::fprintf(stderr, "inkloom: %s\n", message.toLocal8Bit().constData());
  };
  return handler;
}

}  // namespace

TAction::TAction(QObject* owner) : QAction(owner) {
  connect(this, &QAction::triggered, this, &TAction::ChosenByUser);
}

void TAction::SetErrorHandler(std::function<void(const QString&)> handler) {
  ErrorHandler() = std::move(handler);
}

void TAction::SetHint(const QString& hint) {
  if (hint == HintText) return;
  HintText = hint;
  const qsizetype bar = hint.indexOf(u'|');
  // setToolTip and setStatusTip raise changed; the hint is stored before them.
  setToolTip(bar < 0 ? hint : hint.left(bar));
  setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
  Q_EMIT changed();
}

void TAction::SetShortCut(const QKeySequence& shortCut) {
  QList<QKeySequence> all = shortcuts();
  if (all.isEmpty())
    all.append(shortCut);
  else
    all[0] = shortCut;
  setShortcuts(all);
}

QList<QKeySequence> TAction::SecondaryShortCuts() const { return shortcuts().mid(1); }

void TAction::SetSecondaryShortCuts(const QList<QKeySequence>& shortCuts) {
  QList<QKeySequence> all{shortcut()};
  all.append(shortCuts);
  setShortcuts(all);
}

void TAction::SetImageIndex(int index) {
  if (index == Image) return;
  Image = index;
  Q_EMIT changed();
}

void TAction::SetGroupIndex(int index) {
  if (index == Group) return;
  Group = index;
  Q_EMIT changed();
}

void TAction::SetHelpContext(int context) {
  if (context == HelpContextId) return;
  HelpContextId = context;
  Q_EMIT changed();
}

void TAction::SetHelpKeyword(const QString& keyword) {
  if (keyword == HelpKeywordText) return;
  HelpKeywordText = keyword;
  Q_EMIT changed();
}

void TAction::SetHelpType(THelpType type) {
  if (type == HelpKind) return;
  HelpKind = type;
  Q_EMIT changed();
}

void TAction::SetOnExecute(const TNotifyEvent& event) {
  if (event == ExecuteEvent) return;
  ExecuteEvent = event;
  Q_EMIT changed();
}

void TAction::SetOnUpdate(const TNotifyEvent& event) {
  if (event == UpdateEvent) return;
  UpdateEvent = event;
  Q_EMIT changed();
}

void TAction::SetOnHint(const THintEvent& event) {
  if (event == HintEvent) return;
  HintEvent = event;
  Q_EMIT changed();
}

bool TAction::Update() {
  if (UpdateEvent) {
    UpdateEvent(this);
    return true;
  }
  if (DisableWithoutHandler && isEnabled() && !ExecuteEvent) setEnabled(false);
  return false;
}

bool TAction::Execute() {
  Update();
  if (!isEnabled()) return false;
  if (AutoCheck() && !(isChecked() && Group != 0)) setChecked(!isChecked());
  if (!ExecuteEvent) return false;
  ExecuteEvent(this);
  return true;
}

bool TAction::DoHint(QString& hint) {
  bool canShow = true;
  if (HintEvent) HintEvent(hint, canShow);
  return canShow;
}

// Qt has already toggled a checkable action and checked that it is enabled.
void TAction::ChosenByUser() {
  try {
    Update();
    if (isEnabled() && ExecuteEvent) ExecuteEvent(this);
  } catch (const std::exception& e) {
    ErrorHandler()(QString::fromUtf8(e.what()));
  } catch (...) {
    ErrorHandler()(QStringLiteral("The command failed."));
  }
}
