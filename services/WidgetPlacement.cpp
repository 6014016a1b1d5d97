#include "services/WidgetPlacement.h"

#include "services/ConfigFile.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace {

// Moves rect onto the primary screen when no screen shows any of it.
QRect OnSomeScreen(QRect rect) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  for (const QScreen* screen : screens)
    if (screen->availableGeometry().intersects(rect)) return rect;
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary) return rect;
  const QRect area = primary->availableGeometry();
  rect.setSize(rect.size().boundedTo(area.size()));
  rect.moveTopLeft(area.topLeft());
  return rect;
}

}  // namespace

bool TWidgetPlacement::Apply(QWidget* window, const TWindowPlacement& placement) {
  if (!window || placement.Length != TWindowPlacement::Size) return false;
  // Sizes beyond any screen are cut; the differences are taken in 64 bits so that no record
  // overflows them.
  constexpr qint64 Largest = 1 << 24;
  const QRect normal(placement.Left, placement.Top,
                     static_cast<int>(qBound<qint64>(0, qint64(placement.Right) - placement.Left, Largest)),
                     static_cast<int>(qBound<qint64>(0, qint64(placement.Bottom) - placement.Top, Largest)));
  Qt::WindowStates state = window->windowState() &
                           ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
  switch (placement.ShowCmd) {
    case TWindowPlacement::ShowMaximized:
      state |= Qt::WindowMaximized;
      break;
    case TWindowPlacement::ShowMinimized:
    case 6:  // minimise
    case 7:  // show minimised without activating
      state |= Qt::WindowMinimized;
      if (placement.Flags & TWindowPlacement::FlagRestoreToMaximized) state |= Qt::WindowMaximized;
      break;
    default:
      break;
  }
  // The normal rectangle first, so that leaving the maximised state returns to it.
  window->setWindowState(Qt::WindowNoState);
  if (!normal.isEmpty()) window->setGeometry(OnSomeScreen(normal));
  window->setWindowState(state);
  return true;
}

TWindowPlacement TWidgetPlacement::Capture(const QWidget* window) {
  TWindowPlacement placement;
  QRect normal = window->normalGeometry();
  if (normal.isEmpty()) normal = window->geometry();
  placement.Left = normal.left();
  placement.Top = normal.top();
  placement.Right = normal.left() + normal.width();
  placement.Bottom = normal.top() + normal.height();
  const Qt::WindowStates state = window->windowState();
  if (state & Qt::WindowMinimized) {
    placement.ShowCmd = TWindowPlacement::ShowMinimized;
    if (state & Qt::WindowMaximized) placement.Flags = TWindowPlacement::FlagRestoreToMaximized;
  } else if (state & Qt::WindowMaximized) {
    placement.ShowCmd = TWindowPlacement::ShowMaximized;
  }
  return placement;
}

// The settings file's window operations need widgets, so they are built with the windows.
bool TConfigFile::RestoreWindowPlacement(const QString& section, const QString& key, QWidget* window) {
  TWindowPlacement placement;
  return ReadPlacement(section, key, placement) && TWidgetPlacement::Apply(window, placement);
}

void TConfigFile::SaveWindowPlacement(const QString& section, const QString& key, QWidget* window) {
  if (window) WritePlacement(section, key, TWidgetPlacement::Capture(window));
}
