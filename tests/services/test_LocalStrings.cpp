// Text tables: applying a language to a window's components, message lookups, the registry and
// the localizer, the editing view, translation export and import.

#include "services/Action.h"
#include "services/ActionHandler.h"
#include "services/LocalStrings.h"
#include "services/Localization.h"
#include "services/Localizer.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QObject>
#include <QStringList>

#include <memory>

namespace {

// A window stand-in: an owner with a few named components whose texts are Qt properties.
class TWindow {
 public:
  explicit TWindow(const QString& name) : Owner(std::make_unique<QObject>()) {
    Owner->setObjectName(name);
    Owner->setProperty("Caption", QString());
    Table = new TLocalStrings(Owner.get());
  }

  QObject* Component(const QString& name, const char* property, const QVariant& value) {
    auto* component = new QObject(Owner.get());
    component->setObjectName(name);
    component->setProperty(property, value);
    return component;
  }

  std::unique_ptr<QObject> Owner;
  TLocalStrings* Table;
};

// The registry is one for the process: every test starts and ends without a language.
class LocalStringsTest : public ::testing::Test {
 protected:
  TLocalizer Localizer;

  void SetUp() override {
    Localizer.SetDefaultLangId(1033);
    Localizer.SetLangId(0);
  }
  void TearDown() override {
    Localizer.SetLangId(0);
    Localizer.SetDefaultLangId(0);
  }
};

const char* const SearchTable =
    "[1033]\n"
    "TextSearchDialog.Caption=Search Text\n"
    "rgSearchDirection.Items[0]=&Forward\n"
    "rgSearchDirection.Items[1]=&Backward\n"
    "NoSuchButton.Caption=nothing\n"
    "btnOK.Caption=  OK  \n"
    "Message=Line one\\rLine two\\nstays\n"
    "OnlyEnglish=English only\n"
    "[1049]\n"
    "TextSearchDialog.Caption=Найти текст\n"
    "rgSearchDirection.Items[5]=out of range\n"
    "rgSearchDirection.Items[x]=not a number\n"
    "rgSearchDirection.Items[1]x=trailing text\n"
    "rgSearchDirection.Items[1]=Назад\n"
    "btnOK.Font.Name=Arial\n"
    "btnOK.Caption=ОК\n"
    "Message=Строка\n";

TEST_F(LocalStringsTest, ApplyingALanguageSetsTheTextsItNames) {
  TWindow window(QStringLiteral("TextSearchDialog"));
  QObject* direction = window.Component(QStringLiteral("rgSearchDirection"), "Items",
                                        QStringList{QString(), QString()});
  QObject* ok = window.Component(QStringLiteral("btnOK"), "Caption", QString());
  window.Table->SetTableText(QString::fromUtf8(SearchTable));
  int localized = 0;
  QObject::connect(window.Table, &TLocalStrings::OnLocalize, [&](TLocalStrings* sender) {
    EXPECT_EQ(sender, window.Table);
    ++localized;
  });

  window.Table->Localize(1033);
  EXPECT_EQ(window.Owner->property("Caption").toString(), QStringLiteral("Search Text"));
  EXPECT_EQ(direction->property("Items").toStringList(), (QStringList{"&Forward", "&Backward"}));
  EXPECT_EQ(ok->property("Caption").toString(), QStringLiteral("OK"));

  window.Table->Localize(1049);
  EXPECT_EQ(window.Owner->property("Caption").toString(), QStringLiteral("Найти текст"));
  EXPECT_EQ(direction->property("Items").toStringList(), (QStringList{"&Forward", "Назад"}));
  EXPECT_EQ(ok->property("Caption").toString(), QStringLiteral("ОК"));
  EXPECT_FALSE(ok->dynamicPropertyNames().contains("Font.Name"));
  EXPECT_EQ(window.Table->LangId(), 1049);

  // A language without a section keeps the texts in place.
  window.Table->Localize(1031);
  EXPECT_EQ(window.Owner->property("Caption").toString(), QStringLiteral("Найти текст"));
  EXPECT_EQ(localized, 3);
}

TEST_F(LocalStringsTest, MessagesFallBackToTheDefaultLanguage) {
  TWindow window(QStringLiteral("TextSearchDialog"));
  window.Table->SetTableText(QString::fromUtf8(SearchTable));
  window.Table->Localize(1049);
  EXPECT_EQ(window.Table->GetString(QStringLiteral("Message")), QStringLiteral("Строка"));
  EXPECT_EQ(window.Table->GetString(QStringLiteral("OnlyEnglish")), QStringLiteral("English only"));
  EXPECT_EQ(window.Table->GetString(QStringLiteral("Missing")), QString());
  window.Table->Localize(1031);
  EXPECT_EQ(window.Table->GetString(QStringLiteral("message")),
            QStringLiteral("Line one\nLine two\\nstays"));
  Localizer.SetDefaultLangId(0);
  EXPECT_EQ(window.Table->GetString(QStringLiteral("OnlyEnglish")), QString());
}

TEST_F(LocalStringsTest, TheOwnerIsNamedExactlyAndComponentsWithoutRegardToCase) {
  TWindow window(QStringLiteral("MainForm"));
  QObject* twin = window.Component(QStringLiteral("mainform"), "Caption", QString());
  QObject* panel = window.Component(QStringLiteral("ContentPanel"), "Caption", QString());
  window.Table->SetTableText(QStringLiteral("[1033]\nMAINFORM.Caption=twin\ncontentpanel.Caption=Content\n"));
  window.Table->Localize(1033);
  EXPECT_EQ(window.Owner->property("Caption").toString(), QString());
  EXPECT_EQ(twin->property("Caption").toString(), QStringLiteral("twin"));
  EXPECT_EQ(panel->property("Caption").toString(), QStringLiteral("Content"));
}

TEST_F(LocalStringsTest, CaptionAndHintReachQtTextProperties) {
  TWindow window(QStringLiteral("Module"));
  auto* plain = new QAction(window.Owner.get());
  plain->setObjectName(QStringLiteral("PlainAction"));
  auto* action = new TAction(window.Owner.get());
  action->setObjectName(QStringLiteral("NewAction"));
  window.Table->SetTableText(QStringLiteral(
      "[1033]\nPlainAction.Caption=Plain\nPlainAction.Hint=Short|Long text\n"
      "NewAction.Caption=New...\nNewAction.Hint=New|Creates a project\nNewAction.ImageIndex=3\n"));
  window.Table->Localize(1033);
  EXPECT_EQ(plain->text(), QStringLiteral("Plain"));
  EXPECT_EQ(plain->toolTip(), QStringLiteral("Short"));
  EXPECT_EQ(plain->statusTip(), QStringLiteral("Long text"));
  EXPECT_EQ(action->Caption(), QStringLiteral("New..."));
  EXPECT_EQ(action->Hint(), QStringLiteral("New|Creates a project"));
  EXPECT_EQ(action->toolTip(), QStringLiteral("New"));
  EXPECT_EQ(action->ImageIndex(), -1);
}

// A window inside the owner that has a table of its own keeps its components to that table.
TEST_F(LocalStringsTest, AnInnerWindowWithItsOwnTableIsNotReached) {
  TWindow outer(QStringLiteral("MainForm"));
  auto* inner = new QObject(outer.Owner.get());
  inner->setObjectName(QStringLiteral("TextSearchDialog"));
  auto* innerTable = new TLocalStrings(inner);
  auto* button = new QObject(inner);
  button->setObjectName(QStringLiteral("btnOK"));
  button->setProperty("Caption", QString());
  outer.Table->SetTableText(QStringLiteral("[1033]\nbtnOK.Caption=outer\nTextSearchDialog.Caption=x\n"));
  outer.Table->Localize(1033);
  EXPECT_EQ(button->property("Caption").toString(), QString());
  innerTable->SetTableText(QStringLiteral("[1033]\nbtnOK.Caption=inner\n"));
  innerTable->Localize(1033);
  EXPECT_EQ(button->property("Caption").toString(), QStringLiteral("inner"));
}

TEST_F(LocalStringsTest, TheLocalizerAppliesEveryTableAndNewTablesStartInItsLanguage) {
  TWindow first(QStringLiteral("First"));
  first.Table->SetTableText(QStringLiteral("[1033]\nFirst.Caption=one\n[1049]\nFirst.Caption=один\n"));
  QStringList order;
  QObject::connect(first.Table, &TLocalStrings::OnLocalize, [&] { order << QStringLiteral("first"); });
  {
    TWindow gone(QStringLiteral("Gone"));
    EXPECT_EQ(TLocalization::Instance().Tables().size(), 2);
  }
  EXPECT_EQ(TLocalization::Instance().Tables(), QList<TLocalStrings*>{first.Table});
  TWindow second(QStringLiteral("Second"));
  QObject::connect(second.Table, &TLocalStrings::OnLocalize, [&] { order << QStringLiteral("second"); });

  Localizer.SetLangId(1049);
  EXPECT_EQ(order, (QStringList{"first", "second"}));
  EXPECT_EQ(first.Owner->property("Caption").toString(), QStringLiteral("один"));

  TWindow later(QStringLiteral("Later"));
  later.Table->SetTableText(QStringLiteral("[1033]\nLater.Caption=late\n[1049]\nLater.Caption=поздно\n"));
  EXPECT_EQ(later.Table->LangId(), 1049);
  EXPECT_EQ(later.Owner->property("Caption").toString(), QString());
  later.Table->Loaded();
  EXPECT_EQ(later.Owner->property("Caption").toString(), QStringLiteral("поздно"));
}

TEST_F(LocalStringsTest, ALocalizedForwarderCaptionReachesItsTarget) {
  QObject module;
  auto* target = new TAction(&module);
  target->SetCaption(QStringLiteral("Upload"));
  TWindow publishing(QStringLiteral("FTPUploadModule"));
  auto* forwarder = new TActionHandler(publishing.Owner.get());
  forwarder->setObjectName(QStringLiteral("UploadAction"));
  forwarder->SetCaption(QStringLiteral("Upload"));
  forwarder->SetAction(target);
  publishing.Table->SetTableText(QStringLiteral("[1049]\nUploadAction.Caption=Публикация\n"));
  Localizer.SetLangId(1049);
  EXPECT_EQ(target->Caption(), QStringLiteral("Публикация"));
}

TEST_F(LocalStringsTest, TheEditingViewShowsTheWindowWithTheTableMergedIn) {
  TWindow window(QStringLiteral("OptionsForm"));
  window.Owner->setProperty("Caption", QStringLiteral("Options"));
  window.Component(QStringLiteral("OkButton"), "Caption", QStringLiteral("Ok"));
  window.Component(QStringLiteral("ProjectPathButton"), "Caption", QStringLiteral("..."));
  window.Component(QStringLiteral("Choices"), "Items", QStringList{"a", QString(), "c"});
  window.Component(QString(), "Caption", QStringLiteral("unnamed"));
  window.Table->SetTableText(QStringLiteral(
      "[1033]\nOkButton.Caption=OK\nGreeting=Hello\n[1049]\nOkButton.Caption=Ок\n"));
  window.Table->SetUnlocalizableNames({QStringLiteral("projectpathbutton.caption")});
  window.Table->Localize(1033);
  EXPECT_EQ(window.Table->Strings(),
            (QStringList{"[1033]", "OptionsForm.Caption=Options", "OkButton.Caption=OK",
                         "Choices.Items[0]=a", "Choices.Items[2]=c", "Greeting=Hello", QString(),
                         "[1049]", "OkButton.Caption=Ок"}));

  // Writing it back: the section's texts are applied, the texts it lacks become unlocalizable.
  window.Table->SetStrings({"[1033]", "OptionsForm.Caption=Settings", "Greeting=Hi"});
  EXPECT_EQ(window.Owner->property("Caption").toString(), QStringLiteral("Settings"));
  EXPECT_EQ(window.Table->GetString(QStringLiteral("Greeting")), QStringLiteral("Hi"));
  EXPECT_EQ(window.Table->UnlocalizableNames(),
            (QStringList{"projectpathbutton.caption", "OkButton.Caption", "Choices.Items[0]",
                         "Choices.Items[2]"}));
  EXPECT_FALSE(window.Table->Table().SectionExists(u"1049"));
}

TEST_F(LocalStringsTest, TranslationsExportAndImportTheCurrentLanguage) {
  TWindow main(QStringLiteral("MainForm"));
  TWindow empty(QStringLiteral("WelcomeForm"));
  TWindow options(QStringLiteral("OptionsForm"));
  main.Table->SetTableText(QStringLiteral("[1033]\nMainForm.Caption=Inkloom\n[1049]\nMainForm.Caption=Инклум\n"));
  empty.Table->SetTableText(QStringLiteral("[1049]\nWelcomeForm.Caption=x\n"));
  options.Table->SetTableText(QStringLiteral("[1033]\nOptionsForm.Caption=Options\nKey=Value\n"));
  Localizer.SetLangId(1033);
  EXPECT_EQ(Localizer.Strings(), (QStringList{"[MainForm]", "MainForm.Caption=Inkloom", QString(),
                                              "[OptionsForm]", "OptionsForm.Caption=Options", "Key=Value"}));

  Localizer.SetLangId(1031);
  Localizer.SetStrings({"[MainForm]", "MainForm.Caption=Hauptfenster", "[mainform]", "X=lost",
                        "[Nobody]", "A=B", "[OptionsForm]", "OptionsForm.Caption=Optionen"});
  EXPECT_EQ(main.Owner->property("Caption").toString(), QStringLiteral("Inkloom"));
  EXPECT_EQ(main.Table->Table().ReadSection(u"1031"), QStringList{"MainForm.Caption=Hauptfenster"});
  EXPECT_EQ(options.Table->Table().ReadSection(u"1031"), QStringList{"OptionsForm.Caption=Optionen"});
  EXPECT_EQ(options.Table->Table().ReadSection(u"1033"),
            (QStringList{"OptionsForm.Caption=Options", "Key=Value"}));
  Localizer.SetLangId(1031);
  EXPECT_EQ(main.Owner->property("Caption").toString(), QStringLiteral("Hauptfenster"));
}

TEST(LocalStringsFileTest, TheFileFormKeepsUnlocalizableNamesApart) {
  QObject owner;
  TLocalStrings table(&owner);
  table.SetTableText(QStringLiteral("[1033]\nA.Caption = a \n\n[UnlocalizableNames]\nB.Caption\n[1049]\nA.Caption=б\n"));
  EXPECT_EQ(table.UnlocalizableNames(), QStringList{"B.Caption"});
  EXPECT_EQ(table.TableText(), QStringLiteral("[1033]\nA.Caption=a\n\n[1049]\nA.Caption=б\n\n"
                                              "[UnlocalizableNames]\nB.Caption\n"));
  EXPECT_FALSE(table.Table().SectionExists(u"UnlocalizableNames"));
  table.SetUnlocalizableNames({});
  EXPECT_EQ(table.TableText(), QStringLiteral("[1033]\nA.Caption=a\n\n[1049]\nA.Caption=б\n"));
}

}  // namespace
