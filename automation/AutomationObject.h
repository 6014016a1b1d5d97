#pragma once

// The base of the objects scripts and outside clients drive. A member that fails must stop the
// script that called it with the failure's message, or answer the D-Bus caller with it; the
// member itself shows nothing. Members run their work through Run, which catches what the work
// raises and hands it on: thrown into the script engine that holds this object, and kept for
// TakeFailure, which the D-Bus side reads after each call.

#include <QObject>
#include <QString>

#include <exception>
#include <type_traits>

class TAutomationObject : public QObject {
  Q_OBJECT
 public:
  explicit TAutomationObject(QObject* owner = nullptr) : QObject(owner) {}

  // The failure of the last member called, emptied by reading it.
  QString TakeFailure();

 protected:
  // Reports a failure to the caller of the member that is running.
  void Fail(const QString& message) const;

  template <class TWork>
  auto Run(TWork work) const -> decltype(work()) {
    Failure.clear();
    try {
      return work();
    } catch (const std::exception& error) {
      Fail(QString::fromUtf8(error.what()));
    }
    if constexpr (!std::is_void_v<decltype(work())>) return decltype(work())();
  }

 private:
  mutable QString Failure;
};
