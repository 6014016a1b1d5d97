#pragma once

// The language of the whole interface: the program's text tables and Qt's and QScintilla's own
// texts (message box buttons, file dialogs, the embedded browser's menus). Russian unless the
// settings choose English.

class TLocalizer;

class TInterfaceLanguage {
 public:
  static constexpr int English = 1033;
  static constexpr int Russian = 1049;

  // A stored language id, or Russian for anything the program has no texts in.
  static int Valid(int langId);
  // Applies the language at once to every window and to the toolkit's own texts.
  static void Apply(TLocalizer& localizer, int langId);
};
