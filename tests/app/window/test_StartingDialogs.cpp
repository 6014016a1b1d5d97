// Starting a site: the new-project wizard, the welcome dialog and the options dialog, each run
// by the real module and main window.

#include "MainWindowFixture.h"
#include "services/NewSiteProject.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProcess>

namespace {

class StartingDialogs : public MainWindowTest {
 protected:
  // A themes folder: a folder theme with a title and a project text, an archive without either,
  // a hidden entry and a file that is no theme.
  void MakeThemes() {
    Write(QStringLiteral("themes/blog/index.html"), "<html><body><nav>{menu}</nav>{content}</body></html>");
    Write(QStringLiteral("themes/blog/style.css"), "body{}");
    Write(QStringLiteral("themes/blog/info.xml"),
          "<theme><title>My Blog</title><project>[menu]\n* *[index.html Home]\n[index.html]\n= Hello</project></theme>");
    QDir().mkpath(Path(QStringLiteral("zipped")));
    Write(QStringLiteral("zipped/index.html"), "<html>{content}</html>");
    QProcess zip;
    zip.setWorkingDirectory(Path(QStringLiteral("zipped")));
    zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), Path(QStringLiteral("themes/Shop.ikltheme")), QStringLiteral("index.html")});
    ASSERT_TRUE(zip.waitForFinished(20000));
    Write(QStringLiteral("themes/.hidden/index.html"), "x");
    WriteSettings("DefaultThemesPath=" + Path(QStringLiteral("themes")).toUtf8() + "\r\nDefaultProjectPath=" +
                  Path(QStringLiteral("projects")).toUtf8() + "\r\nShowWelcomeScreenAtStartup=0\r\n");
  }
  // Runs the wizard: fill sets its fields, then Create is pressed as Enter does. Its message
  // boxes are answered with Reply and noted in Told, with "(No)" after a question whose default
  // button is No.
  bool RunWizard(const std::function<void(QDialog*)>& fill) {
    bool created = false;
    RunDialog = [&](QDialog* dialog) {
      if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        Told.append(box->text() + (box->defaultButton() == box->button(QMessageBox::No) ? "(No)" : ""));
        return Reply;
      }
      dialog->show();  // Enter reaches the default button of a dialog on the screen
      fill(dialog);
      QTest::keyClick(dialog->findChild<QLineEdit*>(QStringLiteral("NameEdit")), Qt::Key_Return);
      created = dialog->result() == QDialog::Accepted;
      return dialog->result();
    };
    Module->Action(QStringLiteral("NewAction"))->trigger();
    RunDialog = nullptr;
    return created;
  }
  static void Choose(QDialog* wizard, const QString& name, int theme) {
    wizard->findChild<QLineEdit*>(QStringLiteral("NameEdit"))->setText(name);
    wizard->findChild<QListWidget*>(QStringLiteral("ThemeListView"))->setCurrentRow(theme);
  }
  int Build(const QString& project) const {
    QProcess build;
    build.start(QStringLiteral(INKLOOM_BINARY_DIR "/inkloom"), {QStringLiteral("--build"), project});
    build.waitForFinished(60000);
    return build.exitCode();
  }
  QStringList Told;
  int Reply = QMessageBox::No;
};

}  // namespace

