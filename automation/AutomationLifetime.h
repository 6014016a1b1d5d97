#pragma once

// The life of a program an automation client started: it ends by itself once a while passed
// without calls from clients, unless the user has used its window meanwhile (it is then the
// user's program) or the project holds unsaved changes (nobody would be asked about them).

#include <QObject>
#include <QTimer>

#include <functional>

class TAutomationLifetime : public QObject {
  Q_OBJECT
 public:
  // unsaved tells whether there are changes to keep; end ends the program.
  TAutomationLifetime(std::function<bool()> unsaved, std::function<void()> end, int idleMilliseconds = 60000,
                      QObject* owner = nullptr);

  // A client called: the while starts again.
  void Called();
  bool UserTookOver() const { return TakenOver; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<bool()> Unsaved;
  std::function<void()> End;
  QTimer Idle;
  bool TakenOver = false;

  void IdleEnded();
};
