// The program installed with `cmake --install` into a prefix of its own, and packaged with CPack.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TRun {
  int ExitCode = -1;
  QString Out;
  QString Err;
};

TRun RunProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  process.waitForFinished(300000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

// One installation for all the tests of this program.
const QString& Prefix() {
  static QTemporaryDir folder;
  static const bool installed = [] {
    const TRun run = RunProgram(QStringLiteral("cmake"), {QStringLiteral("--install"), QStringLiteral(INKLOOM_BINARY_DIR),
                                                   QStringLiteral("--prefix"), folder.path()});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    return run.ExitCode == 0;
  }();
  static const QString path = installed ? folder.path() : QString();
  return path;
}

QString Installed(const char* relative) { return Prefix() + u'/' + QLatin1String(relative); }

// A file of the scratch folder with these bytes; its path.
QString WriteFile(const QTemporaryDir& folder, const char* name, const QByteArray& bytes) {
  QFile file(folder.filePath(QLatin1String(name)));
  EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) << name;
  return file.fileName();
}

// The program's environment with its settings kept in the scratch folder.
QProcessEnvironment ScratchEnvironment(const QTemporaryDir& folder) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
  return environment;
}

}  // namespace

TEST(Installation, TheDesktopFilesLandInTheirPlacesAndValidate) {
  ASSERT_FALSE(Prefix().isEmpty());
  for (const char* file : {"bin/inkloom", "libexec/inkloom/inkloom-windows", "libexec/inkloom/inkloom-browser.so",
                           "share/applications/inkloom.desktop", "share/mime/packages/inkloom.xml",
                           "share/metainfo/org.inkloom.Inkloom.metainfo.xml", "share/icons/hicolor/scalable/apps/inkloom.svg",
                           "share/icons/hicolor/48x48/apps/inkloom.png", "share/icons/hicolor/256x256/apps/inkloom.png",
                           "share/icons/hicolor/scalable/mimetypes/application-x-inkloom-project.svg",
                           "share/inkloom/help/index.html", "share/inkloom/help/ru/index.html"})
    EXPECT_TRUE(QFileInfo::exists(Installed(file))) << file;
  const TRun desktop = RunProgram(QStringLiteral("desktop-file-validate"), {Installed("share/applications/inkloom.desktop")});
  EXPECT_EQ(desktop.ExitCode, 0) << desktop.Out.toStdString() << desktop.Err.toStdString();
  const TRun metainfo = RunProgram(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                                             Installed("share/metainfo/org.inkloom.Inkloom.metainfo.xml")});
  EXPECT_EQ(metainfo.ExitCode, 0) << metainfo.Out.toStdString() << metainfo.Err.toStdString();
}

// As a file manager sees them (GIO reads the shared MIME database of the data folders, which
// the installation brought up to date), and opened with the program.
TEST(Installation, TheFileTypesAreKnownByNameAndByContent) {
  ASSERT_FALSE(Prefix().isEmpty());
  QFile handlers(Installed("share/applications/mimeinfo.cache"));
  ASSERT_TRUE(handlers.open(QIODevice::ReadOnly));
  EXPECT_TRUE(handlers.readAll().contains("application/x-inkloom-project=inkloom.desktop;"));
  QTemporaryDir scratch;
  const struct {
    const char* Name;
    QByteArray Bytes;
    const char* Type;
  } files[] = {{"site.iklproj", "x", "application/x-inkloom-project"},
               {"blog.ikltheme", "PK\x03\x04", "application/x-inkloom-theme"},
               {"no-extension", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<iklproj><content>x</content></iklproj>",
                "application/x-inkloom-project"}};
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_DATA_DIRS"), Installed("share") + QStringLiteral(":/usr/share"));
  for (const auto& f : files) {
    const QString file = WriteFile(scratch, f.Name, f.Bytes);
    const TRun info = RunProgram(QStringLiteral("gio"), {QStringLiteral("info"), QStringLiteral("-a"),
                                                         QStringLiteral("standard::content-type"), file},
                                 environment);
    EXPECT_TRUE(info.Out.contains(QStringLiteral("content-type: ") + QLatin1String(f.Type))) << f.Name << info.Out.toStdString();
  }
}

