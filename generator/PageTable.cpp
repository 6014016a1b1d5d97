#include "generator/PageTable.h"

int TPageTable::Find(std::string_view name) const {
  auto it = IndexByName.find(LowerCaseAscii(name));
  return it == IndexByName.end() ? -1 : it->second;
}

int TPageTable::FindOrAdd(std::string_view name) {
  auto inserted = IndexByName.emplace(LowerCaseAscii(name), Count());
  if (inserted.second) {
    Entries.push_back(std::make_unique<TEntry>());
    Entries.back()->Name = std::string(name);
  }
  return inserted.first->second;
}

void TPageTable::Clear() {
  Entries.clear();
  IndexByName.clear();
}

void TPageTable::SetFragment(int index, std::string html) {
  TEntry& entry = Entry(index);
  entry.IsFragment = true;
  entry.Html = std::move(html);
}

bool TPageTable::FindFragment(std::string_view name, std::string& html) const {
  int index = Find(name);
  if (index < 0 || !Entries[index]->IsFragment) return false;
  html = Entries[index]->Html;
  return true;
}
