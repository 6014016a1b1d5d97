// Find, Find Next and Replace in the real main window, offscreen: the module's commands, the
// dialogs filled in as a user would, the questions answered by the test.

#include "app/Application.h"
#include "app/Main.h"
#include "app/Model.h"
#include "project/EditorConfirmReplace.h"
#include "project/EditorReplaceText.h"
#include "project/EditorSearch.h"
#include "project/SearchHistory.h"
#include "project/SearchSettings.h"
#include "services/Action.h"

#include "QtPrinters.h"

#include <Qsci/qsciscintilla.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct TOptions {
  bool Case = false;
  bool Whole = false;
  bool Backwards = false;
  bool FromCaret = false;
  bool Selection = false;
  bool Regex = false;
};

class EditorSearchTest : public ::testing::Test {
 protected:
  QTemporaryDir Dir;

  void SetUp() override { qputenv("XDG_CONFIG_HOME", Dir.filePath(QStringLiteral("config")).toUtf8()); }
  void TearDown() override { Stop(); }

  void Start(const QByteArray& settings = QByteArray()) {
    QDir().mkpath(Dir.filePath(QStringLiteral("config/Inkloom")));
    QFile file(Dir.filePath(QStringLiteral("config/Inkloom/config.ini")));
    if (!file.exists() || !settings.isEmpty()) {
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write("[General]\r\nShowWelcomeScreenAtStartup=0\r\n" + settings);
      file.close();
    }
    new TModule(QString());
    Search()->ExecDialog = [this](QDialog& dialog) { return Run(dialog); };
    Search()->AskYesNo = [this](const QString& caption, const QString& text) {
      Questions.append(caption + u'|' + text);
      return Answer;
    };
    QCoreApplication::processEvents();  // the posted start-up message
  }
  void Stop() { delete Module; }

  static TEditorSearch* Search() { return Module->Search(); }
  static TSearchSettings& Settings() { return Search()->Settings(); }
  static QsciScintilla* Editor() { return Module->GetEditor(); }
  static QString Status() { return MainForm->statusBar()->currentMessage(); }
  // The selection as "line:index>line:index", with "<" when the caret stands at its start.
  static QString Selection() {
    int lineFrom = 0, indexFrom = 0, lineTo = 0, indexTo = 0, line = 0, index = 0;
    Editor()->getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo);
    Editor()->getCursorPosition(&line, &index);
    if (lineFrom < 0) lineFrom = lineTo = line, indexFrom = indexTo = index;
    const bool caretFirst = line == lineFrom && index == indexFrom && (lineFrom != lineTo || indexFrom != indexTo);
    const QString from = QStringLiteral("%1:%2").arg(lineFrom).arg(indexFrom);
    const QString to = QStringLiteral("%1:%2").arg(lineTo).arg(indexTo);
    return from + (caretFirst ? u'<' : u'>') + to;
  }

  // A search or replace dialog is filled in and confirmed; a confirmation takes the next answer.
  int Run(QDialog& dialog) {
    if (auto* confirm = qobject_cast<TConfirmReplaceDialog*>(&dialog)) {
      Confirmations.append(confirm->Confirmation());
      Placed.append(confirm->frameGeometry());
      return Answers.isEmpty() ? QDialog::Rejected : Answers.takeFirst();
    }
    auto& search = static_cast<TTextSearchDialog&>(dialog);
    Proposed.append(search.SearchText());
    if (Fill) Fill(search);
    search.accept();
    return search.result();
  }

  void Command(const char* action, const QString& text, const TOptions& options, const QString& replacement = QString()) {
    Fill = [&](TTextSearchDialog& dialog) {
      dialog.SetSearchText(text);
      dialog.SetSearchCaseSensitive(options.Case);
      dialog.SetSearchWholeWords(options.Whole);
      dialog.SetSearchBackwards(options.Backwards);
      dialog.SetSearchFromCaret(options.FromCaret);
      dialog.SetSearchSelectionOnly(options.Selection);
      dialog.findChild<QCheckBox*>(QStringLiteral("cbRegularExpression"))->setChecked(options.Regex);
      if (auto* replace = qobject_cast<TTextReplaceDialog*>(&dialog)) replace->SetReplaceText(replacement);
    };
    Module->Action(QLatin1String(action))->trigger();
    Fill = nullptr;
  }
  void Find(const QString& text, const TOptions& options = {}) { Command("FindAction", text, options); }
  void Replace(const QString& text, const QString& with, QList<int> answers, const TOptions& options = {}) {
    Answers = answers;
    Command("ReplaceAction", text, options, with);
  }

  std::function<void(TTextSearchDialog&)> Fill;
  QStringList Proposed;
  QList<int> Answers;
  QStringList Confirmations;
  QList<QRect> Placed;
  int Answer = QMessageBox::No;
  QStringList Questions;
};

