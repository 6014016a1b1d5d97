#pragma once

#include "generator/InkloomError.h"

#include <string>

// An entry of a theme archive that cannot be read (its CRC does not match, its deflate stream
// is damaged): names the archive and the entry, so that the user can tell which file to mend.
class EThemeArchiveError : public EInkloomError {
 public:
  EThemeArchiveError(std::string archive, std::string entry, const std::string& reason)
      : EInkloomError("Theme archive \"" + archive + "\": " + reason),
        Archive(std::move(archive)),
        Entry(std::move(entry)) {}

  std::string Archive;
  std::string Entry;
};
