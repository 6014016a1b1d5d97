// The script host on its own: named items, errors with their lines, languages, closing. The
// objects handed to it are real free-standing text objects.

#include "../services/AppEnvironment.h"
#include "QtPrinters.h"
#include "automation/ActiveScript.h"
#include "automation/TextObject.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TAppEnvironment<QCoreApplication>);

class ActiveScriptTest : public ::testing::Test {
 protected:
  TActiveScript Script;
  Automation::TTextObject Text;
  Automation::TTextObject Other;

  void SetUp() override { Script.CreateEngine(QStringLiteral("JavaScript")); }
  HRESULT Run(const char* code) { return Script.Execute(QString::fromUtf8(code)); }
};

struct TErrorCase {
  const char* Name;
  const char* Code;
  unsigned Line;           // zero-based, as the host reports it
  const char* Description; // contained in the description
};

// Syntax and run-time errors, values thrown that are no Error, and a host object's failure.
const TErrorCase kErrorCases[] = {
    {"syntax on the first line", "var = 1;\nWriteln('x');", 0, "SyntaxError"},
    {"syntax further down", "Writeln('a');\n\nif (;", 2, "SyntaxError"},
    {"run-time on the third line", "Writeln('a');\nWriteln('b');\nundefinedThing.go();", 2, "undefinedThing"},
    {"inside a function", "function f() {\n  return missing;\n}\nf();", 1, "missing"},
    {"a thrown string", "Writeln('a');\nthrow 'plain words';", 1, "plain words"},
    {"an Error thrown", "\n\nthrow new Error('said so');", 2, "said so"},
};

}  // namespace

TEST_F(ActiveScriptTest, ErrorsGiveTheirDescriptionAndZeroBasedLine) {
  for (const TErrorCase& c : kErrorCases) {
    SCOPED_TRACE(c.Name);
    ASSERT_EQ(Script.AddNamedItem(QStringLiteral("Doc"), &Text, true), S_OK);
    EXPECT_LT(Run(c.Code), 0);
    EXPECT_EQ(Script.GetError().Line, c.Line);
    EXPECT_TRUE(Script.GetError().Description.contains(QLatin1String(c.Description)))
        << Script.GetError().Description.toStdString();
  }
  // An Error of the script reads as its message alone, like a host object's failure.
  Run("throw new Error('said so');");
  EXPECT_EQ(Script.GetError().Description, QStringLiteral("said so"));
  EXPECT_EQ(Script.GetError().SourceLine, QStringLiteral("throw new Error('said so');"));
  // A run that succeeds after a failure says so.
  EXPECT_EQ(Run("Writeln('fine');"), S_OK);
}

TEST_F(ActiveScriptTest, GlobalMembersAreNamesWhileTheItemsNameIsNot) {
  EXPECT_EQ(Script.AddNamedItem(QStringLiteral("Doc"), &Text, true), S_OK);
  EXPECT_EQ(Script.NamedItems().front().Flags, TActiveScript::GlobalMembersFlags);
  EXPECT_EQ(Run("Clear(); AddH1('Title'); Writeln(StrBold('x'));\n"
                "if (typeof Doc !== 'undefined') throw 'Doc is visible';\n"
                "if (LineCount !== 2) throw 'LineCount ' + LineCount;\n"
                "Text = 'replaced';"),
            S_OK);
  EXPECT_EQ(Text.Text(), QStringLiteral("replaced"));

  // Without global members the name is the identifier.
  Script.AddNamedItem(QStringLiteral("Other"), &Other, false);
  EXPECT_EQ(Script.NamedItems().back().Flags, TActiveScript::VisibleFlags);
  EXPECT_EQ(Run("Other.Writeln('o'); if (typeof Writeln !== 'function') throw 'lost';"), S_OK);
  EXPECT_EQ(Other.GetLine(0), QStringLiteral("o"));
}

TEST_F(ActiveScriptTest, ItemsAreMatchedExactlyAndSurviveANewEngine) {
  Script.AddNamedItem(QStringLiteral("Doc"), &Text, false);
  Script.AddNamedItem(QStringLiteral("Doc"), &Other, false);  // replaces
  Script.AddNamedItem(QStringLiteral("doc"), &Text, false);   // another item
  ASSERT_EQ(Script.NamedItems().size(), 2u);
  EXPECT_EQ(Run("Doc.Writeln('to other'); doc.Writeln('to text');"), S_OK);
  EXPECT_EQ(Other.Text(), QStringLiteral("to other\r\n"));
  EXPECT_EQ(Text.Text(), QStringLiteral("to text\r\n"));

  Script.CreateEngine(QStringLiteral("JavaScript"));
  EXPECT_EQ(Run("Doc.Writeln('again');"), S_OK);
  EXPECT_EQ(Other.LineCount(), 2);
  EXPECT_EQ(Script.Close(), S_OK);
  EXPECT_TRUE(Script.NamedItems().empty());
  EXPECT_EQ(Script.Close(), E_FAIL);  // no engine any more
  EXPECT_EQ(Run("1"), E_FAIL);
}

TEST_F(ActiveScriptTest, AnUnknownLanguageLeavesNoEngine) {
  TActiveScript host;
  host.AddNamedItem(QStringLiteral("Doc"), &Text, true);
  host.CreateEngine(QStringLiteral("VBScript"));
  EXPECT_EQ(host.Execute(QStringLiteral("Writeln('x')")), E_FAIL);
  EXPECT_TRUE(host.GetError().Description.isEmpty());
  EXPECT_EQ(host.GetError().Line, 0u);
  EXPECT_EQ(host.NamedItems().size(), 1u);
  EXPECT_EQ(host.Close(), E_FAIL);
  EXPECT_EQ(Text.LineCount(), 0);
}

TEST_F(ActiveScriptTest, InterruptStopsAScriptThatNeverEnds) {
  std::atomic<bool> ended{false};
  std::thread stopper([&] {
    while (!ended) {
      Script.Interrupt();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  const HRESULT result = Run("for (;;) {}");
  ended = true;
  stopper.join();
  EXPECT_EQ(result, E_ABORT);
  EXPECT_EQ(Script.GetError().Description, QStringLiteral("The script was interrupted."));
  EXPECT_EQ(Run("1"), S_OK);  // the next run goes again
}
