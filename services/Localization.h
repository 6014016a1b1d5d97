#pragma once

// The registry of every live text table, one for the process: the tables in order of creation,
// the current language (0 until set) and the default (fallback) language, English until set, so
// that a program that never chooses a language (the modes without a window) speaks English.
// Used on the user-interface thread only.

#include <QList>

class TLocalStrings;

class TLocalization {
 public:
  static TLocalization& Instance();

  int LangId() const { return Current; }
  void SetLangId(int langId) { Current = langId; }
  int DefaultLangId() const { return Default; }
  void SetDefaultLangId(int langId) { Default = langId; }

  const QList<TLocalStrings*>& Tables() const { return TableList; }
  void Register(TLocalStrings* table);
  void Unregister(TLocalStrings* table);

 private:
  TLocalization() = default;
  QList<TLocalStrings*> TableList;
  int Current = 0;
  int Default = 1033;
};
