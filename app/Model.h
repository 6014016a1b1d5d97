#pragma once

// The application module: the program's central object. It creates the main window and the
// other modules, holds every command as a named action, keeps the state of the open project
// and the settings file, and rebuilds the section list when the program becomes idle after the
// text changed.

#include "project/FileStamp.h"
#include "services/RecentProjects.h"

#include <QDomDocument>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QDialog;
class QFileDialog;
class QTemporaryDir;
class QUrl;
class QsciScintilla;
class TAction;
class TConfigFile;
class TLocalStrings;
class TLocalizer;
class TMultiAction;
class THTMLGenerator;
class TRecoveryKeeper;
class TFormatCommands;
class TEditorSearch;
struct TSearchSettings;
struct TRecoveredText;

class TModule : public QObject {
  Q_OBJECT
 public:
  // projectArgument: the first command-line argument, empty when none.
  explicit TModule(const QString& projectArgument, QObject* owner = nullptr);
  ~TModule() override;

  // Runs Generate on the editor's text with the busy cursor shown. A problem that stopped the
  // generation is shown with its line, and the caret goes there: false then. Warnings go to the
  // status bar.
  bool BuildSite();
  QString GetText() const;  // lines joined by CR LF
  // The editor's text as it holds it (UTF-8), valid until the text changes.
  QByteArrayView EditorBytes() const;
  void SetText(const QString& text);
  QsciScintilla* GetEditor() const;
  bool IsModified() const;
  void SetModified(bool modified);
  void SetFileName(const QString& name);
  const QString& FileName() const { return ProjectFileName; }
  QString GetProjectName() const;
  QString GetProjectFolder() const;
  QString GetOutputFolder() const;
  QString GetTemplateFolder() const;
  QString GetCurrentPage() const;
  static QString GetThemeExtension() { return QStringLiteral(".ikltheme"); }
  static QString GetProjectExtension() { return QStringLiteral(".iklproj"); }
  QString GetDefaultProjectPath() const;
  void SetDefaultProjectPath(const QString& path);
  QString GetDefaultThemesPath() const;
  void SetDefaultThemesPath(const QString& path);
  bool GetShowWelcomeScreen() const;
  void SetShowWelcomeScreen(bool show);
  bool GetPreviewNewProject() const;
  void SetPreviewNewProject(bool preview);
  static QString GetVersion() { return QStringLiteral(INKLOOM_VERSION); }
  // The user guide, installed beside the program.
  static QString HelpFolder();
  // A page of the guide in the interface's language.
  QString HelpPage(const QString& page) const;
  // Shows a page of the guide in the guide's window.
  void ShowGuide(const QString& page);
  void SaveWindowPosition();
  // The interface language (1033 English, 1049 Russian, the default), kept in the settings.
  int GetLanguage() const;
  void SetLanguage(int langId);
  void ShowStartScreen();
  QString GetString(const QString& key) const;
  TConfigFile* Config() const { return ConfigFile; }
  // Find, Find Next and Replace on the project text, with the settings kept in config.ini.
  TEditorSearch* Search() const { return EditorSearch; }
  TAction* Action(const QString& name) const;
  QList<TAction*> Actions() const { return ActionList; }
  const QDomDocument& ProjectDocument() const { return Document; }

  // The project's life.
  void NewProject();
  bool OpenProject(const QString& name);
  bool SaveProject(const QString& name);
  bool SaveProjectAs();
  bool QuerySaveChanges();
  // The projects opened or saved last that still exist, newest first.
  QStringList RecentProjects() const { return Recent.Existing(); }
  // Opens one of them after the question about unsaved changes; an error is shown.
  void OpenRecentProject(const QString& name);
  // The main window closes for good: unsaved text the user chose to drop leaves no trace.
  void ProjectClosed();
  // Offers the unsaved text a crash left behind; true when the user restored one.
  bool OfferRecovery();
  // The window became active: when another program changed the project file and the text here
  // has no changes, offers to read the file again.
  void CheckProjectOnDisk();

  // Questions and file dialogs go through these, so that tests can answer them.
  std::function<int(const QString& caption, const QString& text)> AskYesNoCancel;
  std::function<int(const QString& caption, const QString& text)> AskYesNo;
  std::function<QString(QFileDialog* dialog)> ChooseFile;
  // Runs the program's own modal dialogs (the wizard, the welcome and options dialogs); exec()
  // unless set.
  std::function<int(QDialog* dialog)> RunDialog;
  // Shows an error a command met where it must not leave through the error handler.
  std::function<void(const QString& message)> ShowError;

  // Set by every change of the text; the section list is rebuilt at the next idle moment.
  bool ContentChanged = false;
  // Set right after construction by a program an automation client or --run-script started: no
  // start screen and no offer of crash recovery. KeepsRecovery false: nothing is written for
  // recovery either (a script's text is not the user's typing).
  bool StartedByAutomation = false;
  bool KeepsRecovery = true;
  QString DefaultLinkUrl;
  QString DefaultLinkText;

