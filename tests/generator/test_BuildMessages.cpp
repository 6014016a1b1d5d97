// The texts of the generator's results and warnings, from the text table "Generator", as the
// headless modes print them and the windows will show them.

#include "QtPrinters.h"

#include "app/BuildMode.h"
#include "generator/Generator.h"
#include "services/LocalStrings.h"

#include <gtest/gtest.h>

#include <QObject>

TEST(GeneratorMessages, EveryResultAndWarningHasItsText) {
  QObject owner;
  TLocalStrings strings(&owner, QStringLiteral("Generator"));
  strings.Localize(1033);
  EXPECT_TRUE(GeneratorMessageKey(THTMLGenerator::geSuccess).isEmpty());
  EXPECT_EQ(GeneratorProblemText(strings, THTMLGenerator::geSectionWithoutBracket),
            QStringLiteral("the section header has no closing \"]\"."));
  EXPECT_EQ(strings.GetString(GeneratorMessageKey(THTMLGenerator::geUnknownSection)),
            QStringLiteral("the directive sets a variable of a section that does not exist."));
  const TGeneratorWarning warning{TGeneratorWarning::gwThemeNotFound, "Синяя", 12};
  EXPECT_EQ(GeneratorWarningText(strings, warning),
            QStringLiteral("theme \"Синяя\" was not found."));
  strings.Localize(1049);
  EXPECT_EQ(GeneratorWarningText(strings, warning), QStringLiteral("тема \"Синяя\" не найдена."));
}