TEST_F(StartingDialogs, TheWizardMakesAProjectFromEachThemeThatBuilds) {
  MakeThemes();
  Start();
  QStringList captions;
  RunWizard([&](QDialog* wizard) {
    auto* list = wizard->findChild<QListWidget*>(QStringLiteral("ThemeListView"));
    for (int i = 0; i < list->count(); ++i) captions.append(list->item(i)->text());
    wizard->reject();
  });
  EXPECT_EQ(captions, (QStringList{"HTML", "My Blog", "Shop"}));

  const struct {
    int Theme;
    const char* Name;
    const char* FirstLine;
  } cases[] = {{0, "Plain", "$charset utf-8"}, {1, "Blog", "[menu]"}, {2, "Shop", "$charset utf-8"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    ASSERT_TRUE(RunWizard([&](QDialog* wizard) { Choose(wizard, QString::fromUtf8(c.Name), c.Theme); }));
    const QString project = Path(QStringLiteral("projects/%1/%1.iklproj").arg(QString::fromUtf8(c.Name)));
    EXPECT_EQ(Module->FileName(), project);
    EXPECT_EQ(Caption(), QStringLiteral("Inkloom - %1*").arg(QString::fromUtf8(c.Name)));
    EXPECT_TRUE(Module->GetText().startsWith(QLatin1String(c.FirstLine))) << Module->GetText().toStdString();
    EXPECT_TRUE(QFileInfo::exists(QFileInfo(project).path() + QStringLiteral("/template/index.html")));
    EXPECT_FALSE(QFileInfo::exists(project));  // written by the first save only
    Module->Action(QStringLiteral("SaveAction"))->trigger();
    EXPECT_EQ(Build(project), 0);
    EXPECT_TRUE(QFileInfo::exists(QFileInfo(project).path() + QStringLiteral("/html/index.html")));
  }
  // The starting text of the built-in entry, in Russian.
  ASSERT_TRUE(RunWizard([&](QDialog* wizard) { Choose(wizard, QStringLiteral("Plain2"), 0); }));
  EXPECT_EQ(Module->GetText().split(QStringLiteral("\r\n")).value(6), QStringLiteral("== \u041c\u043e\u0439 \u0412\u0435\u0431 \u043f\u0440\u043e\u0435\u043a\u0442"));
}

TEST_F(StartingDialogs, ANewUserMakesAProjectFromEachShippedThemePreviewsAndSavesIt) {
  const QByteArray themes = INKLOOM_BINARY_DIR "/share/inkloom/themes";
  WriteSettings("DefaultThemesPath=" + themes + "\r\nDefaultProjectPath=" + Path(QStringLiteral("projects")).toUtf8() + "\r\n");
  Start();
  ASSERT_EQ(Dialogs.value(0), QStringLiteral("WelcomeForm"));  // a first start greets the user
  MainForm->show();
  const int count = static_cast<int>(TNewSiteProject::ListThemes(QString::fromUtf8(themes), TModule::GetThemeExtension()).size());
  ASSERT_GE(count, 4);  // "HTML" and at least three shipped themes
  for (int theme = 1; theme < count; ++theme) {
    const QString name = QStringLiteral("Site%1").arg(theme);
    SCOPED_TRACE(name.toStdString());
    // The last one asks the wizard to preview the new site itself.
    const bool previewAtOnce = theme == count - 1;
    bool created = false;
    const auto wizard = [&] {
      created = RunWizard([&](QDialog* wizard) {
        Choose(wizard, name, theme);
        wizard->findChild<QCheckBox*>(QStringLiteral("PreviewCheckBox"))->setChecked(previewAtOnce);
      });
    };
    const auto preview = [] { Module->Action(QStringLiteral("PreviewAction"))->trigger(); };
    if (!previewAtOnce) {
      wizard();
      Editor()->setCursorPosition(0, 0);
    }
    const QString shown = InPreview(previewAtOnce ? std::function<void()>(wizard) : preview, [](TBrowserForm*) {});
    ASSERT_TRUE(created);
    EXPECT_GT(shown.trimmed().size(), 100) << shown.toStdString();
    Module->Action(QStringLiteral("SaveAction"))->trigger();
    EXPECT_FALSE(Module->IsModified());
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("projects/%1/%1.iklproj").arg(name))));
  }
}

// The template folder is the theme of every project beside it: the question names the project
// that would lose it, and Enter (No) keeps it.
TEST_F(StartingDialogs, CreatingWhereAThemeIsAsksNamingItsProjectAndReplacesItOnlyAfterYes) {
  MakeThemes();
  const struct {
    const char* Existing;  // the project already in the folder
    const char* Created;
    const char* Named;     // in the question
  } cases[] = {{"Blog", "Blog", "\"Blog\""}, {"SiteA", "SiteB", "\"SiteA\""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Created);
    const QString folder = QStringLiteral("projects/") + QLatin1String(c.Existing);
    Write(folder + QStringLiteral("/") + QLatin1String(c.Existing) + QStringLiteral(".iklproj"), Project("old"));
    Write(folder + QStringLiteral("/template/mine.css"), "mine");
    Start();
    const auto create = [&] {
      return RunWizard([&](QDialog* wizard) {
        Choose(wizard, QLatin1String(c.Created), 1);
        wizard->findChild<QLineEdit*>(QStringLiteral("FolderEdit"))->setText(Path(folder));
      });
    };
    Told.clear();
    Reply = QMessageBox::No;
    EXPECT_FALSE(create());
    ASSERT_EQ(Told.size(), 1);
    EXPECT_TRUE(Told[0].contains(QLatin1String(c.Named))) << Told[0].toStdString();
    EXPECT_TRUE(Told[0].endsWith(QStringLiteral("(No)")));
    EXPECT_TRUE(QFileInfo::exists(Path(folder + QStringLiteral("/template/mine.css"))));
    Reply = QMessageBox::Yes;
    EXPECT_TRUE(create());
    EXPECT_EQ(Told.size(), 2);
    EXPECT_FALSE(QFileInfo::exists(Path(folder + QStringLiteral("/template/mine.css"))));
    EXPECT_TRUE(QFileInfo::exists(Path(folder + QStringLiteral("/template/style.css"))));
    Module->SetModified(false);
    Stop();
  }
}

