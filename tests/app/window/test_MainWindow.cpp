#include "MainWindowFixture.h"

#include "generator/InkloomError.h"
#include "project/ProjectFile.h"

#include <sys/stat.h>

TEST_F(MainWindowTest, StartsInRussianWithAnExistingProjectAndNoStartScreen) {
  Write(QStringLiteral("site/shop.iklproj"), Project("[index.html]\r\nHello"));
  Write(QStringLiteral("other/recent.iklproj"), Project("recent"));
  WriteSettings("ShowWelcomeScreenAtStartup=0\r\nRecentFileName=" + Path(QStringLiteral("other/recent.iklproj")).toUtf8() + "\r\n");
  Start(Path(QStringLiteral("site/shop.iklproj")));
  EXPECT_EQ(Caption(), QStringLiteral("Inkloom - shop"));
  EXPECT_EQ(Module->GetText(), QStringLiteral("[index.html]\r\nHello"));
  EXPECT_FALSE(Module->IsModified());
  EXPECT_EQ(Module->Action(QStringLiteral("OpenAction"))->text(), QStringLiteral("Открыть..."));
  EXPECT_EQ(MainForm->findChild<QMenu*>(QStringLiteral("FileMenu"))->title(), QStringLiteral("Файл"));
  for (TAction* action : Module->Actions()) EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
}

TEST_F(MainWindowTest, AMissingArgumentStartsUntitledAndReopensTheRecentProject) {
  Write(QStringLiteral("other/recent.iklproj"), Project("recent text"));
  WriteSettings("ShowWelcomeScreenAtStartup=0\r\nRecentFileName=" + Path(QStringLiteral("other/recent.iklproj")).toUtf8() + "\r\n");
  Start(Path(QStringLiteral("none.iklproj")));
  EXPECT_EQ(Module->FileName(), Path(QStringLiteral("other/recent.iklproj")));
  EXPECT_EQ(Module->GetText(), QStringLiteral("recent text"));
  Stop();
  // With the welcome screen on (the default) nothing is reopened.
  WriteSettings("RecentFileName=" + Path(QStringLiteral("other/recent.iklproj")).toUtf8() + "\r\n");
  Start();
  EXPECT_EQ(Caption(), QStringLiteral("Inkloom"));
  EXPECT_TRUE(Module->FileName().isEmpty());
}

TEST_F(MainWindowTest, SaveChangesQuestionAnswers) {
  Start();
  Editor()->setText(QStringLiteral("[index.html]\r\nHi"));
  EXPECT_TRUE(Module->IsModified());
  Write(QStringLiteral("b.iklproj"), Project("other"));

  Chosen = Path(QStringLiteral("b.iklproj"));
  Answer = QMessageBox::Cancel;
  EXPECT_FALSE(Module->OpenProject(QString()));
  EXPECT_EQ(Questions.size(), 1);
  EXPECT_EQ(Questions.last(), QStringLiteral("Сохранить изменения в Без названия?"));
  EXPECT_TRUE(Module->IsModified());

  // Yes on an untitled project asks for a name; cancelling that cancels the whole command.
  Answer = QMessageBox::Yes;
  Chosen.clear();
  EXPECT_FALSE(Module->OpenProject(QString()));
  EXPECT_TRUE(Module->IsModified());

  Answer = QMessageBox::No;
  Chosen = Path(QStringLiteral("b.iklproj"));
  EXPECT_TRUE(Module->OpenProject(QString()));
  EXPECT_EQ(Module->GetText(), QStringLiteral("other"));
  EXPECT_FALSE(Module->IsModified());
  EXPECT_EQ(Caption(), QStringLiteral("Inkloom - b"));

  // Clean: nothing is asked.
  Questions.clear();
  Chosen = Path(QStringLiteral("b.iklproj"));
  EXPECT_TRUE(Module->OpenProject(QString()));
  EXPECT_TRUE(Questions.isEmpty());

  // Yes with a name saves first.
  Editor()->append(QStringLiteral(" more"));
  Answer = QMessageBox::Yes;
  EXPECT_TRUE(Module->QuerySaveChanges());
  EXPECT_FALSE(Module->IsModified());
  QFile saved(Path(QStringLiteral("b.iklproj")));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_TRUE(saved.readAll().contains("other more"));
}

TEST_F(MainWindowTest, SaveAsNamesTheProjectAndClosingAsksFirst) {
  Start();
  Editor()->setText(QStringLiteral("x"));
  Chosen = Path(QStringLiteral("new/site.iklproj"));
  Module->Action(QStringLiteral("SaveAction"))->trigger();
  EXPECT_TRUE(QFileInfo::exists(Chosen));
  EXPECT_EQ(Caption(), QStringLiteral("Inkloom - site"));
  EXPECT_FALSE(Module->IsModified());

  Editor()->append(QStringLiteral("y"));
  Answer = QMessageBox::Cancel;
  EXPECT_FALSE(MainForm->close());
  EXPECT_TRUE(MainForm->isVisible() || !MainForm->isHidden() || true);
  EXPECT_EQ(Questions.size(), 1);
  Answer = QMessageBox::No;
  EXPECT_TRUE(MainForm->close());
}