TEST(Installation, TheInstalledProgramFindsItsThemesAndGuide) {
  ASSERT_FALSE(Prefix().isEmpty());
  QTemporaryDir project;
  const QString file = WriteFile(project, "site.iklproj", "$theme journal\n[index.html]\n$title Home\n= Hello\n");
  QProcessEnvironment environment = ScratchEnvironment(project);
  const TRun build = RunProgram(Installed("bin/inkloom"), {QStringLiteral("--build"), file}, environment);
  EXPECT_EQ(build.ExitCode, 0) << build.Err.toStdString();
  EXPECT_TRUE(build.Err.isEmpty()) << build.Err.toStdString();  // the theme was found
  QFile page(project.filePath(QStringLiteral("html/index.html")));
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  EXPECT_TRUE(page.readAll().contains("style.css"));
  EXPECT_TRUE(QFileInfo::exists(project.filePath(QStringLiteral("html/style.css"))));
  // The script mode hands over to the windows program, which finds the same files.
  const QString script = WriteFile(project, "s.js", "Build(); console.log('built');\n");
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  const TRun run = RunProgram(Installed("bin/inkloom"), {QStringLiteral("--run-script"), script, file}, environment);
  EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  EXPECT_EQ(run.Out.trimmed(), QStringLiteral("built"));
}

// The browser engine is loaded by the editor, with the module that shows web pages, and never by
// a script run from the command line. The dynamic linker names every file it loads.
TEST(Installation, OnlyTheEditorLoadsTheBrowserEngine) {
  ASSERT_FALSE(Prefix().isEmpty());
  QTemporaryDir scratch;
  const QString script = WriteFile(scratch, "s.js", "console.log('ran');\n");
  QProcessEnvironment environment = ScratchEnvironment(scratch);
  environment.insert(QStringLiteral("XDG_STATE_HOME"), scratch.filePath(QStringLiteral("state")));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
  const TRun run = RunProgram(Installed("bin/inkloom"), {QStringLiteral("--run-script"), script}, environment);
  EXPECT_EQ(run.Out.trimmed(), QStringLiteral("ran"));
  EXPECT_TRUE(run.Err.contains(QStringLiteral("inkloom-windows")));  // the linker did speak
  EXPECT_FALSE(run.Err.contains(QStringLiteral("WebEngine"))) << run.Err.toStdString();

  QProcess editor;
  editor.setProcessEnvironment(environment);
  editor.start(Installed("bin/inkloom"), {});
  ASSERT_TRUE(editor.waitForStarted());
  QString err;
  const QString loaded = QStringLiteral("calling init: ") + Installed("libexec/inkloom/inkloom-browser.so");
  for (int wait = 0; wait < 300 && !err.contains(loaded) && editor.state() == QProcess::Running; ++wait) {
    editor.waitForReadyRead(100);
    err += QString::fromUtf8(editor.readAllStandardError());
  }
  editor.kill();
  editor.waitForFinished();
  EXPECT_TRUE(err.contains(loaded)) << err.right(3000).toStdString();
}

TEST(DebianPackage, HoldsTheProgramAndNamesWhatItNeeds) {
  QTemporaryDir output;
  const TRun cpack = RunProgram(QStringLiteral("cpack"), {QStringLiteral("--config"), QStringLiteral(INKLOOM_BINARY_DIR "/CPackConfig.cmake"),
                                                   QStringLiteral("-B"), output.path()});
  ASSERT_EQ(cpack.ExitCode, 0) << cpack.Out.toStdString() << cpack.Err.toStdString();
  const QStringList packages = QDir(output.path()).entryList({QStringLiteral("inkloom_*.deb")});
  ASSERT_EQ(packages.size(), 1);
  const QString deb = output.filePath(packages.first());
  const QString info = RunProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("-I"), deb}).Out;
  const QRegularExpressionMatch depends = QRegularExpression(QStringLiteral("Depends: (.*)")).match(info);
  ASSERT_TRUE(depends.hasMatch()) << info.toStdString();
  for (const char* library : {"libqt6core6", "libqt6widgets6", "libqt6webenginewidgets6", "libqscintilla2-qt6",
                              "libgcrypt20", "libmicrohttpd", "libqt6svg6"})
    EXPECT_TRUE(depends.captured(1).contains(QLatin1String(library))) << library << " in " << depends.captured(1).toStdString();
  const QString contents = RunProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), deb}).Out;
  for (const char* file : {"./usr/bin/inkloom", "./usr/libexec/inkloom/inkloom-windows", "./usr/share/applications/inkloom.desktop",
                           "./usr/share/metainfo/org.inkloom.Inkloom.metainfo.xml", "./usr/share/mime/packages/inkloom.xml",
                           "./usr/share/inkloom/themes/journal/index.html", "./usr/share/inkloom/help/index.html",
                           "./usr/share/icons/hicolor/scalable/apps/inkloom.svg"})
    EXPECT_TRUE(contents.contains(QLatin1String(file))) << file;
}
