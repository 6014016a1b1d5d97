#include "automation/AutomationObject.h"

#include <QJSEngine>

QString TAutomationObject::TakeFailure() {
  QString failure;
  failure.swap(Failure);
  return failure;
}

void TAutomationObject::Fail(const QString& message) const {
  Failure = message;
  // Only an engine that wraps this object is running the script that called it.
  if (QJSEngine* engine = qjsEngine(this)) engine->throwError(message);
}
