#include "services/Localization.h"

TLocalization& TLocalization::Instance() {
  static TLocalization registry;
  return registry;
}

void TLocalization::Register(TLocalStrings* table) {
  if (!TableList.contains(table)) TableList.append(table);
}

void TLocalization::Unregister(TLocalStrings* table) { TableList.removeAll(table); }