// What cannot make a project whose file and template folder meet is refused with a message, and
// the wizard stays open; an empty themes folder still offers the built-in theme.
TEST_F(StartingDialogs, TheWizardRefusesNoFolderAndNamesWithSeparatorsAndAlwaysOffersHTML) {
  QDir().mkpath(Path(QStringLiteral("empty-themes")));
  WriteSettings("DefaultThemesPath=" + Path(QStringLiteral("empty-themes")).toUtf8() + "\r\nDefaultProjectPath=" +
                Path(QStringLiteral("projects")).toUtf8() + "\r\nShowWelcomeScreenAtStartup=0\r\n");
  Start();
  const struct {
    const char* Name;
    const char* Folder;  // below the temporary folder; null: none
  } cases[] = {{"Site", nullptr}, {"a/b", "projects/x"}, {"a\\b", "projects/x"}, {"Good", "projects/Good"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Told.clear();
    QStringList themes;
    const bool created = RunWizard([&](QDialog* wizard) {
      auto* list = wizard->findChild<QListWidget*>(QStringLiteral("ThemeListView"));
      for (int i = 0; i < list->count(); ++i) themes.append(list->item(i)->text());
      Choose(wizard, QLatin1String(c.Name), 0);
      wizard->findChild<QLineEdit*>(QStringLiteral("FolderEdit"))->setText(c.Folder ? Path(QLatin1String(c.Folder)) : QString());
    });
    EXPECT_EQ(themes, QStringList{"HTML"});
    const bool good = QLatin1String(c.Name) == QLatin1String("Good");
    EXPECT_EQ(created, good);
    EXPECT_EQ(Told.size(), good ? 0 : 1);
    EXPECT_EQ(Module->FileName().isEmpty(), !good);
  }
  EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("projects/Good/template/index.html"))));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("projects/x"))));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("projects/a"))));
}

TEST_F(StartingDialogs, TheWizardFollowsTheNameAndRefusesWhatCannotBeCreated) {
  WriteSettings("DefaultThemesPath=" + Path(QStringLiteral("no-themes")).toUtf8() + "\r\nDefaultProjectPath=/p/\r\nShowWelcomeScreenAtStartup=0\r\n");
  Start();
  RunWizard([&](QDialog* wizard) {
    auto* name = wizard->findChild<QLineEdit*>(QStringLiteral("NameEdit"));
    auto* folder = wizard->findChild<QLineEdit*>(QStringLiteral("FolderEdit"));
    auto* create = wizard->findChild<QPushButton*>(QStringLiteral("CreateButton"));
    EXPECT_EQ(folder->text(), QStringLiteral("/p/"));
    QTest::keyClicks(name, QStringLiteral("Shop"));
    EXPECT_EQ(folder->text(), QStringLiteral("/p/Shop"));
    QTest::keyClicks(name, QStringLiteral("2"));
    EXPECT_EQ(folder->text(), QStringLiteral("/p/Shop2"));
    folder->setText(QStringLiteral("/p/Other"));
    QTest::keyClicks(name, QStringLiteral("3"));
    EXPECT_EQ(folder->text(), QStringLiteral("/p/Other"));
    // No themes folder: the built-in entry all the same.
    EXPECT_EQ(wizard->findChild<QListWidget*>(QStringLiteral("ThemeListView"))->count(), 1);
    EXPECT_TRUE(create->isEnabled());
    name->setText(QStringLiteral("   "));
    EXPECT_FALSE(create->isEnabled());
  });
  EXPECT_TRUE(Module->FileName().isEmpty());
}