  TMultiAction* OnNewAction = nullptr;
  TMultiAction* OnOpenAction = nullptr;
  TMultiAction* OnSaveAction = nullptr;

  // The idle refresh: the section list when the text changed, and the commands' states.
  void ApplicationEventsIdle();

 Q_SIGNALS:
  void RecentProjectsChanged();

 private:
  TConfigFile* ConfigFile = nullptr;
  TLocalStrings* LocalStrings = nullptr;
  TLocalStrings* GeneratorTexts = nullptr;
  TLocalizer* Localizer = nullptr;
  QObject* OpenDialog = nullptr;
  QObject* SaveDialog = nullptr;
  QObject* OpenImageDialog = nullptr;
  QList<TAction*> ActionList;
  QString ProjectFileName;
  QString RecentProject;
  TRecentProjects Recent;
  QDomDocument Document;
  // The project file as it was last read or written here.
  TFileStamp DiskStamp;
  bool CheckingDisk = false;
  // The editor cannot be told that unchanged text is modified: this says so until a save.
  bool MarkedModified = false;
  // The open file is no project of ours (plain text, another kind of XML document): a save the
  // user did not name goes to a project beside it.
  bool OpenedPlainText = false;
  // Where untitled projects are built: the user's own, never a shared temporary folder.
  std::unique_ptr<QTemporaryDir> UntitledFolder;
  TRecoveryKeeper* Recovery = nullptr;
  TFormatCommands* Formatter = nullptr;
  std::unique_ptr<TSearchSettings> SearchSettings;
  TEditorSearch* EditorSearch = nullptr;

  void CreateActions();
  TAction* AddAction(const char* name, const QString& caption, const QKeySequence& shortcut,
                     const QString& icon, const QString& label, void (TModule::*execute)(QObject*),
                     bool (TModule::*enabled)() const = nullptr);
  QObject* AddDialog(const char* name, const QString& filter, const QString& title,
                     const QString& defaultExt);
  void PrepareFileDialog(QFileDialog& dialog, QObject* texts, bool save);
  QString ShowFileDialog(QObject* texts, bool save);
  QString ChooseImage();
  // Copies a picture the pages cannot reach into the theme folder's img, when the user agrees;
  // its address there, or empty.
  QString CopyImageToTheme(const QString& file);
  bool MayReplaceImage(const QString& target);
  QString StartFolder() const;
  int ShowDialog(QDialog& dialog);
  void DataModuleCreate(const QString& projectArgument);
  void ShowStart(bool projectGiven);
  void RestoreText(const TRecoveredText& recovered);
  bool SaveBeforeDiscard();
  bool SaveCurrent();
  int AskWhoseText();
  void ReloadProject();
  void OpenShowingError(const QString& name);
  void RememberProject(const QString& name);
  void OfferTemplateCopy(const QString& fromFolder);
  QString UntitledBuildFolder();
  void PlaceFirstWindow();
  void SaveSettingsFile();
  QString ProjectFileLabel() const;
  void ShowGeneratorProblem(int result);
  void ShowGeneratorWarnings();
  void OpenUrl(const QUrl& url);
  class TBrowserWindows* BrowserWindows();

  bool SelectionAvailable() const;
  bool CanUndo() const;
  bool CanRedo() const;
  bool CanPaste() const;
  bool Disabled() const { return false; }

  void CmNew(QObject*);
  void CmOpen(QObject*);
  void CmOptions(QObject*);
  void TemplateEditActionExecute(QObject*);
  void CmScript(QObject*);
  void CmSave(QObject*);
  void CmSaveAs(QObject*);
  void CmExit(QObject*);
  void CmPreview(QObject*);
  void CmBrowse(QObject*);
  void CmHeader1(QObject*);
  void CmHeader2(QObject*);
  void CmHeader3(QObject*);
  void CmBold(QObject*);
  void CmItalic(QObject*);
  void CmBoldItalic(QObject*);
  void CmInsertLink(QObject*);
  void CmInsertImage(QObject*);
  void CmUnorderedList(QObject*);
  void CmOrderedList(QObject*);
  void CmUndo(QObject*);
  void CmRedo(QObject*);
  void CmCut(QObject*);
  void CmCopy(QObject*);
  void CmPaste(QObject*);
  void CmDelete(QObject*);
  void CmSelectAll(QObject*);
  void CmHelp(QObject*);
  void CmGettingStarted(QObject*);
  void CmHomePage(QObject*);
  void CmAbout(QObject*);
  void NotYetAvailable(QObject*) {}
  void ConfigFileLoad(TConfigFile*);
  void ConfigFileSave(TConfigFile*);
  void FindActionExecute(QObject*);
  void FindNextActionExecute(QObject*);
  void ReplaceActionExecute(QObject*);
  bool FindNextActionUpdate() const;
};

extern TModule* Module;
