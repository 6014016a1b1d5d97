#pragma once

// Every section met in a generation, in order of first appearance, each with its own variable
// table. A section without a dot in its name becomes a fragment once it has been written: its
// HTML is then found by its name, like a variable.

#include "generator/MiscUtils.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TPageTable {
 public:
  struct TEntry {
    std::string Name;  // as first written
    bool IsFragment = false;
    std::string Html;  // the fragment's HTML
    TNameValueList Variables;
  };

  // The index of the section of that name (letter case aside), or -1.
  int Find(std::string_view name) const;
  // The existing section of that name, or a new one appended.
  int FindOrAdd(std::string_view name);
  TEntry& Entry(int index) { return *Entries[index]; }
  const TEntry& Entry(int index) const { return *Entries[index]; }
  int Count() const { return static_cast<int>(Entries.size()); }
  void Clear();

  void SetFragment(int index, std::string html);
  // The HTML of the fragment of that name.
  bool FindFragment(std::string_view name, std::string& html) const;

 private:
  std::vector<std::unique_ptr<TEntry>> Entries;
  std::unordered_map<std::string, int> IndexByName;  // lower-cased name -> index
};
