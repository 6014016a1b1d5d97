#include "automation/AutomationLifetime.h"

#include <QCoreApplication>
#include <QEvent>

TAutomationLifetime::TAutomationLifetime(std::function<bool()> unsaved, std::function<void()> end,
                                         int idleMilliseconds, QObject* owner)
    : QObject(owner), Unsaved(std::move(unsaved)), End(std::move(end)) {
  Idle.setSingleShot(true);
  Idle.setInterval(idleMilliseconds);
  connect(&Idle, &QTimer::timeout, this, &TAutomationLifetime::IdleEnded);
  QCoreApplication::instance()->installEventFilter(this);
  Idle.start();
}

void TAutomationLifetime::Called() {
  if (!TakenOver) Idle.start();
}

// Keys, clicks and the wheel are the user's; what a client does arrives by the bus instead.
bool TAutomationLifetime::eventFilter(QObject*, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
      TakenOver = true;
      Idle.stop();
      QCoreApplication::instance()->removeEventFilter(this);
      break;
    default:
      break;
  }
  return false;
}

// Unsaved changes keep the program; it looks again after the next while.
void TAutomationLifetime::IdleEnded() {
  if (Unsaved())
    Idle.start();
  else
    End();
}