constexpr int kYes = TConfirmReplaceDialog::caYes;
constexpr int kNo = TConfirmReplaceDialog::caNo;
constexpr int kAll = TConfirmReplaceDialog::caYesToAll;
constexpr int kCancel = TConfirmReplaceDialog::caCancel;

}  // namespace

TEST_F(EditorSearchTest, FindForwardBackwardWholeWordsAndCase) {
  Start();
  Editor()->setText(QStringLiteral("Cat cat concat\r\ncat. CAT"));
  struct TCase {
    const char* Text;
    TOptions Options;
    int Line, Index, Selected;  // the caret and the length selected from it before the search
    const char* Expected;       // the selection after it
    bool NotFound;
  };
  const TCase cases[] = {
      {"cat", {}, 1, 0, 0, "0:0>0:3", false},                          // the whole text from its start
      {"cat", {true}, 1, 0, 0, "0:4>0:7", false},                      // letter case
      {"cat", {false, true, false, true}, 0, 5, 0, "1:0>1:3", false},  // whole words from the caret
      {"cat", {false, false, true, true}, 1, 3, 0, "1:0<1:3", false},  // backward from the caret
      {"cat", {false, false, true}, 0, 0, 0, "1:5<1:8", false},        // backward from the end
      {"CAT", {true, false, true, true}, 1, 3, 0, "1:3>1:3", true},    // none before the caret
      {"dog", {}, 0, 0, 3, "0:3>0:3", true},                           // collapsed forward
      {"dog", {false, false, true}, 0, 0, 3, "0:0>0:0", true},         // and backward
  };
  for (const TCase& c : cases) {
    Editor()->setSelection(c.Line, c.Index, c.Line, c.Index + c.Selected);
    Find(QLatin1String(c.Text), c.Options);
    EXPECT_EQ(Selection(), QLatin1String(c.Expected)) << c.Text << " " << c.Expected;
    EXPECT_EQ(Status(), c.NotFound ? QStringLiteral("Текст не найден") : QString()) << c.Expected;
  }
  // Find Next goes forward from the caret whatever the dialog's direction was.
  Editor()->setCursorPosition(1, 3);
  Find(QStringLiteral("cat"), {false, false, true, true});
  EXPECT_EQ(Selection(), QStringLiteral("1:0<1:3"));
  Module->Action(QStringLiteral("FindNextAction"))->trigger();
  EXPECT_EQ(Selection(), QStringLiteral("1:0>1:3"));
  Module->Action(QStringLiteral("FindNextAction"))->trigger();
  EXPECT_EQ(Selection(), QStringLiteral("1:5>1:8"));

  // A match outside the view comes into the middle of the editor.
  MainForm->resize(800, 600);
  MainForm->show();
  QCoreApplication::processEvents();
  QString lines;
  for (int line = 0; line < 500; ++line) lines += (line == 400 ? QStringLiteral("needle\r\n") : QStringLiteral("hay\r\n"));
  Editor()->setText(lines);
  Find(QStringLiteral("needle"));
  const long first = Editor()->SendScintilla(QsciScintilla::SCI_GETFIRSTVISIBLELINE);
  const long rows = Editor()->SendScintilla(QsciScintilla::SCI_LINESONSCREEN);
  EXPECT_GT(rows, 5);
  EXPECT_LE(std::abs(first + rows / 2 - 400), 1) << first << " " << rows;
}