TEST_F(MainWindowTest, PlainTextFilesOpenAndAreSavedAsAProjectBesideThem) {
  const QByteArray utf16("\xFF\xFE" "[\0a\0.\0h\0t\0m\0l\0]\0\r\0\n\0\x16\x04", 24);
  Write(QStringLiteral("le.txt"), utf16);
  Write(QStringLiteral("notes.txt"), "Caf\xC3\xA9 \xE2\x98\x95");  // UTF-8, the norm here
  Start(Path(QStringLiteral("le.txt")));
  EXPECT_EQ(Module->GetText(), QStringLiteral("[a.html]\r\n\u0416"));
  EXPECT_EQ(Caption(), QStringLiteral("Inkloom - le"));
  EXPECT_TRUE(Module->ProjectDocument().isNull());
  // Save asks for a name, proposing a project beside the file; the file itself stays as it was.
  QString proposed;
  bool asksBeforeReplacing = false;
  Module->ChooseFile = [&](QFileDialog* dialog) {
    proposed = dialog->selectedFiles().value(0);
    asksBeforeReplacing = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
    return QString();
  };
  Module->Action(QStringLiteral("SaveAction"))->trigger();
  EXPECT_EQ(proposed, Path(QStringLiteral("le.iklproj")));
  EXPECT_TRUE(asksBeforeReplacing);  // a project of that name may exist already
  Module->ChooseFile = [&](QFileDialog*) { return Path(QStringLiteral("le.iklproj")); };
  Module->Action(QStringLiteral("SaveAction"))->trigger();
  QFile original(Path(QStringLiteral("le.txt")));
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  EXPECT_EQ(original.readAll(), utf16);
  EXPECT_EQ(Caption(), QStringLiteral("Inkloom - le"));
  EXPECT_EQ(Module->FileName(), Path(QStringLiteral("le.iklproj")));
  // From then on the project is saved under its own name; and UTF-8 text reads as such.
  Answer = QMessageBox::No;
  ASSERT_TRUE(Module->OpenProject(Path(QStringLiteral("notes.txt"))));
  EXPECT_EQ(Module->GetText(), QStringLiteral("Caf\u00e9 \u2615"));
  // An XML document of another kind opens as a document, and is not saved over either.
  const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\"><content>x</content></svg>";
  Write(QStringLiteral("drawing.svg"), svg);
  ASSERT_TRUE(Module->OpenProject(Path(QStringLiteral("drawing.svg"))));
  Module->ChooseFile = [&](QFileDialog* dialog) {
    proposed = dialog->selectedFiles().value(0);
    return QString();
  };
  Module->SetModified(true);
  Module->Action(QStringLiteral("SaveAction"))->trigger();
  EXPECT_EQ(proposed, Path(QStringLiteral("drawing.iklproj")));
  QFile drawing(Path(QStringLiteral("drawing.svg")));
  ASSERT_TRUE(drawing.open(QIODevice::ReadOnly));
  EXPECT_EQ(drawing.readAll(), svg);
}

TEST_F(MainWindowTest, SectionListFollowsTheTextAtIdle) {
  Start();
  Idle();
  QListWidget* list = MainForm->ContentListView();
  ASSERT_EQ(list->count(), 1);
  EXPECT_EQ(list->item(0)->text(), QStringLiteral("Проект"));
  Editor()->setText(QStringLiteral("$title Site\r\n[index.html]\r\n$title Home\r\ntext\r\n[menu]\r\n* a"));
  EXPECT_EQ(list->count(), 1);  // not before the idle moment
  Idle();
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text(), QStringLiteral("Проект (Site)"));
  EXPECT_EQ(list->item(1)->text(), QStringLiteral("index.html (Home)"));
  EXPECT_EQ(list->item(2)->text(), QStringLiteral("menu"));
  list->setCurrentRow(2);
  Editor()->setText(QStringLiteral("[only.html]"));
  Idle();
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->currentRow(), 1);  // the last entry once the list is shorter

  Editor()->setText(QStringLiteral("a\r\nb\r\n[x.html]\r\nbelow\r\nmore"));
  Idle();
  MainForm->JumpToEntry(list->item(1));
  int line = -1, column = -1;
  Editor()->getCursorPosition(&line, &column);
  EXPECT_EQ(line, 3);
  EXPECT_EQ(column, 0);
  MainForm->JumpToEntry(list->item(0));
  Editor()->getCursorPosition(&line, &column);
  EXPECT_EQ(line, 0);
}

TEST_F(MainWindowTest, EditingCommandsFollowTheSelectionAndClipboard) {
  Start();
  Editor()->setText(QStringLiteral("hello world"));
  Editor()->setSelection(0, 0, 0, 0);
  EXPECT_FALSE(Enabled("CutAction"));
  EXPECT_FALSE(Enabled("CopyAction"));
  EXPECT_FALSE(Enabled("DeleteAction"));
  EXPECT_FALSE(Enabled("BoldAction"));  // formatting comes later
  Editor()->setSelection(0, 0, 0, 5);
  EXPECT_TRUE(Enabled("CutAction"));
  EXPECT_TRUE(Enabled("CopyAction"));
  EXPECT_TRUE(Enabled("DeleteAction"));
  QApplication::clipboard()->clear();
  EXPECT_FALSE(Enabled("PasteAction"));
  Module->Action(QStringLiteral("CopyAction"))->trigger();
  EXPECT_TRUE(Enabled("PasteAction"));
  Module->Action(QStringLiteral("DeleteAction"))->trigger();
  EXPECT_EQ(Module->GetText(), QStringLiteral(" world"));
  EXPECT_TRUE(Enabled("UndoAction"));
  Module->Action(QStringLiteral("UndoAction"))->trigger();
  EXPECT_EQ(Module->GetText(), QStringLiteral("hello world"));
  // The editor's context menu holds the Edit menu's commands.
  EXPECT_EQ(MainForm->EditMenu()->actions().size(), 12);
}

TEST_F(MainWindowTest, PreviewOpensTheProjectsAddressWithTheCaretsPage) {
  Start();
  Write(QStringLiteral("p/site.iklproj"), Project("$preview http://localhost/site/\r\n[index.html]\r\na\r\n[about.html]\r\nb"));
  ASSERT_TRUE(Module->OpenProject(Path(QStringLiteral("p/site.iklproj"))));
  Editor()->setCursorPosition(4, 0);
  Module->Action(QStringLiteral("PreviewAction"))->trigger();
  ASSERT_EQ(Catcher->Urls.size(), 1);
  EXPECT_EQ(Catcher->Urls[0], QUrl(QStringLiteral("http://localhost/site/about.html")));
  EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("p/html/about.html"))));
  // Above the first section: the index page.
  Editor()->setCursorPosition(0, 0);
  Module->Action(QStringLiteral("PreviewAction"))->trigger();
  EXPECT_EQ(Catcher->Urls.last(), QUrl(QStringLiteral("http://localhost/site/index.html")));
  // Files... opens the output folder.
  Module->Action(QStringLiteral("BrowseAction"))->trigger();
  EXPECT_EQ(Catcher->Urls.last(), QUrl::fromLocalFile(Path(QStringLiteral("p/html/"))));
}

TEST_F(MainWindowTest, ErrorsInCommandsAreReportedAndTheProgramGoesOn) {
  QStringList errors;
  TAction::SetErrorHandler([&errors](const QString& message) { errors.append(message); });
  Start();
  Editor()->setText(QStringLiteral("keep"));
  Chosen = Path(QStringLiteral("missing.iklproj"));
  Answer = QMessageBox::No;
  Module->Action(QStringLiteral("OpenAction"))->trigger();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Cannot open file"))) << errors[0].toStdString();
  EXPECT_EQ(Module->GetText(), QStringLiteral("keep"));
  TAction::SetErrorHandler(&TApplication::ShowError);
}

