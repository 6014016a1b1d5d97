#pragma once

// The protection of the FTP user name and password in the project file: Twofish in CFB-8 mode
// under a key and starting register fixed in the program, stored as uppercase hexadecimal, two
// digits per byte. It keeps the values from being read at a glance; anyone with the program
// can decode them.

#include <string>

// The stored form of a setting's bytes; empty for an empty value.
std::string EncryptSetting(const std::string& clearText);
// The bytes back from a stored text (digits of either case). A text changed by hand decodes to
// other bytes without complaint; decoding stops before a lone last digit or the first pair
// that is not two hexadecimal digits.
std::string DecryptSetting(const std::string& storedText);
// The bytes back from a stored text in exactly the form EncryptSetting writes: an even number
// of uppercase hexadecimal digits. False, with clearText untouched, for any other text, such as
// a value typed into the project file by hand, which would decode to other bytes.
bool TryDecryptSetting(const std::string& storedText, std::string& clearText);
