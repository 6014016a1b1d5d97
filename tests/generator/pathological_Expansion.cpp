// Projects whose expansions would grow without end, or whose values grow line by line. Each
// must end quickly; the CTest time-out guards against a hang, the tests measure nothing.

#include "generator/Generator.h"
#include "generator/MiscUtils.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace {

// 60 values that each double the one before, then lines that use the last.
std::string DoublingProject(int uses) {
  std::string project = "$x0 ab\n";
  for (int i = 1; i < 60; ++i)
    project += "$x" + std::to_string(i) + " {&x" + std::to_string(i - 1) + "}{&x" + std::to_string(i - 1) + "}\n";
  project += "[index.html]\n";
  for (int i = 0; i < uses; ++i) project += "{x59}\n";
  return project;
}

// One value appended to on every line (a few million lines before the appends were linear).
std::string AppendingProject(int lines, const std::string& piece) {
  std::string project = "$a x\n";
  for (int i = 0; i < lines; ++i) project += "$$a " + piece + "\n";
  return project;
}

// What the appends of AppendingProject give by the rule itself: the value so far and the text,
// unescaped again as one.
std::string AppendedValue(int lines, const std::string& piece) {
  std::string value = "x";
  for (int i = 0; i < lines; ++i) value = UnescapeText(value + piece);
  return value;
}

}  // namespace

// The expansions of a whole build are bounded: the build fails at the line that reached the
// bound, whatever the number of threads. Appends take linear time and keep their meaning.
TEST(PathologicalExpansion, GrowingValuesEndQuickly) {
  struct TCase {
    std::string Project;
    int Result;
    int Line;
    std::string Value;  // of a, when the project succeeds
  };
  const int appends = 1600000;
  const std::string pieces[] = {"\\\\", "\\", "\\n", "a\\", "\\\\r"};
  std::vector<TCase> cases = {
      {DoublingProject(32), THTMLGenerator::geExpansionTooLarge, 62, ""},  // the first use of x59
      {AppendingProject(appends, "y"), 0, 0, "x" + std::string(appends, 'y')},
  };
  for (const std::string& piece : pieces) cases.push_back({AppendingProject(300, piece), 0, 0, AppendedValue(300, piece)});
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Project.substr(0, 40));
    for (int threads : {1, 2}) {
      QTemporaryDir folder;
      THTMLGenerator generator;
      generator.SetProjectFolder(folder.path().toStdString());
      generator.SetThreadCount(threads);
      EXPECT_EQ(generator.GenerateUtf8(c.Project), c.Result);
      EXPECT_EQ(generator.ErrorLine(), c.Line);
      if (c.Result == 0) EXPECT_EQ(generator.GetVariableOr("a", ""), c.Value);
    }
  }
}
