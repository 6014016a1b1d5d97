#pragma once

// The search settings of one window: the find and replace dialogs start from them and store
// into them. The main window's are kept in the settings file (section General); the template
// editor and the script window keep theirs only while the program runs.

#include <QString>

class TConfigFile;

struct TSearchSettings {
  bool SearchBackwards = false;
  bool SearchCaseSensitive = false;
  bool SearchFromCaret = false;
  bool SearchSelectionOnly = false;
  bool SearchTextAtCaret = false;  // the dialogs propose the selection or the word at the caret
  bool SearchWholeWords = false;
  bool SearchRegex = false;
  QString SearchText;
  QString SearchTextHistory;  // see TSearchHistory
  QString ReplaceText;
  QString ReplaceTextHistory;
  // Not stored: false until the first search from a dialog, so the first Find Next of a run
  // starts at the start of the text.
  bool SearchFromCaretNow = false;

  // The eleven keys. Texts are stored escaped, so line breaks and backslashes survive.
  void Load(const TConfigFile& file);
  void Save(TConfigFile& file) const;
};