TEST_F(StartingDialogs, NewAsksBeforeUnsavedTextGoes) {
  MakeThemes();
  Start();
  Editor()->setText(QStringLiteral("unsaved"));
  Module->SetModified(true);
  for (int answer : {int(QMessageBox::Cancel), int(QMessageBox::No)}) {
    Dialogs.clear();
    Questions.clear();
    Answer = answer;
    Module->Action(QStringLiteral("NewAction"))->trigger();
    EXPECT_EQ(Questions.size(), 1);
    EXPECT_EQ(Dialogs.contains(QStringLiteral("NewSiteForm")), answer == QMessageBox::No) << answer;
    EXPECT_EQ(Module->GetText(), QStringLiteral("unsaved"));  // the wizard was cancelled: nothing replaced
  }
}

TEST_F(StartingDialogs, TheWelcomeDialogsChoicesAndItsCheckBox) {
  MakeThemes();
  Write(QStringLiteral("p/site.iklproj"), Project("opened"));
  const struct {
    const char* Link;
    bool KeepShowing;
  } cases[] = {{"OpenLink", false}, {"SupportLink", true}, {"NewSiteLink", true}, {"CloseButton", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Link);
    Chosen = Path(QStringLiteral("p/site.iklproj"));
    RunDialog = [&](QDialog* dialog) {
      if (dialog->objectName() != QLatin1String("WelcomeForm")) return int(QDialog::Rejected);
      dialog->findChild<QCheckBox*>(QStringLiteral("ShowCheckBox"))->setChecked(c.KeepShowing);
      dialog->findChild<QPushButton*>(QLatin1String(c.Link))->click();
      return dialog->result();
    };
    Dialogs.clear();
    WriteSettings("ShowWelcomeScreenAtStartup=1\r\n");
    Start();
    EXPECT_EQ(Dialogs.value(0), QStringLiteral("WelcomeForm"));
    if (QLatin1String(c.Link) == QLatin1String("OpenLink")) EXPECT_EQ(Module->GetText(), QStringLiteral("opened"));
    if (QLatin1String(c.Link) == QLatin1String("NewSiteLink")) EXPECT_EQ(Dialogs.value(1), QStringLiteral("NewSiteForm"));
    if (QLatin1String(c.Link) == QLatin1String("SupportLink")) {
      EXPECT_TRUE(ShownHelp().endsWith(QStringLiteral("/help/ru/getting-started.html")));
      THelpWindow::Current()->close();
    }
    EXPECT_EQ(Module->GetShowWelcomeScreen(), c.KeepShowing);
    Stop();
  }
}

TEST_F(StartingDialogs, OptionsAreKeptAcrossRunsAndCancelKeepsNothing) {
  Start();
  auto edit = [&](bool ok) {
    RunDialog = [ok](QDialog* options) {
      options->findChild<QLineEdit*>(QStringLiteral("ProjectPathEdit"))->setText(QStringLiteral("/sites"));
      options->findChild<QLineEdit*>(QStringLiteral("ThemesPathEdit"))->setText(QStringLiteral("/themes/mine"));
      options->findChild<QCheckBox*>(QStringLiteral("WelcomeScreenCheckBox"))->setChecked(false);
      options->findChild<QComboBox*>(QStringLiteral("LanguageComboBox"))->setCurrentIndex(0);
      options->findChild<QPushButton*>(QLatin1String(ok ? "OkButton" : "CancelButton"))->click();
      return options->result();
    };
    Module->Action(QStringLiteral("OptionsAction"))->trigger();
  };
  edit(false);
  EXPECT_TRUE(Module->GetShowWelcomeScreen());
  EXPECT_EQ(Module->GetLanguage(), 1049);
  edit(true);
  EXPECT_EQ(Module->Action(QStringLiteral("OpenAction"))->text(), QStringLiteral("Open..."));  // at once
  Stop();
  Start();
  EXPECT_EQ(Module->GetDefaultProjectPath(), QStringLiteral("/sites/"));
  EXPECT_EQ(Module->GetDefaultThemesPath(), QStringLiteral("/themes/mine/"));
  EXPECT_FALSE(Module->GetShowWelcomeScreen());
  EXPECT_EQ(Module->GetLanguage(), 1033);
  Module->SetLanguage(1049);
}
