// The program's text tables as compiled in: every window and module has one, in English and
// Russian, with the same keys in both languages and the message keys its code looks up.

#include "services/ConfigDataFile.h"
#include "services/LocalStrings.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <map>

namespace {

// Each table and the message keys its window or module looks up.
const std::map<QString, QStringList>& Tables() {
  static const std::map<QString, QStringList> tables{
      {"Module", {"Title", "SaveChanges", "Untitled", "Project", "TextNotFound", "InvalidPattern",
                  "NoSelectionAvailable", "Warning", "GotoSection", "InvalidCharacter",
                  "SettingsNotSaved", "RestoreUnsaved", "CopyTemplate", "TemplateNotCopied",
                  "NoHandler", "NoBrowser", "ProjectChangedOnDisk", "ReloadChanged", "CopyImage", "ReplaceImage", "ImageNotCopied", "DefaultLinkText", "FolderType"}},
      {"MainForm", {"CaretPosition"}},
      {"Generator", {"SectionWithoutBracket", "UnknownSection", "ThemeNotFound", "ProblemAt", "WarningAt",
                     "CannotWrite", "RefusedReplace", "DamagedArchive", "NotAnArchive", "PageOutside",
                     "SectionRepeated", "TemplateNotFound", "ThemeLinkSkipped", "ThemeNameSkipped",
                     "ExpansionTooLarge"}},
      {"TextSearchDialog", {}},
      {"TextReplaceDialog", {}},
      {"ConfirmReplaceDialog", {"Confirmation"}},
      {"BrowserForm", {"NoHandler"}},
      {"PreviewSchemeHandler", {"MissingPageTitle", "MissingPage"}},
      {"FTPUploadModule", {"Upload", "UploadComplete", "UploadFailLogin", "UploadFailRoot",
                           "UploadNoFiles", "UploadAborted", "UploadIncomplete", "UploadStopped",
                           "UploadNoServer", "UploadNoRoot", "UploadConnectFailed",
                           "UploadLogInRefused", "UploadRootFailed", "UploadFileFailed",
                           "UploadPlanFile", "UploadPlanSummary", "UploadPlanNewDestination", "CredentialUnreadable", "RecordNotSaved",
                           "CauseHostNotFound", "CauseRefused", "CauseTimeout", "CauseCancelled",
                           "CauseClosed", "CauseNotConnected", "CauseBadName", "CauseOutsideSite", "CauseLocalFile",
                           "CauseUnknown", "UploadUnknownProtocol", "UploadCertificateUntrusted", "UploadHostKeyUnknown",
                           "UploadHostKeyChanged", "CauseTlsRefused", "CauseSecureChannel",
                           "UploadDeleteFailed", "UploadPlanRemoved", "UploadAskDelete", "UploadCounts"}},
      {"FTPUploadSettingsForm", {"TestOk", "TestInvalidRoot", "TestFailed", "CertificateUntrusted", "TrustCertificate", "HostKeyUnknown",
                                 "TrustHostKey", "KnownHostsFailed", "PortCaption", "PasswordInKeyring", "PasswordInFile", "NoKeyring"}},
      {"FTPUploadTestForm", {}},
      {"FTPUploadProgressForm", {"ConnectTo", "UploadFile"}},
      {"FTPUploadPlanForm", {}},
      {"ScriptEditForm", {"Title", "SaveChanges", "Untitled", "TextNotFound", "InvalidPattern",
                          "NoSelectionAvailable", "Warning", "Running", "ScriptStopped", "RunError",
                          "ErrorTitle", "Finished", "NoMember", "SaveScriptChanges"}},
      {"NewSiteForm", {"DefaultPageTitle", "DefaultPageContent", "ProjectAlreadyExists", "ThemeOfOtherProject",
                       "TemplateFolderExists", "NoProjectFolder", "SeparatorInName"}},
      {"TemplateEditForm", {"TextNotFound", "InvalidPattern", "NoSelectionAvailable", "Warning", "ChangedOnDisk", "CharactersReplaced", "CloseUnwritten",
                            "NotShownWhole"}},
      {"OptionsForm", {}},
      {"WelcomeForm", {}},
      {"AboutForm", {"Version"}},
  };
  return tables;
}

TConfigDataFile LoadTable(const QString& section) {
  QFile file(TLocalStrings::TableResource(section));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << section.toStdString();
  TConfigDataFile data;
  data.LoadFromText(QString::fromUtf8(file.readAll()));
  return data;
}

QStringList Names(const QStringList& entries) {
  QStringList names;
  for (const QString& entry : entries) {
    QStringView name;
    names.append(TConfigDataFile::EntryName(entry, name) ? name.toString() : entry);
  }
  return names;
}

TEST(StringTablesTest, EveryWindowHasItsTableAndNoOtherTableExists) {
  QStringList expected;
  for (const auto& table : Tables()) expected.append(table.first + QStringLiteral(".ini"));
  QStringList present = QDir(QStringLiteral(":/strings")).entryList(QDir::Files);
  expected.sort();
  present.sort();
  EXPECT_EQ(present, expected);
}

TEST(StringTablesTest, BothLanguagesHoldTheSameKeysAndEveryMessage) {
  static const QRegularExpression propertyEntry(
      QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*\\.[A-Za-z_][A-Za-z0-9_]*(\\[[0-9]+\\])?$"));
  // Two dots that are no ellipsis, "Ok" and "Ок", and the misspellings users met.
  static const QRegularExpression typo(QStringLiteral(
      "[^.]\\.\\.$|^(Ok|Ок)$|\\bThe is\\b|occurence|succesful|привествия|\\bGoto\\b"));
  for (const auto& [section, messages] : Tables()) {
    SCOPED_TRACE(section.toStdString());
    const TConfigDataFile data = LoadTable(section);
    QStringList sections;
    for (const auto& s : data.SectionList()) sections.append(s.Name);
    sections.removeAll(QStringLiteral("UnlocalizableNames"));
    EXPECT_EQ(sections, (QStringList{"1033", "1049"}));

    const QStringList english = data.ReadSection(u"1033");
    const QStringList russian = data.ReadSection(u"1049");
    const QStringList englishNames = Names(english);
    EXPECT_EQ(englishNames, Names(russian));
    EXPECT_EQ(QSet<QString>(englishNames.begin(), englishNames.end()).size(), englishNames.size());
    for (const QString& entry : english + russian) {
      QStringView name;
      ASSERT_TRUE(TConfigDataFile::EntryName(entry, name)) << entry.toStdString();
      EXPECT_FALSE(TConfigDataFile::EntryValue(entry).isEmpty()) << entry.toStdString();
      EXPECT_FALSE(typo.match(TConfigDataFile::EntryValue(entry)).hasMatch()) << entry.toStdString();
      if (name.contains(u'.')) {
        EXPECT_TRUE(propertyEntry.match(name).hasMatch()) << entry.toStdString();
      }
    }
    for (const QString& key : messages) EXPECT_TRUE(englishNames.contains(key)) << key.toStdString();
    for (const QString& name : englishNames) {
      if (!name.contains(u'.')) {
        EXPECT_TRUE(messages.contains(name)) << name.toStdString();
      }
    }
    // The owner's own texts are named by its section.
    EXPECT_TRUE(englishNames.contains(section + QStringLiteral(".Caption")) || section == u"Module" || section == u"Generator" ||
                section == u"FTPUploadModule" || section == u"PreviewSchemeHandler");
  }
}

TEST(StringTablesTest, AMessageHasTheSameTextsInEveryTable) {
  QHash<QString, QString> seen;
  for (const auto& [section, messages] : Tables()) {
    const TConfigDataFile data = LoadTable(section);
    for (const QString& key : messages) {
      for (const char16_t* lang : {u"1033", u"1049"}) {
        const QString id = key + u'/' + QString::fromUtf16(lang);
        const QString text = data.ReadString(lang, key, QString());
        if (seen.contains(id)) {
          EXPECT_EQ(seen[id], text) << section.toStdString() << " " << id.toStdString();
        }
        seen.insert(id, text);
      }
    }
  }
  EXPECT_EQ(seen.value(QStringLiteral("ProjectAlreadyExists/1033")),
            QStringLiteral("Project \"%s\" already exists. Do you want to replace it?"));
  EXPECT_EQ(seen.value(QStringLiteral("SaveChanges/1049")), QStringLiteral("Сохранить изменения в %s?"));
}

TEST(StringTablesTest, TextsThatAreNotWordsStayTheSameInBothLanguages) {
  const TConfigDataFile browser = LoadTable(QStringLiteral("BrowserForm"));
  for (const char16_t* lang : {u"1033", u"1049"})
    EXPECT_EQ(browser.ReadString(lang, u"Browser.UserAgent", QString()), QStringLiteral("Inkloom120"));
  const TConfigDataFile module = LoadTable(QStringLiteral("Module"));
  for (const char16_t* lang : {u"1033", u"1049"}) {
    EXPECT_EQ(module.ReadString(lang, u"SaveDialog.DefaultExt", QString()), QStringLiteral(".iklproj"));
    EXPECT_TRUE(module.ReadString(lang, u"OpenDialog.Filter", QString()).contains(u"(*.iklproj)|*.iklproj|"));
    EXPECT_TRUE(module.ReadString(lang, u"OpenDialog.Filter", QString()).endsWith(u"(*)|*"));
  }
}

TEST(StringTablesTest, AWindowLoadsItsTableByName) {
  QObject module;
  TLocalStrings table(&module, QStringLiteral("Module"));
  EXPECT_EQ(table.UnlocalizableNames(), QStringList{"ConfigFile.FileName"});
  table.Localize(1049);
  EXPECT_EQ(table.GetString(QStringLiteral("Untitled")), QStringLiteral("Без названия"));
  TLocalStrings none(&module, QStringLiteral("NoSuchWindow"));
  EXPECT_FALSE(none.LoadTable());
  EXPECT_TRUE(none.Table().SectionList().empty());
}

}  // namespace