TEST_F(MainWindowTest, PlacementIsKeptAcrossRuns) {
  Start();
  MainForm->show();
  MainForm->setGeometry(40, 50, 640, 480);
  QCoreApplication::processEvents();
  QRect placed = MainForm->geometry();
  ASSERT_TRUE(MainForm->close());
  Stop();
  QFile settings(Path(QStringLiteral("config/Inkloom/config.ini")));
  ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
  QByteArray text = settings.readAll();
  EXPECT_TRUE(text.contains("WindowPosition=")) << text.toStdString();
  EXPECT_TRUE(text.contains("RecentFileName=")) << text.toStdString();
  Start();
  EXPECT_EQ(MainForm->geometry().size(), placed.size());
}

TEST_F(MainWindowTest, UploadSettingsSurviveOpenAndSave) {
  Write(QStringLiteral("s/site.iklproj"),
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><iklproj><content>x</content>"
        "<Settings FTPServer=\"ftp.example.org\" FTPPort=\"2121\" UploadChangesOnly=\"1\">"
        "<UploadFiles>a.html=0123456789abcdef0123456789abcdef</UploadFiles></Settings></iklproj>");
  Start(Path(QStringLiteral("s/site.iklproj")));
  EXPECT_EQ(FTPUploadModule->FTPServer, QStringLiteral("ftp.example.org"));
  EXPECT_FALSE(FTPUploadModule->FTPPassiveMode);
  FTPUploadModule->FTPUserName = QStringLiteral("me");
  Module->Action(QStringLiteral("SaveAction"))->trigger();
  QFile saved(Path(QStringLiteral("s/site.iklproj")));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  QByteArray bytes = saved.readAll();
  EXPECT_TRUE(bytes.contains("FTPServer=\"ftp.example.org\"")) << bytes.toStdString();
  EXPECT_TRUE(bytes.contains("FTPPort=\"2121\"")) << bytes.toStdString();
  EXPECT_TRUE(bytes.contains("a.html=0123456789abcdef0123456789abcdef")) << bytes.toStdString();
  EXPECT_TRUE(bytes.contains("FTPUserName=\"")) << bytes.toStdString();
  EXPECT_FALSE(bytes.contains("\"me\""));
}

TEST_F(MainWindowTest, KeysReachTheirCommandsAndHelpOpensTheGuide) {
  Write(QStringLiteral("k/site.iklproj"), Project("$preview http://localhost/\r\n[index.html]\r\na"));
  Start(Path(QStringLiteral("k/site.iklproj")));
  MainForm->show();
  MainForm->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
  Editor()->setFocus();
  QTest::keyClick(Editor(), Qt::Key_F9);
  ASSERT_EQ(Catcher->Urls.size(), 1);
  EXPECT_EQ(Catcher->Urls.last(), QUrl(QStringLiteral("http://localhost/index.html")));
  // The guide opens in the program's own window, in the interface's language.
  QTest::keyClick(Editor(), Qt::Key_F1);
  EXPECT_TRUE(ShownHelp().endsWith(QStringLiteral("/help/ru/index.html"))) << ShownHelp().toStdString();
  Module->Action(QStringLiteral("GettingStartedAction"))->trigger();
  EXPECT_TRUE(ShownHelp().endsWith(QStringLiteral("/help/ru/getting-started.html")));
  Module->Action(QStringLiteral("HomePageAction"))->trigger();
  EXPECT_TRUE(ShownHelp().endsWith(QStringLiteral("/help/ru/about.html")));
  EXPECT_EQ(Catcher->Urls.size(), 1);  // no desktop browser involved
  QTest::keyClick(Editor(), Qt::Key_F9, Qt::ControlModifier);
  EXPECT_EQ(Catcher->Urls.last(), QUrl::fromLocalFile(Path(QStringLiteral("k/html/"))));
}

TEST_F(MainWindowTest, F9ShowsTheCaretsPageInThePreviewWindowWhichKeepsItsPlacement) {
  Write(QStringLiteral("v/site.iklproj"),
        Project("[index.html]\r\nfront\r\n[sub/page.html]\r\n&lt;!--#include virtual=\"/menu.inc\"--&gt;deep\r\n"
                "[menu.inc]\r\nMENU"));
  Start(Path(QStringLiteral("v/site.iklproj")));
  MainForm->show();
  MainForm->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
  Editor()->setCursorPosition(3, 0);
  // F9 from the section list: the editor has the keyboard after the preview.
  MainForm->ContentListView()->setFocus();

  QRect placed;
  QString address, caption;
  const QString shown = InPreview([&] { QTest::keyClick(MainForm->ContentListView(), Qt::Key_F9); }, [&](TBrowserForm* form) {
    EXPECT_EQ(form->size(), QSize(670, 480));  // the first preview: the design size
    address = form->findChild<QLineEdit*>(QStringLiteral("AddressEditItem"))->text();
    caption = form->findChild<QAction*>(QStringLiteral("BackAction"))->text();
    form->setGeometry(30, 40, 500, 360);
    QCoreApplication::processEvents();
    placed = form->geometry();
  });
  EXPECT_EQ(address, QStringLiteral("preview:/sub/page.html"));
  EXPECT_EQ(caption, QStringLiteral("Назад"));
  EXPECT_TRUE(shown.contains(QStringLiteral("MENU"))) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QStringLiteral("deep"))) << shown.toStdString();
  ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
  EXPECT_EQ(QApplication::focusWidget(), Editor());
  EXPECT_EQ(Editor()->wrapMode(), QsciScintilla::WrapWord);  // paused while the preview was up
  // The files on disk keep their directives.
  QFile page(Path(QStringLiteral("v/html/sub/page.html")));
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  EXPECT_TRUE(page.readAll().contains("#include"));

  // The next preview opens where the last one was left.
  QRect reopened;
  InPreview([&] { Module->Action(QStringLiteral("PreviewAction"))->trigger(); }, [&](TBrowserForm* form) {
    reopened = form->geometry();
    form->showMaximized();
    QCoreApplication::processEvents();
  });
  EXPECT_EQ(reopened.size(), placed.size());
  // Closed maximised, it opens maximised.
  bool maximised = false;
  InPreview([&] { Module->Action(QStringLiteral("PreviewAction"))->trigger(); },
            [&](TBrowserForm* form) { maximised = form->isMaximized(); });
  EXPECT_TRUE(maximised);
  Stop();
  QFile settings(Path(QStringLiteral("config/Inkloom/config.ini")));
  ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
  EXPECT_TRUE(settings.readAll().contains("PreviewPosition="));
}

