#include "project/SearchSettings.h"

#include "services/ConfigFile.h"

#include <utility>

namespace {

const QString kGeneral = QStringLiteral("General");

const std::pair<const char*, bool TSearchSettings::*> kFlags[] = {
    {"SearchBackwards", &TSearchSettings::SearchBackwards},
    {"SearchCaseSensitive", &TSearchSettings::SearchCaseSensitive},
    {"SearchFromCaret", &TSearchSettings::SearchFromCaret},
    {"SearchSelectionOnly", &TSearchSettings::SearchSelectionOnly},
    {"SearchTextAtCaret", &TSearchSettings::SearchTextAtCaret},
    {"SearchWholeWords", &TSearchSettings::SearchWholeWords},
    {"SearchRegex", &TSearchSettings::SearchRegex},
};

const std::pair<const char*, QString TSearchSettings::*> kTexts[] = {
    {"SearchText", &TSearchSettings::SearchText},
    {"SearchTextHistory", &TSearchSettings::SearchTextHistory},
    {"ReplaceText", &TSearchSettings::ReplaceText},
    {"ReplaceTextHistory", &TSearchSettings::ReplaceTextHistory},
};

}  // namespace

void TSearchSettings::Load(const TConfigFile& file) {
  for (const auto& [key, flag] : kFlags) this->*flag = file.ReadBool(kGeneral, QLatin1String(key), false);
  for (const auto& [key, text] : kTexts) this->*text = file.ReadEscapedString(kGeneral, QLatin1String(key), QString());
}

void TSearchSettings::Save(TConfigFile& file) const {
  for (const auto& [key, flag] : kFlags) file.WriteBool(kGeneral, QLatin1String(key), this->*flag);
  for (const auto& [key, text] : kTexts) file.WriteEscapedString(kGeneral, QLatin1String(key), this->*text);
}
