#pragma once

// The value of a script expression in a page of the embedded browser, waited for (at most half a
// minute; an invalid value when it never came).

#include <QTest>
#include <QVariant>
#include <QWebEnginePage>

inline QVariant EvaluateInPage(QWebEnginePage* page, const QString& script) {
  QVariant result;
  bool done = false;
  page->runJavaScript(script, [&](const QVariant& value) {
    result = value;
    done = true;
  });
  for (int i = 0; !done && i < 600; ++i) QTest::qWait(50);
  return result;
}