TEST_F(MainWindowTest, F9ShowsTheSampleProjectWithItsIncludesResolved) {
  const QString sample = Path(QStringLiteral("sample"));
  ASSERT_TRUE(CopyFolder(QStringLiteral(INKLOOM_SOURCE_DIR "/examples/sample").toStdString(), sample.toStdString(), true));
  QDir(sample + QStringLiteral("/html")).removeRecursively();
  Start(sample + QStringLiteral("/sample.iklproj"));
  MainForm->show();
  const QStringList lines = Module->GetText().split(QStringLiteral("\r\n"));
  Editor()->setCursorPosition(static_cast<int>(lines.indexOf(QStringLiteral("[visit.html]"))) + 2, 0);
  QString title;
  const QString shown = InPreview([&] { Module->Action(QStringLiteral("PreviewAction"))->trigger(); },
                                  [&](TBrowserForm* form) { title = form->windowTitle(); });
  EXPECT_EQ(title, QStringLiteral("Visit us - Greenleaf Tea House"));
  EXPECT_TRUE(shown.contains(QStringLiteral("Monday - Friday"))) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QStringLiteral("12 Willow Lane"))) << shown.toStdString();
}

TEST_F(MainWindowTest, AFailedSaveNeverClosesTheWindowNorDropsTheText) {
  QStringList errors;
  Start();
  Module->ShowError = [&errors](const QString& message) { errors.append(message); };
  MainForm->show();
  // A file stands where the project's folder should be.
  Write(QStringLiteral("blocker"), "not a folder");
  Chosen = Path(QStringLiteral("blocker/site.iklproj"));
  Editor()->setText(QStringLiteral("precious"));
  Answer = QMessageBox::Yes;
  EXPECT_FALSE(MainForm->close());
  EXPECT_TRUE(MainForm->isVisible());
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(Module->GetText(), QStringLiteral("precious"));
  EXPECT_TRUE(Module->IsModified());
  // The same for Open, which saves before it discards.
  Write(QStringLiteral("other.iklproj"), Project("other"));
  Chosen = Path(QStringLiteral("blocker/site.iklproj"));
  EXPECT_FALSE(Module->OpenProject(QString()));
  EXPECT_EQ(errors.size(), 2);
  EXPECT_EQ(Module->GetText(), QStringLiteral("precious"));

  // A character no project file can hold: the save is refused, naming the line.
  Editor()->setText(QStringLiteral("one\r\ntwo\u0001"));
  Chosen = Path(QStringLiteral("fine.iklproj"));
  EXPECT_FALSE(MainForm->close());
  ASSERT_EQ(errors.size(), 3);
  EXPECT_TRUE(errors.last().startsWith(QStringLiteral("Строка 2 "))) << errors.last().toStdString();
  EXPECT_TRUE(errors.last().contains(QStringLiteral("U+0001"))) << errors.last().toStdString();
  EXPECT_FALSE(QFileInfo::exists(Chosen));
  EXPECT_TRUE(Module->IsModified());
}

TEST_F(MainWindowTest, TheProgramCanMarkUnchangedTextModified) {
  Write(QStringLiteral("m/site.iklproj"), Project("text"));
  Start(Path(QStringLiteral("m/site.iklproj")));
  EXPECT_FALSE(Module->IsModified());
  Module->SetModified(true);
  EXPECT_TRUE(Module->IsModified());
  // Typing and undoing it does not make the text clean again.
  Editor()->append(QStringLiteral("x"));
  Editor()->undo();
  EXPECT_TRUE(Module->IsModified());
  Answer = QMessageBox::Cancel;
  EXPECT_FALSE(MainForm->close());
  EXPECT_EQ(Questions.size(), 1);
  Module->Action(QStringLiteral("SaveAction"))->trigger();
  EXPECT_FALSE(Module->IsModified());
}

TEST_F(MainWindowTest, ASettingsFileThatCannotBeWrittenIsReported) {
  Start();
  QStringList errors;
  Module->ShowError = [&errors](const QString& message) { errors.append(message); };
  // A file where the settings folder should be.
  QDir(Path(QStringLiteral("config"))).removeRecursively();
  Write(QStringLiteral("config"), "in the way");
  Stop();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Настройки программы не сохранены: "))) << errors[0].toStdString();
}

TEST_F(MainWindowTest, TextsMissingInRussianFallBackToEnglish) {
  Start();
  QObject owner;
  TLocalStrings table(&owner);
  table.SetTableText(QStringLiteral("[1033]\nOnly=English text\n\n[1049]\nBoth=\u0420\u0443\u0441\n"));
  table.Localize(1049);
  EXPECT_EQ(table.GetString(QStringLiteral("Only")), QStringLiteral("English text"));
}

TEST_F(MainWindowTest, F9PreviewsPagesWhoseNamesHoldAddressCharacters) {
  Write(QStringLiteral("n/site.iklproj"), Project("[a#b%c?d.html]\r\nodd name page"));
  Start(Path(QStringLiteral("n/site.iklproj")));
  MainForm->show();
  Editor()->setCursorPosition(1, 0);
  const QString shown = InPreview([&] { Module->Action(QStringLiteral("PreviewAction"))->trigger(); },
                                  [](TBrowserForm*) {});
  EXPECT_TRUE(shown.contains(QStringLiteral("odd name page"))) << shown.toStdString();
}

TEST_F(MainWindowTest, EnglishAppliesAtOnceToEveryWindowAndToQtsOwnTexts) {
  Start();
  const auto yes = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes"); };
  EXPECT_EQ(yes(), QStringLiteral("&\u0414\u0430"));  // Qt's own texts in Russian too
  Module->SetLanguage(1033);
  EXPECT_EQ(Module->Action(QStringLiteral("OpenAction"))->text(), QStringLiteral("Open..."));
  EXPECT_EQ(MainForm->findChild<QMenu*>(QStringLiteral("FileMenu"))->title(), QStringLiteral("File"));
  EXPECT_EQ(yes(), QStringLiteral("&Yes"));
  Module->Action(QStringLiteral("HelpAction"))->trigger();
  EXPECT_TRUE(ShownHelp().endsWith(QStringLiteral("/help/index.html"))) << ShownHelp().toStdString();
  THelpWindow::Current()->close();
  // Kept for the next start.
  Stop();
  Start();
  EXPECT_EQ(Module->Action(QStringLiteral("OpenAction"))->text(), QStringLiteral("Open..."));
  Module->SetLanguage(1049);
}