TEST_F(EditorSearchTest, FindNextStartsAtTheTopThenOptionsAndHistoriesSurviveARestart) {
  Start("SearchText=two\r\nSearchCaseSensitive=1\r\nSearchRegex=1\r\nSearchTextAtCaret=0\r\n"
        "SearchTextHistory=two\\r\\nTwo\\r\\n\r\n");
  Editor()->setText(QStringLiteral("Two two one two"));
  Editor()->setCursorPosition(0, 12);
  MainForm->show();
  MainForm->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
  Module->ApplicationEventsIdle();
  EXPECT_TRUE(Module->Action(QStringLiteral("FindNextAction"))->isEnabled());
  QTest::keyClick(Editor(), Qt::Key_F3);
  EXPECT_EQ(Selection(), QStringLiteral("0:4>0:7"));  // the first match of the whole text, in case
  EXPECT_TRUE(Settings().SearchRegex);

  // The dialog proposes the word at the caret, its history the stored one, and never starts
  // with the regular-expression box ticked.
  Editor()->setCursorPosition(0, 9);
  bool regexTicked = true;
  QString shownHistory;
  Fill = [&](TTextSearchDialog& dialog) {
    regexTicked = dialog.SearchRegularExpression();
    shownHistory = dialog.SearchTextHistory();
    dialog.SetSearchText(QStringLiteral("a\\b\nc"));
    dialog.SetSearchWholeWords(true);
    dialog.SetSearchBackwards(true);
  };
  Module->Action(QStringLiteral("FindAction"))->trigger();
  EXPECT_EQ(Proposed.value(0), QStringLiteral("one"));
  EXPECT_FALSE(regexTicked);
  EXPECT_EQ(shownHistory, QStringLiteral("two\r\nTwo\r\n"));
  EXPECT_EQ(Status(), QStringLiteral("Текст не найден"));
  Replace(QStringLiteral("TWO"), QStringLiteral("$1\\"), {kCancel}, {false, true, true});
  EXPECT_EQ(Confirmations.size(), 1);
  Stop();

  Start();
  const TSearchSettings& settings = Settings();
  EXPECT_TRUE(settings.SearchWholeWords && settings.SearchBackwards && settings.SearchTextAtCaret);
  EXPECT_FALSE(settings.SearchCaseSensitive || settings.SearchRegex || settings.SearchFromCaretNow);
  EXPECT_EQ(settings.SearchText, QStringLiteral("TWO"));
  EXPECT_EQ(TSearchHistory::Entries(settings.SearchTextHistory), (QStringList{"TWO", "a\\b\nc"}));
  EXPECT_EQ(settings.ReplaceText, QStringLiteral("$1\\"));
  EXPECT_EQ(settings.ReplaceTextHistory, QStringLiteral("$1\\\r\n"));
  QFile file(Dir.filePath(QStringLiteral("config/Inkloom/config.ini")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("SearchTextHistory=TWO\\r\\na\\\\b\\nc\\r\\n\r\n"));
}

TEST_F(EditorSearchTest, ReplaceAsksForEachMatchAndUndoesStepByStep) {
  Start();
  const QString text = QStringLiteral("a a a a a a");
  Editor()->setText(text);
  Module->ApplicationEventsIdle();
  EXPECT_FALSE(Module->Action(QStringLiteral("FindNextAction"))->isEnabled());
  Replace(QStringLiteral("a"), QStringLiteral("bb"), {kYes, kNo, kYes, kCancel});
  EXPECT_EQ(Editor()->text(), QStringLiteral("bb a bb a a a"));
  EXPECT_EQ(Confirmations, QStringList(4, QStringLiteral("Заменить это вхождение \"a\"?")));
  EXPECT_EQ(ConfirmReplaceDialog, nullptr);  // freed with the run
  EXPECT_TRUE(Status().isEmpty());
  Editor()->undo();
  EXPECT_EQ(Editor()->text(), QStringLiteral("bb a a a a a"));
  Editor()->undo();
  EXPECT_EQ(Editor()->text(), text);

  // Yes to all after two single replacements: one undo takes back all the rest.
  Replace(QStringLiteral("a"), QStringLiteral("b"), {kYes, kYes, kAll});
  EXPECT_EQ(Editor()->text(), QStringLiteral("b b b b b b"));
  EXPECT_EQ(Confirmations.size(), 7);
  EXPECT_EQ(Selection(), QStringLiteral("0:10>0:11"));
  EXPECT_EQ(Editor()->wrapMode(), QsciScintilla::WrapWord);  // kept off only during the change
  for (const char* expected : {"b b a a a a", "b a a a a a", "a a a a a a"}) {
    Editor()->undo();
    EXPECT_EQ(Editor()->text(), QLatin1String(expected));
  }
  // Backward too: the match answered "Yes to all" and those before it, one step.
  Replace(QStringLiteral("a"), QStringLiteral("b"), {kYes, kAll}, {false, false, true});
  EXPECT_EQ(Editor()->text(), QStringLiteral("b b b b b b"));
  EXPECT_EQ(Selection(), QStringLiteral("0:0<0:1"));
  for (const char* expected : {"a a a a a b", "a a a a a a"}) {
    Editor()->undo();
    EXPECT_EQ(Editor()->text(), QLatin1String(expected));
  }

  // The question stands near the match it asks about, below it near the top of the window.
  MainForm->setGeometry(100, 100, 800, 600);
  MainForm->show();
  QCoreApplication::processEvents();
  Replace(QStringLiteral("a"), QStringLiteral("c"), {kCancel});
  const QRect window(MainForm->mapToGlobal(QPoint(0, 0)), MainForm->size());
  ASSERT_EQ(Placed.size(), 10);
  const QPoint match = Editor()->viewport()->mapToGlobal(QPoint(0, 0));
  EXPECT_GT(Placed.last().top(), match.y());
  EXPECT_LT(Placed.last().top(), match.y() + 40);
  EXPECT_TRUE(window.contains(Placed.last().topRight() - QPoint(1, 0)));

  // Replacing a text by itself asks nothing, changes nothing and is no "not found".
  Replace(QStringLiteral("a"), QStringLiteral("a"), {});
  EXPECT_EQ(Confirmations.size(), 10);
  EXPECT_EQ(Editor()->text(), text);
  EXPECT_TRUE(Status().isEmpty());
}

TEST_F(EditorSearchTest, RegularExpressionsGroupsErrorsAndEmptyMatches) {
  Start();
  QStringList errors;
  TAction::SetErrorHandler([&errors](const QString& message) { errors.append(message); });
  Editor()->setText(QStringLiteral("me@host, you@there\r\nab\r\n"));
  const TOptions regex{false, true, false, false, false, true};
  // Whole words do not apply to expressions.
  Replace(QStringLiteral("(\\w+)@(\\w+)"), QStringLiteral("*[$2 at ${1}]"), {kAll}, regex);
  EXPECT_EQ(Editor()->text(), QStringLiteral("*[host at me], *[there at you]\r\nab\r\n"));
  const QString before = Editor()->text();
  Replace(QStringLiteral("(ab"), QStringLiteral("x"), {kAll}, regex);
  ASSERT_EQ(errors.size(), 1);
  const QString why = QRegularExpression(QStringLiteral("(ab")).errorString();  // in the interface's language
  EXPECT_EQ(errors[0], QStringLiteral("\u0420\u0435\u0433\u0443\u043b\u044f\u0440\u043d\u043e\u0435 \u0432\u044b\u0440\u0430\u0436\u0435\u043d\u0438\u0435 \"(ab\" \u043e\u0448\u0438\u0431\u043e\u0447\u043d\u043e: %1 (\u043f\u043e\u0437\u0438\u0446\u0438\u044f 3).").arg(why));  // the window's language
  EXPECT_EQ(Editor()->text(), before);
  TAction::SetErrorHandler(&TApplication::ShowError);

  // Empty matches: every position once, never the same one twice.
  Editor()->setText(QStringLiteral("ab\r\ncd"));
  Replace(QStringLiteral("x*"), QStringLiteral("-"), {kYes, kNo, kAll}, regex);
  EXPECT_EQ(Editor()->text(), QStringLiteral("-ab-\r\n-c-d-"));
  EXPECT_EQ(Confirmations.size(), 4);
  Find(QStringLiteral("^"), regex);
  EXPECT_EQ(Selection(), QStringLiteral("0:0>0:0"));
  EXPECT_TRUE(Status().isEmpty());
}

// Find from the caret (backwards) and Find Next on a pattern that matches nothing move on from an
// empty match at the caret, until the text ends and "not found" comes.
TEST_F(EditorSearchTest, FindNextStepsPastEmptyMatches) {
  Start();
  const struct {
    const char* Pattern;
    bool Backwards;
    const char* Stops;
  } cases[] = {
      {"^", false, ""},
      {"$", false, "0:5"},
      {"\\b", false, "0:2 0:3 0:5"},
      {"x*", false, "0:1 0:2 0:3 0:4 0:5"},
      {"^", true, "0:0"},
      {"\\b", true, "0:3 0:2 0:0"},
      {"x*", true, "0:4 0:3 0:2 0:1 0:0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Pattern);
    Editor()->setText(QStringLiteral("ab cd"));
    Editor()->setCursorPosition(0, c.Backwards ? 5 : 0);
    QStringList stops;
    for (int step = 0; step < 8; ++step) {
      if (step == 0 || c.Backwards)
        Find(QLatin1String(c.Pattern), TOptions{false, false, c.Backwards, true, false, true});
      else
        Module->Action(QStringLiteral("FindNextAction"))->trigger();
      if (!Status().isEmpty()) break;
      stops.append(Selection().section(u'>', 0, 0));
    }
    EXPECT_EQ(stops.join(u' '), QLatin1String(c.Stops));
    EXPECT_FALSE(Status().isEmpty());
  }
}

TEST_F(EditorSearchTest, SelectedTextOnlyAndItsQuestion) {
  Start();
  Editor()->setText(QStringLiteral("cat cat\r\ncat cat"));
  const TOptions selectionOnly{false, false, false, false, true};
  Editor()->setSelection(1, 0, 1, 7);
  Replace(QStringLiteral("cat"), QStringLiteral("dog"), {kAll}, selectionOnly);
  EXPECT_EQ(Editor()->text(), QStringLiteral("cat cat\r\ndog dog"));
  EXPECT_TRUE(Questions.isEmpty());

  // The selection is the last match itself: the whole text instead? No searches nothing.
  EXPECT_EQ(Editor()->selectedText(), QStringLiteral("dog"));
  Answer = QMessageBox::No;
  Replace(QStringLiteral("DOG"), QStringLiteral("cow"), {kAll}, selectionOnly);
  EXPECT_EQ(Questions, QStringList{"Внимание|Нет выделенного фрагмента. Искать во всём тексте?"});
  EXPECT_EQ(Editor()->text(), QStringLiteral("cat cat\r\ndog dog"));
  EXPECT_TRUE(Settings().SearchSelectionOnly);
  // Yes clears the option for good and replaces in the whole text; nothing selected asks too.
  Answer = QMessageBox::Yes;
  Editor()->setCursorPosition(0, 0);
  Replace(QStringLiteral("cat"), QStringLiteral("cow"), {kAll}, selectionOnly);
  EXPECT_EQ(Questions.size(), 2);
  EXPECT_EQ(Editor()->text(), QStringLiteral("cow cow\r\ndog dog"));
  EXPECT_FALSE(Settings().SearchSelectionOnly);
}

TEST_F(EditorSearchTest, TheDialogsSpeakRussianAndKeepTheirSize) {
  Start();
  Editor()->setText(QStringLiteral("один два"));
  QStringList shown;
  Search()->ExecDialog = [&](QDialog& dialog) {
    QStringList texts{dialog.windowTitle()};
    for (QWidget* child : dialog.findChildren<QWidget*>()) {
      if (auto* label = qobject_cast<QLabel*>(child)) texts.append(label->text());
      if (auto* group = qobject_cast<QGroupBox*>(child)) texts.append(group->title());
      if (auto* button = qobject_cast<QAbstractButton*>(child)) texts.append(button->text());
    }
    texts.removeAll(QString());
    shown.append(texts.join(u'|'));
    // Tab goes from each text to the one below it, then to the options.
    QStringList order;
    for (QWidget* at = dialog.findChild<QComboBox*>(QStringLiteral("cbSearchText")); at && order.size() < 3; at = at->nextInFocusChain())
      if (qobject_cast<QComboBox*>(at) || qobject_cast<QCheckBox*>(at)) order.append(at->objectName());
    if (qobject_cast<TTextReplaceDialog*>(&dialog))
      EXPECT_EQ(order, (QStringList{"cbSearchText", "cbReplaceText", "cbSearchCaseSensitive"}));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_GE(dialog.width(), 328);
    if (qobject_cast<TConfirmReplaceDialog*>(&dialog)) return int(QDialog::Rejected);
    // The dialog as a user has it: the text typed over the proposed one, Enter for OK.
    auto* search = dialog.findChild<QComboBox*>(QStringLiteral("cbSearchText"));
    search->lineEdit()->selectAll();
    search->lineEdit()->insert(QStringLiteral("два"));
    QTimer::singleShot(0, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Return); });
    return dialog.exec();
  };
  Module->Action(QStringLiteral("FindAction"))->trigger();
  EXPECT_EQ(Editor()->selectedText(), QStringLiteral("два"));
  Module->Action(QStringLiteral("ReplaceAction"))->trigger();
  ASSERT_EQ(shown.size(), 3);
  const QString options = QStringLiteral("Найти:|Опции|Различать регистр|Только целые слова|С позиции курсора|"
                                         "В выделенном тексте|Регулярное выражение|Направление|Вперед|Назад|OK|Отмена");
  EXPECT_EQ(shown[0], QStringLiteral("Найти текст|") + options);
  EXPECT_EQ(shown[1], QStringLiteral("Заменить текст|") + options + QStringLiteral("|Заменить на:"));
  EXPECT_EQ(shown[2], QStringLiteral("Подтверждение замены|Заменить это вхождение \"два\"?|&Да|&Нет|Отмена|Да для &всех"));
  EXPECT_EQ(Settings().SearchTextHistory, QStringLiteral("два\r\n"));
}
