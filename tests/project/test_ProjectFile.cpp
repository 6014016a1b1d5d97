#include "generator/InkloomError.h"
#include "project/CodePage.h"
#include "project/ProjectFile.h"
#include "project/XMLUtils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class ProjectFileTest : public ::testing::Test {
 protected:
  QTemporaryDir Dir;
  QString Path(const char* name) const { return Dir.filePath(QString::fromUtf8(name)); }

  void WriteBytes(const char* name, const QByteArray& bytes) const {
    QFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  QByteArray ReadBytes(const char* name) const {
    QFile file(Path(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
  }
  // Line breaks come back as the XML reader delivers them.
  static QString Lf(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
};

}  // namespace

TEST_F(ProjectFileTest, TextRoundTripsThroughTheFile) {
  const QString text = QStringLiteral(
      "$title <Tom & \"Jerry\"> 'quoted'\r\n[index.html]\r\n= \u041f\u0440\u0438\u0432\u0435\u0442\r\n"
      "  * indented ]]> <![CDATA[ x ]]>\r\n");
  TProjectFile::Write(Path("site.iklproj"), text);
  TProjectFileContents read = TProjectFile::Read(Path("site.iklproj"));
  EXPECT_EQ(Lf(read.Text), Lf(text));
  EXPECT_FALSE(read.Root().isNull());
  EXPECT_EQ(read.Root().tagName(), QStringLiteral("iklproj"));
  EXPECT_TRUE(ReadBytes("site.iklproj").startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>"));
}

TEST_F(ProjectFileTest, EveryCharacterSurvivesASave) {
  const QString texts[] = {
      QStringLiteral("Caf\u00e9 \u00fc\u00df \u2615 \U0001D11E \u4e2d\u6587 \u0416 \u00a0\t"),
      QStringLiteral("   \r\n  \t"),  // white space only
      QStringLiteral(" leading and trailing \r\n"),
      QStringLiteral("]]> <![CDATA[ &amp; \uFFFD \uFEFF"),
      QStringLiteral("\uFEFF at the start is a character, not a byte-order mark"),
  };
  for (const QString& text : texts) {
    TProjectFile::Write(Path("p.iklproj"), text);
    EXPECT_EQ(Lf(TProjectFile::Read(Path("p.iklproj")).Text), Lf(text)) << text.toStdString();
  }
}

TEST_F(ProjectFileTest, CharactersXmlCannotHoldRefuseTheSaveAndNameTheLine) {
  TProjectFile::Write(Path("keep.iklproj"), QStringLiteral("old"));
  const struct {
    QString Text;
    int Line;
    char32_t Code;
  } cases[] = {
      {QStringLiteral("a\r\nb\r\nc\u0001d"), 3, 0x1},
      {QStringLiteral("a\n\u000c"), 2, 0xC},
      {QStringLiteral("\uFFFE"), 1, 0xFFFE},
      {QStringLiteral("x\rx\r") + QChar(0xD800) + QStringLiteral("y"), 3, 0xD800},
      {QStringLiteral("\u0000"), 1, 0},
  };
  for (const auto& c : cases) {
    try {
      TProjectFile::Write(Path("keep.iklproj"), c.Text);
      ADD_FAILURE() << "no error for " << c.Text.toStdString();
    } catch (const EProjectCharacterError& error) {
      EXPECT_EQ(error.Line, c.Line);
      EXPECT_EQ(error.Code, c.Code);
    }
    EXPECT_EQ(TProjectFile::Read(Path("keep.iklproj")).Text, QStringLiteral("old"));
  }
}

TEST_F(ProjectFileTest, SettingsAttributesAreWrittenInTheirOrderSoSavesAreStable) {
  auto settings = [](QDomElement& root) {
    QDomElement element = AddChildElement(root, QStringLiteral("Settings"));
    // Set in another order than they are written.
    for (const QString& name : {QStringLiteral("UploadChangesOnly"), QStringLiteral("FTPPort"),
                                QStringLiteral("Zeta"), QStringLiteral("FTPServer"),
                                QStringLiteral("FTPRemoteRoot"), QStringLiteral("FTPPassword"),
                                QStringLiteral("FTPPassiveMode"), QStringLiteral("FTPUserName"),
                                QStringLiteral("Alpha")})
      SetAttributeText(element, name, QStringLiteral("1"));
  };
  TProjectFile::Write(Path("a.iklproj"), QStringLiteral("x"), settings);
  const QByteArray first = ReadBytes("a.iklproj");
  EXPECT_TRUE(first.contains(
      "<Settings FTPServer=\"1\" FTPUserName=\"1\" FTPPassword=\"1\" FTPPort=\"1\" FTPRemoteRoot=\"1\" "
      "FTPPassiveMode=\"1\" UploadChangesOnly=\"1\" Alpha=\"1\" Zeta=\"1\"/>"))
      << first.toStdString();
  TProjectFile::Write(Path("a.iklproj"), QStringLiteral("x"), settings);
  EXPECT_EQ(ReadBytes("a.iklproj"), first);
}

TEST_F(ProjectFileTest, AnEmptyTextWritesNoContentElement) {
  QDomElement root = TProjectFile::Write(Path("empty.iklproj"), QString()).documentElement();
  EXPECT_TRUE(FindChildElement(root, QStringLiteral("content")).isNull());
  EXPECT_FALSE(ReadBytes("empty.iklproj").contains("content"));
  EXPECT_EQ(TProjectFile::Read(Path("empty.iklproj")).Text, QString());
}

TEST_F(ProjectFileTest, SettingsJoinTheDocumentBeforeItIsWritten) {
  TProjectFile::Write(Path("s.iklproj"), QStringLiteral("x"), [](QDomElement& root) {
    QDomElement settings = AddChildElement(root, QStringLiteral("Settings"));
    SetAttributeText(settings, QStringLiteral("FTPPort"), QStringLiteral("21"));
  });
  QDomElement root = TProjectFile::Read(Path("s.iklproj")).Root();
  EXPECT_EQ(GetAttributeText(FindChildElement(root, QStringLiteral("Settings")),
                             QStringLiteral("FTPPort"), QString()),
            QStringLiteral("21"));
}

TEST_F(ProjectFileTest, AnyWellFormedDocumentOpensAndUnknownPartsAreIgnored) {
  WriteBytes("other.iklproj",
             "<?xml version=\"1.0\"?><site><extra/><content>first</content><content>second"
             "</content></site>");
  EXPECT_EQ(TProjectFile::Read(Path("other.iklproj")).Text, QStringLiteral("first"));
  WriteBytes("nocontent.iklproj", "<iklproj><Settings/></iklproj>");
  TProjectFileContents read = TProjectFile::Read(Path("nocontent.iklproj"));
  EXPECT_EQ(read.Text, QString());
  EXPECT_FALSE(read.Root().isNull());
}

TEST_F(ProjectFileTest, TheStreamedTextIsTheTextReadGives) {
  const QByteArray big = QByteArray("\xD0\x96").repeated(40000);  // pieces end inside characters
  const QByteArray files[] = {
      "<?xml version=\"1.0\"?><p><x/><content>one &amp; <b>two</b><![CDATA[ <3 ]]></content><content>no</content></p>",
      "<p><content><![CDATA[   ]]></content></p>",
      "<p><content> \n </content></p>",  // white space only, as older versions wrote it
      "<p><Settings/></p>",
      "= plain \xD0\x96 text\r\nline",
      "\xEF\xBB\xBF= marked",
      "\xEF\xBB\xBF\xEF\xBB\xBF= a mark, then U+FEFF",
      "\xFF\xFE" "A\0\x16\x04",
      "= code page \xCF\xF0",
      "<p><content>not closed</p>",
      big,
      big + "\xD0",  // a character cut off at the end: code page
      QByteArray("\xFF\xFE" "A\0\x81\xDF" "B\0", 8),  // a lone surrogate in UTF-16
  };
  for (const QByteArray& bytes : files) {
    WriteBytes("f.txt", bytes);  // a text file may hold anything; a damaged project is refused
    EXPECT_EQ(TProjectFile::FromUtf8(TProjectFile::ReadTextUtf8(Path("f.txt"))), TProjectFile::Read(Path("f.txt")).Text)
        << bytes.left(60).toStdString();
  }
}

TEST_F(ProjectFileTest, PlainTextFilesOpenInTheirEncoding) {
  WriteBytes("le.txt", QByteArray("\xFF\xFE" "A\0\x16\x04\n\0", 8));
  EXPECT_EQ(TProjectFile::Read(Path("le.txt")).Text, QStringLiteral("A\u0416\n"));
  WriteBytes("be.txt", QByteArray("\xFE\xFF\0A\x04\x16\0\n", 8));
  EXPECT_EQ(TProjectFile::Read(Path("be.txt")).Text, QStringLiteral("A\u0416\n"));
  WriteBytes("odd.txt", QByteArray("\xFF\xFE" "A\0B", 5));
  EXPECT_EQ(TProjectFile::Read(Path("odd.txt")).Text, QStringLiteral("A"));
  WriteBytes("ansi.txt", "[index.html]\r\n\xCF\xF0\xE8\xE2\xE5\xF2 <b>");
  TProjectFileContents ansi = TProjectFile::Read(Path("ansi.txt"));
  EXPECT_EQ(ansi.Text, QStringLiteral("[index.html]\r\n\u041f\u0440\u0438\u0432\u0435\u0442 <b>"));
  EXPECT_TRUE(ansi.Root().isNull());
  // UTF-8, with or without its mark: the norm on this desktop.
  for (const QByteArray& mark : {QByteArray(), QByteArray("\xEF\xBB\xBF")}) {
    WriteBytes("utf8.txt", mark + "= \xD0\x9F\xD1\x80\xD0\xB8 caf\xC3\xA9 \xE2\x98\x95");
    EXPECT_EQ(TProjectFile::Read(Path("utf8.txt")).Text, QStringLiteral("= \u041f\u0440\u0438 caf\u00e9 \u2615"));
  }
  WriteBytes("emptyfile.txt", QByteArray());
  EXPECT_EQ(TProjectFile::Read(Path("emptyfile.txt")).Text, QString());
}

TEST_F(ProjectFileTest, FailuresRaiseAndLeaveTheOldFileIntact) {
  try {
    TProjectFile::Read(Path("missing.iklproj"));
    FAIL() << "no error";
  } catch (const EInkloomError& error) {
    EXPECT_TRUE(std::string(error.what()).rfind("Cannot open file \"", 0) == 0) << error.what();
  }
  // A bare name is a file in the current folder.
  const QString cwd = QDir::currentPath();
  QDir::setCurrent(Dir.path());
  TProjectFile::Write(QStringLiteral("bare.iklproj"), QStringLiteral("x"));
  QDir::setCurrent(cwd);
  EXPECT_EQ(TProjectFile::Read(Path("bare.iklproj")).Text, QStringLiteral("x"));
  TProjectFile::Write(Path("keep.iklproj"), QStringLiteral("old text"));
  // A folder in the way of the new file: the write fails and the old file is untouched.
  QDir(Dir.path()).mkpath(QStringLiteral("blocked.iklproj"));
  EXPECT_THROW(TProjectFile::Write(Path("blocked.iklproj"), QStringLiteral("new")), EInkloomError);
  EXPECT_EQ(TProjectFile::Read(Path("keep.iklproj")).Text, QStringLiteral("old text"));
}

// A file that says it is a project and is not well-formed is an error with its place, never
// plain text a save would replace; the same for both readers.
TEST_F(ProjectFileTest, DamagedProjectsAreRefusedWithTheirPlace) {
  struct TCase {
    const char* Name;
    QByteArray Bytes;
    const char* Place;
  };
  const TCase cases[] = {
      {"amp.iklproj", "<iklproj>\n<content>a & b</content></iklproj>", ":2:"},
      {"byte.iklproj", "<?xml version=\"1.0\" encoding=\"utf-8\"?><iklproj><content>\xFF</content></iklproj>", ":1:"},
      {"encoding.iklproj", "<?xml version=\"1.0\" encoding=\"no-such\"?><iklproj/>", ":1:"},
      {"entity.iklproj", "<!DOCTYPE iklproj [<!ENTITY x SYSTEM \"/etc/passwd\">]><iklproj><content>&x;</content></iklproj>", ":1:"},
      {"root.txt", "<!-- <b> --><iklproj><content>a < b</content></iklproj>", ":1:"},
  };
  for (const TCase& c : cases) {
    WriteBytes(c.Name, c.Bytes);
    const QString path = Path(c.Name);
    for (int reader = 0; reader < 2; ++reader) {
      try {
        reader == 0 ? (void)TProjectFile::Read(path) : (void)TProjectFile::ReadTextUtf8(path);
        ADD_FAILURE() << c.Name << " read without an error by reader " << reader;
      } catch (const EProjectFormatError& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).startsWith(path + QLatin1String(c.Place))) << error.what();
      }
    }
  }
  // Text that merely looks like markup stays plain text, and so does plain markup in a file
  // named as a project.
  WriteBytes("notes.txt", "<b>a & b</i>");
  EXPECT_EQ(TProjectFile::Read(Path("notes.txt")).Text, QStringLiteral("<b>a & b</i>"));
  WriteBytes("plain.iklproj", "[index.html]\nfish & chips");
  EXPECT_EQ(TProjectFile::ReadTextUtf8(Path("plain.iklproj")), QByteArray("[index.html]\nfish & chips"));
}

// Only a regular file of a sane size is read: a FIFO would wait for ever, /dev/zero never ends.
TEST_F(ProjectFileTest, OnlyRegularFilesAreRead) {
  ASSERT_EQ(::mkfifo(Path("fifo.iklproj").toLocal8Bit().constData(), 0600), 0);
  for (const QString& path : {Path("fifo.iklproj"), QStringLiteral("/dev/zero"), Dir.path()}) {
    EXPECT_THROW(TProjectFile::Read(path), EInkloomError) << path.toStdString();
    EXPECT_THROW(TProjectFile::ReadTextUtf8(path), EInkloomError) << path.toStdString();
  }
}

// Only the root's own "content" holds the text: a prefixed element is another element.
TEST_F(ProjectFileTest, APrefixedContentIsNotTheText) {
  WriteBytes("ns.iklproj", "<iklproj><p:content xmlns:p=\"urn:x\">other</p:content><content>text</content></iklproj>");
  EXPECT_EQ(TProjectFile::Read(Path("ns.iklproj")).Text, QStringLiteral("text"));
  EXPECT_EQ(TProjectFile::ReadTextUtf8(Path("ns.iklproj")), QByteArray("text"));
}

TEST(XmlHelpers, EmptyValuesAreNeverWrittenAndFlagsAreExactlyOne) {
  QDomDocument document = NewXmlDocument(QStringLiteral("iklproj"));
  QDomElement root = document.documentElement();
  EXPECT_TRUE(SetChildText(root, QStringLiteral("content"), QString()).isNull());
  EXPECT_TRUE(FindChildElement(root, QStringLiteral("content")).isNull());
  SetChildText(root, QStringLiteral("content"), QStringLiteral("a"));
  SetChildText(root, QStringLiteral("content"), QStringLiteral("b"));
  EXPECT_EQ(GetChildText(root, QStringLiteral("content"), QStringLiteral("none")), QStringLiteral("b"));
  EXPECT_EQ(root.elementsByTagName(QStringLiteral("content")).size(), 1);
  EXPECT_EQ(GetChildText(root, QStringLiteral("missing"), QStringLiteral("none")), QStringLiteral("none"));

  SetAttributeText(root, QStringLiteral("Empty"), QString());
  EXPECT_FALSE(root.hasAttribute(QStringLiteral("Empty")));
  SetAttributeFlag(root, QStringLiteral("Off"), false);
  EXPECT_FALSE(root.hasAttribute(QStringLiteral("Off")));
  SetAttributeFlag(root, QStringLiteral("On"), true);
  EXPECT_TRUE(GetAttributeFlag(root, QStringLiteral("On")));
  for (const char* value : {"true", "yes", "0", "", " 1", "01"}) {
    root.setAttribute(QStringLiteral("Flag"), QString::fromUtf8(value));
    EXPECT_FALSE(GetAttributeFlag(root, QStringLiteral("Flag"))) << value;
  }
  // A null element: nothing happens and defaults come back.
  QDomElement none;
  EXPECT_TRUE(AddChildElement(none, QStringLiteral("x")).isNull());
  EXPECT_EQ(GetAttributeText(none, QStringLiteral("x"), QStringLiteral("d")), QStringLiteral("d"));
  EXPECT_FALSE(GetAttributeFlag(none, QStringLiteral("x")));
}

TEST(XmlHelpers, TextThatIsNotXmlDoesNotLoad) {
  QDomDocument document;
  EXPECT_FALSE(LoadXmlText(QStringLiteral("<a><b></a>"), document));
  EXPECT_TRUE(document.isNull());
  EXPECT_FALSE(LoadXmlText(QString(), document));
  // The text is decoded already; a declared encoding does not apply again.
  ASSERT_TRUE(LoadXmlText(
      QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\"?><i><title>\u0416</title></i>"),
      document));
  EXPECT_EQ(GetChildText(document.documentElement(), QStringLiteral("title"), QString()), QStringLiteral("\u0416"));
}

TEST(CodePage, ConvertsBothWaysAndSwitchesByName) {
  EXPECT_EQ(TCodePage::Name(), "windows-1251");
  EXPECT_EQ(TCodePage::Utf8ToAnsi("\xD0\x96 \xE2\x82\xAC"), "\xC6 \x88");
  EXPECT_EQ(TCodePage::AnsiToUtf8("\xC6\x98"), "\xD0\x96\xC2\x98");  // 0x98 is kept as U+0098
  for (int b = 0; b < 256; ++b) {
    std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(TCodePage::Utf8ToAnsi(TCodePage::AnsiToUtf8(byte)), byte) << b;
  }
  EXPECT_FALSE(TCodePage::SetCodePage("no-such-page"));
  ASSERT_TRUE(TCodePage::SetCodePage("KOI8-R"));
  EXPECT_EQ(TCodePage::Utf8ToAnsi("\xD0\x96"), "\xF6");
  ASSERT_TRUE(TCodePage::SetCodePage("windows-1251"));
}