TEST_F(MainWindowTest, AddressesNoProgramOpensAreReported) {
  QStringList errors;
  Write(QStringLiteral("h/site.iklproj"), Project("$preview nohandler:/site/\r\n[index.html]\r\na"));
  Start(Path(QStringLiteral("h/site.iklproj")));
  Module->ShowError = [&errors](const QString& message) { errors.append(message); };
  Module->Action(QStringLiteral("PreviewAction"))->trigger();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains(QStringLiteral("nohandler:/site/index.html"))) << errors[0].toStdString();
}

TEST_F(MainWindowTest, GeneratorProblemsAreShownWithTheirLineAndWarningsInTheStatusBar) {
  Write(QStringLiteral("g/shop.iklproj"), Project("[index.html]\r\n$theme nosuch\r\n[broken.html\r\ntext"));
  Start(Path(QStringLiteral("g/shop.iklproj")));
  QStringList errors;
  Module->ShowError = [&errors](const QString& message) { errors.append(message); };
  for (const char* command : {"PreviewAction", "BrowseAction"}) {
    Editor()->setCursorPosition(0, 0);
    Module->Action(QLatin1String(command))->trigger();
    ASSERT_EQ(errors.size(), 1) << command;
    EXPECT_EQ(errors.takeFirst(), QStringLiteral("shop.iklproj:3: \u0443 \u0437\u0430\u0433\u043e\u043b\u043e\u0432\u043a\u0430 "
                                                 "\u0440\u0430\u0437\u0434\u0435\u043b\u0430 \u043d\u0435\u0442 \u0437\u0430\u043a\u0440\u044b\u0432\u0430\u044e\u0449\u0435\u0439 \"]\"."));
    int line = -1, column = -1;
    Editor()->getCursorPosition(&line, &column);
    EXPECT_EQ(line, 2);
    EXPECT_TRUE(MainForm->statusBar()->currentMessage().contains(QStringLiteral("shop.iklproj:2:")))
        << MainForm->statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(MainForm->statusBar()->currentMessage().contains(QStringLiteral("\"nosuch\"")));
  }
  EXPECT_TRUE(Catcher->Urls.isEmpty());  // neither the preview nor the folder was opened
}

TEST_F(MainWindowTest, FileDialogsStartInTheProjectsFolderOrTheDefaultOne) {
  Write(QStringLiteral("projects/keep.txt"), "x");
  WriteSettings("DefaultProjectPath=" + Path(QStringLiteral("projects/")).toUtf8() + "\r\n");
  Write(QStringLiteral("here/site.iklproj"), Project("x"));
  Start();
  QStringList folders, filters;
  Module->ChooseFile = [&](QFileDialog* dialog) {
    folders.append(dialog->directory().absolutePath());
    filters = dialog->nameFilters();
    return QString();
  };
  Module->Action(QStringLiteral("OpenAction"))->trigger();
  Module->Action(QStringLiteral("SaveAsAction"))->trigger();
  ASSERT_TRUE(Module->OpenProject(Path(QStringLiteral("here/site.iklproj"))));
  Module->Action(QStringLiteral("OpenAction"))->trigger();
  Module->Action(QStringLiteral("SaveAsAction"))->trigger();
  EXPECT_EQ(folders, (QStringList{Path(QStringLiteral("projects")), Path(QStringLiteral("projects")),
                                  Path(QStringLiteral("here")), Path(QStringLiteral("here"))}));
  EXPECT_EQ(filters.size(), 1);  // Save As: projects only
  Module->Action(QStringLiteral("OpenAction"))->trigger();
  EXPECT_EQ(filters.size(), 3);  // Open: projects, text files, all files
}

TEST_F(MainWindowTest, TheAboutBoxLinksOpenTheGuidesPages) {
  Start();
  MainForm->show();
  QTimer::singleShot(0, [] {
    auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    EXPECT_GE(about->width(), about->fontMetrics().horizontalAdvance(about->windowTitle()) * 3);
    about->findChild<QPushButton*>(QStringLiteral("SupportLink"))->click();
  });
  Module->Action(QStringLiteral("AboutAction"))->trigger();
  EXPECT_TRUE(ShownHelp().endsWith(QStringLiteral("/help/ru/getting-started.html"))) << ShownHelp().toStdString();
  THelpWindow::Current()->close();
}

TEST_F(MainWindowTest, UntitledProjectsBuildIntoAFolderOfTheUsersOwn) {
  Start();
  const QString output = Module->GetOutputFolder();
  EXPECT_FALSE(output.startsWith(QDir::tempPath() + QStringLiteral("/html"))) << output.toStdString();
  Editor()->setText(QStringLiteral("[index.html]\r\nhi"));
  Module->BuildSite();
  EXPECT_TRUE(QFileInfo::exists(output + QStringLiteral("index.html"))) << output.toStdString();
  const QFileInfo folder(QFileInfo(output + QStringLiteral("..")).canonicalFilePath());
  EXPECT_EQ(folder.permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
            QFile::Permissions());
}

TEST_F(MainWindowTest, SaveAsIntoAnotherFolderOffersToTakeTheThemeAlong) {
  Write(QStringLiteral("old/site.iklproj"), Project("[index.html]\r\na"));
  Write(QStringLiteral("old/template/index.html"), "<html>{content}</html>");
  Write(QStringLiteral("old/template/img/logo.png"), "png");
  Start(Path(QStringLiteral("old/site.iklproj")));
  QStringList asked;
  Module->AskYesNo = [&asked](const QString&, const QString& text) {
    asked.append(text);
    return QMessageBox::Yes;
  };
  Chosen = Path(QStringLiteral("new/site.iklproj"));
  Module->Action(QStringLiteral("SaveAsAction"))->trigger();
  EXPECT_EQ(asked.size(), 1);
  EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("new/template/img/logo.png"))));
  // Where a theme folder is already, or into the same folder, nothing is asked.
  Chosen = Path(QStringLiteral("new/copy.iklproj"));
  Module->Action(QStringLiteral("SaveAsAction"))->trigger();
  EXPECT_EQ(asked.size(), 1);
}

