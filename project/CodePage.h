#pragma once

// The program's 8-bit ("ANSI") code page: windows-1251 unless config.ini names another one.
// Every conversion between Unicode or UTF-8 and the code page goes through here: the project
// text and settings in the project file, templates and info.xml, pages whose charset is not
// "utf-8", config file strings.

#include <QString>

#include <string>
#include <string_view>

class TCodePage {
 public:
  // Chooses the code page by name (case does not matter); false and no change for a name
  // this program has no table for.
  static bool SetCodePage(std::string_view name);
  static std::string Name();

  // What a character the code page lacks becomes: "?", or in an HTML page a numeric character
  // reference ("&#233;", one for each character) that still shows it.
  enum TMissingCharacter { mcQuestionMark, mcCharacterReference };

  static QString ToUnicode(std::string_view bytes);
  static std::string FromUnicode(const QString& text, TMissingCharacter missing = mcQuestionMark);

  static std::string Utf8ToAnsi(std::string_view utf8, TMissingCharacter missing = mcQuestionMark);
  static std::string AnsiToUtf8(std::string_view bytes);
  // Through the code page and back: what survives a round trip through the project file.
  static QString Filter(const QString& text);
};
