#pragma once

// The inline markup rules carried out literally, one step at a time: every pass searches the text
// from its start again after each replacement and builds a new string each time. Slow on purpose;
// the differential tests and the fuzz target compare the real converter (which avoids the
// restarts) with these functions, so they must stay as plain as the rules themselves.
//
// The scanners here are written again from the rules instead of calling MiscUtils, so that a fault
// in a shared scanner shows up as a difference too. A NUL byte ends the text for every scanner;
// whatever follows it is carried along unchanged.

#include <string>

// The whole inline conversion: emphasis (___, __, _), anchors, links, images, spans.
std::string LiteralConvertInline(const std::string& text);

// As above, but gives up (sets tooLarge and returns an incomplete text) as soon as the text of a
// pass grows beyond largest bytes. Links without text copy their target, so a few nested ones
// can grow a text of a few hundred bytes to megabytes inside an image that then drops it all, in
// thousands of replacements; restarting after each one over such a text takes seconds, and the
// fuzz target would spend its time there.
std::string LiteralConvertInline(const std::string& text, size_t largest, bool* tooLarge);

// The attribute text of an attribute list (" class=...", " id=..." or " style=...") and, in
// remainder (may be null), the part of attributeList after the attribute list.
std::string LiteralParseAttributes(const std::string& attributeList, std::string* remainder);

// Replaces the first complete construct prefix + open ... close by before + content + after and
// starts again from the beginning, until no complete construct is found.
std::string LiteralReplaceBracketed(const std::string& text, const std::string& prefix, char open,
                                    char close, const std::string& before,
                                    const std::string& after);