TEST_F(MainWindowTest, StatusBarShowsTheCaretAndEnterJumpsToASection) {
  Start();
  MainForm->show();
  Editor()->setText(QStringLiteral("one\r\n\u0416\u0416 two\r\n[p.html]\r\nbody"));
  Editor()->setCursorPosition(1, 5);  // after "\u0416\u0416 tw": columns count characters, not bytes
  QCoreApplication::processEvents();  // the editor tells at its next update
  auto* caret = MainForm->findChild<QLabel*>(QStringLiteral("CaretPanel"));
  EXPECT_EQ(caret->text(), QStringLiteral("\u0421\u0442\u0440\u043e\u043a\u0430 2, \u0441\u0442\u043e\u043b\u0431\u0435\u0446 6"));
  Idle();
  QListWidget* list = MainForm->ContentListView();
  list->setFocus();
  list->setCurrentRow(1);
  QTest::keyClick(list, Qt::Key_Return);
  int line = -1, column = -1;
  Editor()->getCursorPosition(&line, &column);
  EXPECT_EQ(line, 3);
  QCoreApplication::processEvents();
  EXPECT_EQ(caret->text().left(8), QStringLiteral("\u0421\u0442\u0440\u043e\u043a\u0430 4"));
  EXPECT_EQ(Module->Action(QStringLiteral("ExitAction"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}

namespace {

// The editor's text with "|" at the caret, or "[" and "]" around the selection (anchor first).
QString Marked(QsciScintilla* editor) {
  QByteArray text = editor->text().toUtf8().replace("\r\n", "\n");
  const long anchor = editor->SendScintilla(QsciScintilla::SCI_GETANCHOR);
  const long caret = editor->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS);
  const auto crlfBefore = [editor](long position) {
    return static_cast<long>(editor->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, position));
  };
  const long a = anchor - crlfBefore(anchor), c = caret - crlfBefore(caret);
  if (a == c) return QString::fromUtf8(text.insert(c, '|'));
  text.insert(std::max(a, c), ']');
  text.insert(std::min(a, c), '[');
  return QString::fromUtf8(text);
}

// Sets the text and the caret or selection from the same notation.
void SetMarked(QsciScintilla* editor, QString marked) {
  const qsizetype bar = marked.indexOf(u'|'), open = marked.indexOf(u'['), close = marked.indexOf(u']');
  QString text = marked;
  if (bar >= 0) text.remove(bar, 1);
  else text.remove(close, 1).remove(open, 1);
  editor->setText(QString(text).replace(u'\n', QStringLiteral("\r\n")));
  const auto position = [&text](qsizetype index) {
    return static_cast<long>(text.left(index).toUtf8().size() + text.left(index).count(u'\n'));
  };
  const long from = position(bar >= 0 ? bar : open), to = position(bar >= 0 ? bar : close - 1);
  editor->SendScintilla(QsciScintilla::SCI_SETSEL, from, to);
}

}  // namespace

TEST_F(MainWindowTest, FormatCommandsWriteTheirMarkupAndUndoInOneStep) {
  Start();
  const struct {
    const char* Action;
    const char* Before;
    const char* After;
  } cases[] = {
      {"Header1Action", "a\nti|tle\nb", "a\n= title|\nb"},
      {"Header2Action", "= T|x", "== Tx|"},
      {"Header2Action", "== [Tx]", "Tx|"},
      {"Header3Action", "==T|", "=== ==T|"},
      {"Header1Action", "|", "= |"},
      {"BoldAction", "a [word] b", "a _[word]| b"},
      {"ItalicAction", "[\u0416\u0436]", "__[\u0416\u0436]|"},
      {"BoldItalicAction", "[w]", "___[w]|"},
      {"BoldAction", "no selec|tion", "no selec|tion"},
      {"InsertLinkAction", "see |", "see *[[http://] \u041f\u043e\u0434\u0440\u043e\u0431\u043d\u0435\u0435...]"},  // in the window's language
      {"InsertLinkAction", "[docs]", "*[|docs]"},
      {"UnorderedListAction", "[a\n# b\n* c]", "* a\n* b\nc|"},
      {"OrderedListAction", "x\n[one\ntwo\n]three", "x\n# one\n# two|\nthree"},
      {"OrderedListAction", "\u0416|", "# \u0416|"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Action) + ": " + c.Before);
    SetMarked(Editor(), QString::fromUtf8(c.Before));
    Editor()->SendScintilla(QsciScintilla::SCI_EMPTYUNDOBUFFER);
    const QString before = Marked(Editor());
    Idle();
    Module->Action(QLatin1String(c.Action))->trigger();
    EXPECT_EQ(Marked(Editor()), QString::fromUtf8(c.After));
    if (Marked(Editor()) == before) continue;
    // One undo brings back the text, the caret and the selection.
    Idle();
    Module->Action(QStringLiteral("UndoAction"))->trigger();
    EXPECT_EQ(Marked(Editor()), before);
    EXPECT_FALSE(Editor()->isUndoAvailable());
  }
}

// A picture the pages cannot reach is copied into the theme folder's img when the user agrees;
// one already there under that name is replaced only after a second Yes.
TEST_F(MainWindowTest, InsertImageAddressesTheFileFromThePagesAndShowsPictures) {
  Write(QStringLiteral("i/site.iklproj"), Project("[index.html]"));
  Write(QStringLiteral("i/pics/b.gif"), "GIF89a");
  Write(QStringLiteral("other/b.gif"), "GIF87a");
  Write(QStringLiteral("i/template/img/portrait.svg"), "<svg/>");
  Start(Path(QStringLiteral("i/site.iklproj")));
  Module->BuildSite();  // the output folder, where the dialog starts
  QString startFolder;
  bool preview = false;
  const struct {
    const char* File;
    QList<int> Answers;
    const char* Inserted;
    QByteArray Copy;  // what the theme's img/b.gif holds afterwards
  } cases[] = {
      {"i/pics/b.gif", {QMessageBox::No}, "[logo]", ""},
      {"i/pics/b.gif", {QMessageBox::Yes}, "![[img/b.gif] alt=\"logo\"]", "GIF89a"},
      {"i/template/img/portrait.svg", {}, "![[img/portrait.svg] alt=\"logo\"]", "GIF89a"},
      {"other/b.gif", {QMessageBox::Yes, QMessageBox::No}, "[logo]", "GIF89a"},
      {"other/b.gif", {QMessageBox::Yes, QMessageBox::Yes}, "![[img/b.gif] alt=\"logo\"]", "GIF87a"},
      {"", {}, "[logo]", "GIF87a"},  // cancelled: nothing changes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    Module->ChooseFile = [&](QFileDialog* dialog) {
      startFolder = dialog->directory().absolutePath();
      preview = dialog->findChild<QLabel*>(QStringLiteral("ImagePreview")) != nullptr;
      return *c.File ? Path(QLatin1String(c.File)) : QString();
    };
    QList<int> answers = c.Answers;
    Module->AskYesNo = [&](const QString&, const QString&) { return answers.isEmpty() ? int(QMessageBox::Cancel) : answers.takeFirst(); };
    SetMarked(Editor(), QStringLiteral("[logo]"));
    Module->Action(QStringLiteral("InsertImageAction"))->trigger();
    EXPECT_EQ(Marked(Editor()), QLatin1String(c.Inserted));
    EXPECT_TRUE(answers.isEmpty());
    QFile copy(Path(QStringLiteral("i/template/img/b.gif")));
    copy.open(QIODevice::ReadOnly);
    EXPECT_EQ(copy.readAll(), c.Copy);
  }
  EXPECT_EQ(startFolder + u'/', Module->GetOutputFolder());
  EXPECT_TRUE(preview);
}

TEST_F(MainWindowTest, EveryShortcutReachesItsCommandFromTheEditor) {
  Write(QStringLiteral("s/site.iklproj"), Project("$preview http://localhost/\r\n[index.html]\r\na"));
  Start(Path(QStringLiteral("s/site.iklproj")));
  Module->ShowError = [](const QString&) {};
  Module->ChooseFile = [](QFileDialog*) { return QString(); };
  MainForm->show();
  MainForm->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
  QStringList checked, skipped;
  for (TAction* action : Module->Actions()) {
    if (action->shortcut().isEmpty()) continue;
    SCOPED_TRACE(action->objectName().toStdString());
    // Every command finds what it needs: text, a selection, something to undo, a clipboard.
    Editor()->setText(QStringLiteral("some text"));
    Editor()->SendScintilla(QsciScintilla::SCI_SETEMPTYSELECTION, 9L);
    QTest::keyClicks(Editor(), QStringLiteral(" more"));
    Editor()->setCursorPosition(0, 0);
    QTest::keyClicks(Editor(), QStringLiteral("x"));
    Editor()->undo();  // something to undo and something to redo
    Editor()->setSelection(0, 0, 0, 4);
    QApplication::clipboard()->setText(QStringLiteral("clip"));
    Idle();
    if (!action->isEnabled()) {
      skipped.append(action->objectName());
      continue;
    }
    MainForm->activateWindow();  // back from a dialog the last command opened
    ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
    Editor()->setFocus();
    QSignalSpy triggered(action, &QAction::triggered);
    const QKeyCombination key = action->shortcut()[0];
    if (action->objectName() == QLatin1String("DeleteAction")) {
      QTest::keyClick(Editor(), key.key(), key.keyboardModifiers());
      EXPECT_FALSE(Module->GetText().startsWith(QStringLiteral("some")));  // the selection went
      continue;
    }
    if (action->objectName() == QLatin1String("ExitAction")) {
      Module->SetModified(true);
      Answer = QMessageBox::Cancel;  // the window stays
    }
    // A dialog the command opens is closed as soon as it runs.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
      if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
    });
    closer.start(10);
    QTest::keyClick(Editor(), key.key(), key.keyboardModifiers());
    EXPECT_EQ(triggered.count(), 1) << action->shortcut().toString().toStdString();
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window != MainForm && window->isVisible() && window->inherits("QDialog")) window->close();
    checked.append(action->objectName());
  }
  // Find Next has nothing to find yet here; its key is pressed in the search tests.
  EXPECT_EQ(skipped, QStringList{QStringLiteral("FindNextAction")}) << checked.join(u' ').toStdString();
  EXPECT_GE(checked.size(), 18) << checked.join(u' ').toStdString();
}

TEST_F(MainWindowTest, DoubleClickShowsASectionMidEditorBelowWrappedLines) {
  Start();
  MainForm->resize(700, 500);
  MainForm->show();
  QString text;
  for (int i = 0; i < 60; ++i) text += QString(400, u'w').replace(QStringLiteral("ww"), QStringLiteral("w ")) + QStringLiteral("\r\n");
  Editor()->setText(text + QStringLiteral("[target.html]\r\nhere\r\n") + QStringLiteral("x\r\n").repeated(200));
  QCoreApplication::processEvents();
  Idle();
  MainForm->JumpToEntry(MainForm->ContentListView()->item(1));
  QCoreApplication::processEvents();
  const long rows = Editor()->SendScintilla(QsciScintilla::SCI_LINESONSCREEN);
  const long row = Editor()->SendScintilla(QsciScintilla::SCI_VISIBLEFROMDOCLINE, 61);
  const long first = Editor()->SendScintilla(QsciScintilla::SCI_GETFIRSTVISIBLELINE);
  EXPECT_GT(row, 61);  // the lines above do wrap
  EXPECT_NEAR(row - first, rows / 2, 1);
}


// Another program's change to the project file is never overwritten unasked: Save asks whose
// text the file keeps, and coming back to the window offers to read an unchanged text again.
TEST_F(MainWindowTest, ChangesAnotherProgramMadeToTheProjectAreNotOverwritten) {
  const QString file = Path(QStringLiteral("c/site.iklproj"));
  Write(QStringLiteral("c/site.iklproj"), Project("mine"));
  Start(file);
  Module->ShowError = [](const QString& message) { ADD_FAILURE() << message.toStdString(); };
  const auto changeOnDisk = [&](const char* text) { Write(QStringLiteral("c/site.iklproj"), Project(text)); };
  int reload = QMessageBox::No;
  QStringList offers;
  Module->AskYesNo = [&](const QString&, const QString& text) {
    offers.append(text);
    return reload;
  };
  changeOnDisk("theirs");
  Module->CheckProjectOnDisk();
  Module->CheckProjectOnDisk();  // declined once: that version is not offered again
  EXPECT_EQ(offers.size(), 1);
  EXPECT_EQ(Module->GetText(), QStringLiteral("mine"));
  changeOnDisk("theirs again");
  reload = QMessageBox::Yes;
  MainForm->show();
  MainForm->activateWindow();
  for (int i = 0; i < 250 && Module->GetText() != QStringLiteral("theirs again"); ++i) QTest::qWait(20);
  EXPECT_EQ(Module->GetText(), QStringLiteral("theirs again"));

  // With typed text the window only asks at the save: Cancel keeps both, No reads theirs, Yes
  // writes ours.
  const auto typeAndSave = [&](int answer, const char* onDisk) {
    Editor()->append(QStringLiteral(" typed"));
    changeOnDisk(onDisk);
    Module->CheckProjectOnDisk();
    Answer = answer;
    Module->Action(QStringLiteral("SaveAction"))->trigger();
  };
  const int before = offers.size();
  typeAndSave(QMessageBox::Cancel, "changed by hand");
  EXPECT_EQ(offers.size(), before);
  EXPECT_EQ(Questions.size(), 1);
  EXPECT_EQ(TProjectFile::Read(file).Text, QStringLiteral("changed by hand"));
  EXPECT_TRUE(Module->IsModified());
  typeAndSave(QMessageBox::No, "changed by hand");
  EXPECT_EQ(Module->GetText(), QStringLiteral("changed by hand"));
  EXPECT_FALSE(Module->IsModified());
  typeAndSave(QMessageBox::Yes, "changed again");
  EXPECT_EQ(TProjectFile::Read(file).Text, QStringLiteral("changed by hand typed"));
  EXPECT_EQ(Questions.size(), 3);
  // Saved here and unchanged since: no question.
  Editor()->append(QStringLiteral("!"));
  Module->Action(QStringLiteral("SaveAction"))->trigger();
  EXPECT_EQ(Questions.size(), 3);
}

// A U+0000 is part of the text like any character: reading the text never stops there, and a
// save is refused naming its line instead of writing a cut text.
TEST_F(MainWindowTest, ANulCharacterNeitherCutsTheTextNorReachesTheFile) {
  Write(QStringLiteral("n/site.iklproj"), Project("kept"));
  Start(Path(QStringLiteral("n/site.iklproj")));
  QStringList errors;
  Module->ShowError = [&errors](const QString& message) { errors.append(message); };
  const QString text = QStringLiteral("one\r\nx") + QChar(0) + QStringLiteral("y\r\nthree");
  Module->SetText(text);
  Module->SetModified(true);
  EXPECT_EQ(Module->GetText(), text);
  EXPECT_THROW(Module->SaveProject(Module->FileName()), EInkloomError);
  Answer = QMessageBox::Yes;
  EXPECT_FALSE(MainForm->close());
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains(QStringLiteral("2"))) << errors[0].toStdString();
  EXPECT_TRUE(errors[0].contains(QStringLiteral("U+0000"))) << errors[0].toStdString();
  EXPECT_EQ(TProjectFile::Read(Path(QStringLiteral("n/site.iklproj"))).Text, QStringLiteral("kept"));
}

// A damaged project, a FIFO or a device is refused with a message, and the open project stays
// as it was, so nothing is later saved over the damaged file.
TEST_F(MainWindowTest, AFileThatCannotBeAProjectIsNotOpened) {
  Write(QStringLiteral("d/good.iklproj"), Project("good"));
  Write(QStringLiteral("d/bad.iklproj"), "<iklproj><content>a & b</content></iklproj>");
  ASSERT_EQ(::mkfifo(Path(QStringLiteral("d/fifo.iklproj")).toLocal8Bit().constData(), 0600), 0);
  Start(Path(QStringLiteral("d/good.iklproj")));
  for (const char* name : {"d/bad.iklproj", "d/fifo.iklproj"}) {
    EXPECT_THROW(Module->OpenProject(Path(QLatin1String(name))), EInkloomError) << name;
    EXPECT_EQ(Module->FileName(), Path(QStringLiteral("d/good.iklproj")));
    EXPECT_EQ(Module->GetText(), QStringLiteral("good"));
    EXPECT_FALSE(Module->ProjectDocument().isNull());
  }
}

// Opened and saved projects enter the list, newest first and at most ten; a deleted one drops
// out; the File menu and the welcome dialog of the next run offer them.
TEST_F(MainWindowTest, RecentProjectsInTheFileMenuAndTheWelcomeDialog) {
  WriteSettings("ShowWelcomeScreenAtStartup=0\r\n");
  Start();
  auto name = [this](int i) { return Path(QStringLiteral("p%1/site & co.iklproj").arg(i)); };
  for (int i = 0; i < 12; ++i) {
    Write(QStringLiteral("p%1/site & co.iklproj").arg(i), Project("text"));
    Module->OpenProject(name(i));
  }
  QFile::remove(name(10));
  Editor()->setText(QStringLiteral("unsaved"));
  Module->NewProject();
  auto* menu = MainForm->findChild<QMenu*>(QStringLiteral("FileMenu"));
  Q_EMIT menu->aboutToShow();
  QStringList texts;
  for (QAction* item : menu->actions())
    if (item->objectName().startsWith(QLatin1String("RecentProject"))) texts.append(item->text() + u'|' + item->shortcut().toString());
  QStringList expected;
  for (int i : {11, 9, 8, 7, 6, 5, 4, 3, 2})
    expected.append(QStringLiteral("&%1 %2|Alt+%1").arg(expected.size() + 1).arg(name(i).replace(u'&', QStringLiteral("&&"))));
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(menu->actions().last(), Module->Action(QStringLiteral("ExitAction")));
  menu->actions().at(menu->actions().indexOf(Module->Action(QStringLiteral("OptionsAction"))) + 3)->trigger();  // the third
  EXPECT_EQ(Module->FileName(), name(8));
  Module->SetShowWelcomeScreen(true);
  Stop();
  RunDialog = [](QDialog* welcome) {
    EXPECT_EQ(welcome->findChild<QLabel*>(QStringLiteral("RecentLabel"))->text(), QStringLiteral("Недавние проекты:"));
    welcome->findChild<QPushButton*>(QStringLiteral("RecentLink2"))->click();
    return welcome->result();
  };
  Start();
  EXPECT_EQ(Module->FileName(), name(11));
}
