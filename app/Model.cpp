#include "app/Model.h"

#include "app/AboutForm.h"
#include "app/Application.h"
#include "app/BuildMode.h"
#include "app/CommandIcons.h"
#include "app/ImagePreview.h"
#include "app/InterfaceLanguage.h"
#include "app/LocalFileModel.h"
#include "app/Main.h"
#include "app/ProgramFiles.h"
#include "services/NewSite.h"
#include "automation/ScriptEditor.h"
#include "project/WrapPause.h"
#include "services/Options.h"
#include "services/TemplateEditor.h"
#include "services/Welcome.h"
#include "app/RecoveryKeeper.h"
#include "generator/Generator.h"
#include "generator/InkloomError.h"
#include "preview/BrowserWindows.h"
#include "preview/SSIPreview.h"
#include "project/EditorSearch.h"
#include "project/FormatCommands.h"
#include "project/Formatting.h"
#include "project/ProjectFile.h"
#include "project/RecoveryFile.h"
#include "project/SearchSettings.h"
#include "project/SectionList.h"
#include "publish/FTPUploadModule.h"
#include "services/Action.h"
#include "services/ConfigFile.h"
#include "services/LocalStrings.h"
#include "services/Localizer.h"
#include "services/MultiAction.h"
#include "services/WidgetTextAdapter.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QStandardPaths>
#include <QStatusBar>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

TModule* Module = nullptr;
THTMLGenerator* HTMLGenerator = nullptr;

namespace {

const QString kGeneral = QStringLiteral("General");

QString WithTrailingSeparator(QString path) {
  if (!path.isEmpty() && !path.endsWith(u'/') && !path.endsWith(u'\\')) path += u'/';
  return path;
}

}  // namespace

TModule::TModule(const QString& projectArgument, QObject* owner) : QObject(owner) {
  setObjectName(QStringLiteral("Module"));
  Module = this;
  // The components, as the module is loaded: the settings file is read first.
  ConfigFile = new TConfigFile(this);
  ConfigFile->setObjectName(QStringLiteral("ConfigFile"));
  ConfigFile->SetFileName(QStringLiteral("Inkloom\\config.ini"));
  ConfigFile->SetLocation(cflCommonAppData);
  ConfigFile->SetAutoLoad(true);
  ConfigFile->SetAutoSave(true);
  SearchSettings = std::make_unique<TSearchSettings>();
  connect(ConfigFile, &TConfigFile::OnLoad, this, &TModule::ConfigFileLoad);
  connect(ConfigFile, &TConfigFile::OnSave, this, &TModule::ConfigFileSave);
  ConfigFile->Loaded();
  LocalStrings = new TLocalStrings(this, QStringLiteral("Module"));
  LocalStrings->setObjectName(QStringLiteral("LocalStrings"));
  GeneratorTexts = new TLocalStrings(this, QStringLiteral("Generator"));
  Localizer = new TLocalizer(this);
  Localizer->setObjectName(QStringLiteral("Localizer"));
  Localizer->SetDefaultLangId(1033);  // a text missing in a language falls back to English
  OpenDialog = AddDialog("OpenDialog", QStringLiteral("Inkloom Projects (*.iklproj)|*.iklproj|Text files (*.txt)|*.txt|All files (*)|*"),
                         QStringLiteral("Open Project"), QString());
  SaveDialog = AddDialog("SaveDialog", QStringLiteral("Inkloom Projects (*.iklproj)|*.iklproj"),
                         QStringLiteral("Save Project As"), GetProjectExtension());
  OpenImageDialog = AddDialog("OpenImageDialog", QStringLiteral("All image files|*.jpg;*.jpeg;*.png;*.gif;*.svg;*.webp"),
                              QStringLiteral("Insert Image"), QString());
  CreateActions();
  AskYesNoCancel = [](const QString& caption, const QString& text) {
    return QMessageBox::question(MainForm, caption, text,
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  };
  AskYesNo = [](const QString& caption, const QString& text) {
    return QMessageBox::question(MainForm, caption, text, QMessageBox::Yes | QMessageBox::No);
  };
  ShowError = &TApplication::ShowError;
  ChooseFile = [](QFileDialog* dialog) {
    return dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()
               ? dialog->selectedFiles().first()
               : QString();
  };
  DataModuleCreate(projectArgument);
}

TModule::~TModule() {
  // Shut-down: the modules go in the reverse order of their creation, then the recent project
  // is stored and the settings file, destroyed last, is written.
  delete SSIPreviewModule;
  SSIPreviewModule = nullptr;
  delete FTPUploadModule;
  FTPUploadModule = nullptr;
  delete HTMLGenerator;
  HTMLGenerator = nullptr;
  delete MainForm;
  MainForm = nullptr;
  // Only a file that was really written is remembered.
  ConfigFile->WriteString(kGeneral, QStringLiteral("RecentFileName"), Recent.Existing().value(0));
  Recent.Save(*ConfigFile);
  SaveSettingsFile();
  delete ConfigFile;
  Module = nullptr;
}

void TModule::SaveSettingsFile() {
  try {
    ConfigFile->SaveAtShutdown();
  } catch (const std::exception& error) {
    ShowError(FormatText(GetString(QStringLiteral("SettingsNotSaved")), {QString::fromUtf8(error.what())}));
  }
}

QObject* TModule::AddDialog(const char* name, const QString& filter, const QString& title,
                            const QString& defaultExt) {
  // The texts of a file dialog, localised like captions; the dialog is made when it is shown.
  auto* texts = new QObject(this);
  texts->setObjectName(QLatin1String(name));
  texts->setProperty("Filter", filter);
  texts->setProperty("Title", title);
  texts->setProperty("DefaultExt", defaultExt);
  texts->setProperty("FileName", QString());
  return texts;
}

void TModule::PrepareFileDialog(QFileDialog& dialog, QObject* texts, bool save) {
  TLocalFileModel::Install(dialog, GetString(QStringLiteral("FolderType")));
  dialog.setWindowTitle(texts->property("Title").toString());
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(TWidgetTextAdapter::NameFilters(texts->property("Filter").toString()));
  QString extension = texts->property("DefaultExt").toString();
  if (!extension.isEmpty()) dialog.setDefaultSuffix(extension.mid(extension.startsWith(u'.') ? 1 : 0));
}

QString TModule::ShowFileDialog(QObject* texts, bool save) {
  QFileDialog dialog(MainForm);
  PrepareFileDialog(dialog, texts, save);
  // The project's folder; the recent project's while untitled; else the default project folder.
  const QString current = texts->property("FileName").toString();
  const bool proposeCurrent = !current.isEmpty() && (save || ProjectFileName.isEmpty());
  const QString folder = proposeCurrent ? QFileInfo(current).absolutePath() : StartFolder();
  if (!folder.isEmpty()) dialog.setDirectory(folder);
  if (proposeCurrent) dialog.selectFile(current);
  QString chosen = ChooseFile(&dialog);
  if (!chosen.isEmpty()) texts->setProperty("FileName", chosen);
  return chosen;
}

QString TModule::StartFolder() const {
  if (!ProjectFileName.isEmpty()) return GetProjectFolder();
  const QString projects = GetDefaultProjectPath();
  return QFileInfo(projects).isDir() ? projects : QString();
}

TAction* TModule::AddAction(const char* name, const QString& caption, const QKeySequence& shortcut,
                            const QString& icon, const QString& label,
                            void (TModule::*execute)(QObject*), bool (TModule::*enabled)() const) {
  auto* action = new TAction(this);
  action->setObjectName(QLatin1String(name));
  action->SetCaption(caption);
  if (!shortcut.isEmpty()) {
    action->SetShortCut(shortcut);
    action->setShortcutContext(Qt::ApplicationShortcut);
  }
  action->setIcon(CommandIcon(icon, label));
  action->SetOnExecute(TNotifyEvent(this, execute));
  if (enabled)
    action->SetOnUpdate(TNotifyEvent::FromFunction(
        [this, enabled, action](QObject*) { action->SetEnabled((this->*enabled)()); }));
  ActionList.append(action);
  return action;
}

void TModule::CreateActions() {
  using K = QKeySequence;
  AddAction("OpenAction", QStringLiteral("Open..."), K(Qt::CTRL | Qt::Key_O), QStringLiteral("document-open"), QStringLiteral("O"), &TModule::CmOpen);
  AddAction("SaveAction", QStringLiteral("Save"), K(Qt::CTRL | Qt::Key_S), QStringLiteral("document-save"), QStringLiteral("S"), &TModule::CmSave);
  AddAction("SaveAsAction", QStringLiteral("Save As..."), K(), QStringLiteral("document-save-as"), QStringLiteral("SA"), &TModule::CmSaveAs);
  AddAction("ExitAction", QStringLiteral("Exit"), K(Qt::CTRL | Qt::Key_Q), QStringLiteral("application-exit"), QStringLiteral("X"), &TModule::CmExit);
  AddAction("PreviewAction", QStringLiteral("Preview"), K(Qt::Key_F9), QStringLiteral("document-print-preview"), QStringLiteral("P"), &TModule::CmPreview);
  AddAction("BrowseAction", QStringLiteral("Files..."), K(Qt::CTRL | Qt::Key_F9), QStringLiteral("folder-open"), QStringLiteral("F"), &TModule::CmBrowse);
  AddAction("UndoAction", QStringLiteral("Undo"), K(Qt::CTRL | Qt::Key_Z), QStringLiteral("edit-undo"), QStringLiteral("U"), &TModule::CmUndo, &TModule::CanUndo);
  AddAction("RedoAction", QStringLiteral("Redo"), K(Qt::CTRL | Qt::Key_Y), QStringLiteral("edit-redo"), QStringLiteral("R"), &TModule::CmRedo, &TModule::CanRedo);
  AddAction("CutAction", QStringLiteral("Cut"), K(Qt::CTRL | Qt::Key_X), QStringLiteral("edit-cut"), QStringLiteral("Ct"), &TModule::CmCut, &TModule::SelectionAvailable);
  AddAction("CopyAction", QStringLiteral("Copy"), K(Qt::CTRL | Qt::Key_C), QStringLiteral("edit-copy"), QStringLiteral("Cp"), &TModule::CmCopy, &TModule::SelectionAvailable);
  AddAction("PasteAction", QStringLiteral("Paste"), K(Qt::CTRL | Qt::Key_V), QStringLiteral("edit-paste"), QStringLiteral("Ps"), &TModule::CmPaste, &TModule::CanPaste);
  AddAction("DeleteAction", QStringLiteral("Delete"), K(Qt::Key_Delete), QStringLiteral("edit-delete"), QStringLiteral("D"), &TModule::CmDelete, &TModule::SelectionAvailable);
  AddAction("SelectAllAction", QStringLiteral("Select All"), K(Qt::CTRL | Qt::Key_A), QStringLiteral("edit-select-all"), QStringLiteral("A"), &TModule::CmSelectAll);
  // The commands whose windows and engines come later are present, with caption and shortcut,
  // and disabled until then.
  const auto later = &TModule::NotYetAvailable;
  const auto never = &TModule::Disabled;
  AddAction("NewAction", QStringLiteral("New..."), K(Qt::CTRL | Qt::Key_N), QStringLiteral("document-new"), QStringLiteral("N"), &TModule::CmNew);
  AddAction("FindAction", QStringLiteral("Find..."), K(Qt::CTRL | Qt::Key_F), QStringLiteral("edit-find"), QStringLiteral("?"), &TModule::FindActionExecute);
  AddAction("FindNextAction", QStringLiteral("Find Next"), K(Qt::Key_F3), QStringLiteral("go-down-search"), QStringLiteral("?>"), &TModule::FindNextActionExecute, &TModule::FindNextActionUpdate);
  AddAction("ReplaceAction", QStringLiteral("Replace..."), K(Qt::CTRL | Qt::Key_R), QStringLiteral("edit-find-replace"), QStringLiteral("?="), &TModule::ReplaceActionExecute);
  AddAction("Header1Action", QStringLiteral("Header 1"), K(), QString(), QStringLiteral("H1"), &TModule::CmHeader1);
  AddAction("Header2Action", QStringLiteral("Header 2"), K(), QString(), QStringLiteral("H2"), &TModule::CmHeader2);
  AddAction("Header3Action", QStringLiteral("Header 3"), K(), QString(), QStringLiteral("H3"), &TModule::CmHeader3);
  AddAction("BoldAction", QStringLiteral("Bold"), K(Qt::CTRL | Qt::Key_B), QStringLiteral("format-text-bold"), QStringLiteral("B"), &TModule::CmBold, &TModule::SelectionAvailable);
  AddAction("ItalicAction", QStringLiteral("Italic"), K(Qt::CTRL | Qt::Key_I), QStringLiteral("format-text-italic"), QStringLiteral("I"), &TModule::CmItalic, &TModule::SelectionAvailable);
  AddAction("BoldItalicAction", QStringLiteral("Bold Italic"), K(), QString(), QStringLiteral("BI"), &TModule::CmBoldItalic, &TModule::SelectionAvailable);
  AddAction("InsertLinkAction", QStringLiteral("Insert Link"), K(Qt::CTRL | Qt::Key_L), QStringLiteral("insert-link"), QStringLiteral("L"), &TModule::CmInsertLink);
  AddAction("InsertImageAction", QStringLiteral("Insert Image..."), K(), QStringLiteral("insert-image"), QStringLiteral("Im"), &TModule::CmInsertImage);
  AddAction("UnorderedListAction", QStringLiteral("Unordered List"), K(), QStringLiteral("view-list-bullet"), QStringLiteral("*"), &TModule::CmUnorderedList);
  AddAction("OrderedListAction", QStringLiteral("Ordered List"), K(), QStringLiteral("view-list-ordered"), QStringLiteral("#"), &TModule::CmOrderedList);
  AddAction("TemplateEditAction", QStringLiteral("Template Editor..."), K(), QString(), QStringLiteral("T"), &TModule::TemplateEditActionExecute);
  AddAction("OptionsAction", QStringLiteral("Options..."), K(), QStringLiteral("preferences-system"), QStringLiteral("Op"), &TModule::CmOptions);
  AddAction("AutomateAction", QStringLiteral("Automate..."), K(), QString(), QStringLiteral("JS"), &TModule::CmScript);
  AddAction("UploadSettingsAction", QStringLiteral("Upload Settings..."), K(), QString(), QStringLiteral("US"), later, never);
  AddAction("UploadAction", QStringLiteral("Upload"), K(), QStringLiteral("send-to"), QStringLiteral("Up"), later, never);
  AddAction("HelpAction", QStringLiteral("Inkloom Help"), K(Qt::Key_F1), QStringLiteral("help-browser"), QStringLiteral("?"), &TModule::CmHelp);
  AddAction("GettingStartedAction", QStringLiteral("Getting Started..."), K(), QString(), QStringLiteral("GS"), &TModule::CmGettingStarted);
  AddAction("HomePageAction", QStringLiteral("Inkloom Home Page"), K(), QStringLiteral("go-home"), QStringLiteral("W"), &TModule::CmHomePage);
  AddAction("AboutAction", QStringLiteral("About..."), K(), QStringLiteral("help-about"), QStringLiteral("i"), &TModule::CmAbout);
  // Table order: New first.
  ActionList.move(ActionList.indexOf(Action(QStringLiteral("NewAction"))), 0);
  OnNewAction = new TMultiAction(this);
  OnNewAction->setObjectName(QStringLiteral("OnNewAction"));
  OnOpenAction = new TMultiAction(this);
  OnOpenAction->setObjectName(QStringLiteral("OnOpenAction"));
  OnSaveAction = new TMultiAction(this);
  OnSaveAction->setObjectName(QStringLiteral("OnSaveAction"));
}

TAction* TModule::Action(const QString& name) const {
  for (TAction* action : ActionList)
    if (action->objectName() == name) return action;
  return nullptr;
}

void TModule::DataModuleCreate(const QString& projectArgument) {
  TInterfaceLanguage::Apply(*Localizer, GetLanguage());
  LocalStrings->Loaded();
  MainForm = new TMainForm(this);
  Formatter = new TFormatCommands(GetEditor());
  EditorSearch = new TEditorSearch(
      GetEditor(), *SearchSettings, [this](const QString& key) { return GetString(key); },
      [](const QString& text) { MainForm->statusBar()->showMessage(text); }, this);
  Recovery = new TRecoveryKeeper([this] { return GetText(); }, [this] { return ProjectFileName; }, this);
  connect(GetEditor(), &QsciScintilla::textChanged, this, [this] {
    if (KeepsRecovery && IsModified()) Recovery->Changed();
  });
  if (ConfigFile->ReadString(kGeneral, QStringLiteral("WindowPosition"), QString()).isEmpty() ||
      !ConfigFile->RestoreWindowPlacement(kGeneral, QStringLiteral("WindowPosition"), MainForm))
    PlaceFirstWindow();
  HTMLGenerator = new THTMLGenerator();
  FTPUploadModule = new TFTPUploadModule(this);
  FTPUploadModule->AttachProjectEvents(OnNewAction, OnOpenAction, OnSaveAction,
                                       [this] { return Document; });
  // Upload and Upload Settings take their captions, state and events from the publishing module.
  FTPUploadModule->SupplyCommands(Action(QStringLiteral("UploadAction")), Action(QStringLiteral("UploadSettingsAction")));
  SSIPreviewModule = new TSSIPreviewModule(this);
  SSIPreviewModule->SetSettings(ConfigFile);
  HTMLGenerator->ThemeExtension = GetThemeExtension().toStdString();
  HTMLGenerator->SetThemesFolder(GetDefaultThemesPath().toStdString());
  QString recent = ConfigFile->ReadString(kGeneral, QStringLiteral("RecentFileName"), QString());
  if (!recent.isEmpty() && QFileInfo(recent).isFile()) OpenDialog->setProperty("FileName", recent);
  Recent.Load(*ConfigFile);
  if (Recent.Existing().isEmpty() && QFileInfo(recent).isFile()) Recent.Add(recent);  // an older settings file
  DefaultLinkUrl = QStringLiteral("http://");
  // Empty: the text table's, in the interface's language.
  DefaultLinkText = ConfigFile->ReadString(kGeneral, QStringLiteral("DefaultLinkText"), QString());
  SearchSettings->SearchTextAtCaret = true;  // whatever the settings file held
  // A FIFO or a device given is refused with a message, not passed over.
  const bool projectGiven = !projectArgument.isEmpty() && QFileInfo::exists(projectArgument) && !QFileInfo(projectArgument).isDir();
  NewProject();  // what stays if the file cannot be read
  if (projectGiven) {
    try {
      OpenProject(QFileInfo(projectArgument).absoluteFilePath());
    } catch (const std::exception& error) {
      QTimer::singleShot(0, this, [this, message = QString::fromUtf8(error.what())] { ShowError(message); });
    }
  }
  QTimer::singleShot(0, this, [this, projectGiven] { ShowStart(projectGiven); });
}

// Once the window is up: unsaved text a crash left behind first, then the start screen.
void TModule::ShowStart(bool projectGiven) {
  if (StartedByAutomation || OfferRecovery() || projectGiven) return;
  ShowStartScreen();
}

bool TModule::OfferRecovery() {
  for (const TRecoveredText& recovered : TRecoveryFile::Pending()) {
    const QString name = TSectionList::ProjectName(recovered.Project, GetString(QStringLiteral("Untitled")));
    const QString question = FormatText(GetString(QStringLiteral("RestoreUnsaved")),
                                        {name, QLocale().toString(recovered.Time, QLocale::ShortFormat)});
    if (AskYesNo(GetString(QStringLiteral("Title")), question) == QMessageBox::Yes) {
      RestoreText(recovered);
      return true;
    }
    TRecoveryFile::Remove(recovered.File);
  }
  return false;
}

// The recovered text comes back as unsaved changes of its project.
void TModule::RestoreText(const TRecoveredText& recovered) {
  if (QFileInfo(recovered.Project).isFile())
    OpenProject(recovered.Project);
  else
    SetFileName(recovered.Project);
  TRecoveryFile::Remove(recovered.File);
  SetText(recovered.Text);
  SetModified(true);
  ContentChanged = true;
  Recovery->Flush();
}

QString TModule::GetString(const QString& key) const { return LocalStrings->GetString(key); }

// The first run: two thirds of the screen, in its middle.
void TModule::PlaceFirstWindow() {
  const QRect screen = MainForm->screen()->availableGeometry();
  const QSize size = MainForm->size().expandedTo(screen.size() * 2 / 3).boundedTo(screen.size());
  MainForm->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, screen));
}

int TModule::GetLanguage() const {
  const int stored = ConfigFile->ReadString(kGeneral, QStringLiteral("Language"), QString()).toInt();
  return TInterfaceLanguage::Valid(stored);
}

void TModule::SetLanguage(int langId) {
  ConfigFile->WriteString(kGeneral, QStringLiteral("Language"), QString::number(TInterfaceLanguage::Valid(langId)));
  TInterfaceLanguage::Apply(*Localizer, langId);
  SetFileName(ProjectFileName);  // the caption's texts
  ContentChanged = true;  // the Content panel's project entry
}

bool TModule::BuildSite() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  struct TRestoreCursor {
    ~TRestoreCursor() { QApplication::restoreOverrideCursor(); }
  } restore;
  MainForm->statusBar()->clearMessage();
  const int result = HTMLGenerator->Generate(GetText());
  ShowGeneratorWarnings();
  if (result == THTMLGenerator::geSuccess) return true;
  ShowGeneratorProblem(result);
  return false;
}

// Messages name the project file as the headless modes do: "shop.iklproj:12: ...".
QString TModule::ProjectFileLabel() const {
  return ProjectFileName.isEmpty() ? GetString(QStringLiteral("Untitled")) : QFileInfo(ProjectFileName).fileName();
}

void TModule::ShowGeneratorProblem(int result) {
  const int line = HTMLGenerator->ErrorLine() - 1;
  GetEditor()->setCursorPosition(line, 0);
  GetEditor()->ensureLineVisible(line);
  GetEditor()->setFocus();
  ShowError(GeneratorProblemReport(*GeneratorTexts, *HTMLGenerator, result, ProjectFileLabel()));
}

void TModule::ShowGeneratorWarnings() {
  const QStringList warnings = GeneratorWarningReports(*GeneratorTexts, *HTMLGenerator, ProjectFileLabel());
  if (!warnings.isEmpty()) MainForm->statusBar()->showMessage(warnings.join(QStringLiteral("; ")));
}

QsciScintilla* TModule::GetEditor() const { return MainForm->Editor(); }

// The whole text: the editor's own reading would stop at a U+0000.
QString TModule::GetText() const { return TProjectFile::FromUtf8(EditorBytes()); }

QByteArrayView TModule::EditorBytes() const {
  QsciScintilla* editor = GetEditor();
  const auto* bytes = reinterpret_cast<const char*>(editor->SendScintilla(QsciScintilla::SCI_GETCHARACTERPOINTER));
  return QByteArrayView(bytes, editor->SendScintilla(QsciScintilla::SCI_GETLENGTH));
}

void TModule::SetText(const QString& text) {
  // The editor keeps CR LF line ends whatever the text brings.
  QString lines = text;
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  lines.replace(u'\n', QStringLiteral("\r\n"));
  // Laying out wrapped lines as the text arrives costs seconds for a large project; the editor
  // wraps what it shows afterwards.
  const TWrapPause unwrapped(GetEditor());
  // By length, not as a C string: a U+0000 must not cut the text.
  const QByteArray bytes = lines.toUtf8();
  QsciScintilla* editor = GetEditor();
  editor->SendScintilla(QsciScintilla::SCI_CLEARALL);
  editor->SendScintilla(QsciScintilla::SCI_APPENDTEXT, static_cast<unsigned long>(bytes.size()), bytes.constData());
  editor->SendScintilla(QsciScintilla::SCI_EMPTYUNDOBUFFER);
}

bool TModule::IsModified() const { return MarkedModified || GetEditor()->isModified(); }

void TModule::SetModified(bool modified) {
  MarkedModified = modified;
  if (!modified) {
    GetEditor()->setModified(false);
    Recovery->Discard();
  }
  MainForm->setWindowModified(IsModified());
}

void TModule::SetFileName(const QString& name) {
  ProjectFileName = name;
  QString caption = GetString(QStringLiteral("Title"));
  if (!name.isEmpty()) {
    caption += QStringLiteral(" - ") + GetProjectName();
    HTMLGenerator->SetProjectFolder(QFileInfo(name).absolutePath().toStdString());
    SaveDialog->setProperty("FileName", name);
  } else {
    HTMLGenerator->SetProjectFolder(UntitledBuildFolder().toStdString());
  }
  // No page may replace the project file itself.
  HTMLGenerator->SetProjectFileName(QFileInfo(name).fileName().toStdString());
  // The task bar shows the window's title; "[*]" marks unsaved changes.
  MainForm->setWindowTitle(caption + QStringLiteral("[*]"));
}

QString TModule::UntitledBuildFolder() {
  if (!UntitledFolder) UntitledFolder = std::make_unique<QTemporaryDir>();  // made for this user only
  return UntitledFolder->isValid() ? UntitledFolder->path() : QString();
}

QString TModule::GetProjectName() const {
  return TSectionList::ProjectName(ProjectFileName, GetString(QStringLiteral("Untitled")));
}

QString TModule::GetProjectFolder() const {
  return ProjectFileName.isEmpty() ? QString() : WithTrailingSeparator(QFileInfo(ProjectFileName).absolutePath());
}

QString TModule::GetOutputFolder() const {
  return QString::fromStdString(ToSlashes(HTMLGenerator->GetOutputFolder()));
}

QString TModule::GetTemplateFolder() const { return GetProjectFolder() + QStringLiteral("template/"); }

QString TModule::GetCurrentPage() const {
  int line = 0, column = 0;
  GetEditor()->getCursorPosition(&line, &column);
  QStringList lines = GetText().split(QStringLiteral("\r\n"));
  return TSectionList::CaretPage(lines, line, QString::fromStdString(HTMLGenerator->GetIndexPage()));
}

QString TModule::GetDefaultProjectPath() const {
  return ConfigFile->ReadString(
      kGeneral, QStringLiteral("DefaultProjectPath"),
      WithTrailingSeparator(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)) +
          QStringLiteral("My Web Projects/"));
}

void TModule::SetDefaultProjectPath(const QString& path) {
  ConfigFile->WriteString(kGeneral, QStringLiteral("DefaultProjectPath"), WithTrailingSeparator(path));
}

QString TModule::GetDefaultThemesPath() const {
  return ConfigFile->ReadString(kGeneral, QStringLiteral("DefaultThemesPath"), InstalledThemesFolder());
}

void TModule::SetDefaultThemesPath(const QString& path) {
  ConfigFile->WriteString(kGeneral, QStringLiteral("DefaultThemesPath"), WithTrailingSeparator(path));
}

bool TModule::GetShowWelcomeScreen() const {
  return ConfigFile->ReadBool(kGeneral, QStringLiteral("ShowWelcomeScreenAtStartup"), true);
}

void TModule::SetShowWelcomeScreen(bool show) {
  ConfigFile->WriteBool(kGeneral, QStringLiteral("ShowWelcomeScreenAtStartup"), show);
}

bool TModule::GetPreviewNewProject() const {
  return ConfigFile->ReadBool(kGeneral, QStringLiteral("PreviewNewProject"), false);
}

void TModule::SetPreviewNewProject(bool preview) {
  ConfigFile->WriteBool(kGeneral, QStringLiteral("PreviewNewProject"), preview);
}

// A page of the guide in the interface's language.
QString TModule::HelpPage(const QString& page) const {
  const QString language = Localizer->LangId() == TInterfaceLanguage::Russian ? QStringLiteral("ru/") : QString();
  return HelpFolder() + language + page;
}

QString TModule::HelpFolder() { return TProgramFiles::DataFolder(QStringLiteral("help")); }

void TModule::SaveWindowPosition() {
  ConfigFile->SaveWindowPlacement(kGeneral, QStringLiteral("WindowPosition"), MainForm);
}

void TModule::ShowStartScreen() {
  if (GetShowWelcomeScreen()) {
    TWelcomeForm welcome(MainForm);
    ShowDialog(welcome);
    return;
  }
  QString recent = OpenDialog->property("FileName").toString();
  if (!recent.isEmpty()) OpenProject(recent);
}

int TModule::ShowDialog(QDialog& dialog) { return RunDialog ? RunDialog(&dialog) : dialog.exec(); }

void TModule::ApplicationEventsIdle() {
  if (ContentChanged) {
    MainForm->RebuildSectionList(TSectionList::Build(EditorBytes(), GetString(QStringLiteral("Project"))));
    ContentChanged = false;
  }
  for (TAction* action : ActionList) action->Update();
}

void TModule::NewProject() {
  OpenedPlainText = false;
  DiskStamp = TFileStamp();
  SetFileName(QString());
  GetEditor()->clear();
  SetModified(false);
  ContentChanged = true;  // the list shows at least the project entry
  OnNewAction->Execute();
}

bool TModule::QuerySaveChanges() {
  if (!IsModified()) return true;
  QString text = GetString(QStringLiteral("SaveChanges")).replace(QStringLiteral("%s"), GetProjectName());
  switch (AskYesNoCancel(GetString(QStringLiteral("Title")), text)) {
    case QMessageBox::Yes: return SaveBeforeDiscard();
    case QMessageBox::No: return true;
    default: return false;
  }
}

// A save that fails keeps the text and says why: the caller must not discard it.
bool TModule::SaveBeforeDiscard() {
  try {
    return SaveCurrent();
  } catch (const std::exception& error) {
    ShowError(QString::fromUtf8(error.what()));
    return false;
  }
}

void TModule::ProjectClosed() { Recovery->Discard(); }

// A file opened as plain text is never overwritten by a save the user did not name: it is
// saved as a project beside it.
bool TModule::SaveCurrent() {
  if (ProjectFileName.isEmpty() || OpenedPlainText) return SaveProjectAs();
  switch (AskWhoseText()) {
    case QMessageBox::Yes:
      return SaveProject(ProjectFileName);
    case QMessageBox::No:
      ReloadProject();
      return false;
    default:
      return false;
  }
}

// Yes: the text here is written. When another program changed the file since it was read or
// written here, the user decides: No reads that program's version, Cancel keeps both.
int TModule::AskWhoseText() {
  if (!DiskStamp.ChangedOnDisk(ProjectFileName)) return QMessageBox::Yes;
  const int answer = AskYesNoCancel(GetString(QStringLiteral("Title")),
                                    FormatText(GetString(QStringLiteral("ProjectChangedOnDisk")), {GetProjectName()}));
  return answer == QMessageBox::Yes || answer == QMessageBox::No ? answer : QMessageBox::Cancel;
}

void TModule::ReloadProject() { OpenShowingError(ProjectFileName); }

// Opens a project a command names; a file that cannot be read is said, and the project open
// before stays.
void TModule::OpenShowingError(const QString& name) {
  try {
    OpenProject(name);
  } catch (const std::exception& error) {
    ShowError(QString::fromUtf8(error.what()));
  }
}

void TModule::CheckProjectOnDisk() {
  if (CheckingDisk || ProjectFileName.isEmpty() || IsModified() || !DiskStamp.ChangedOnDisk(ProjectFileName)) return;
  CheckingDisk = true;  // the question's own closing activates the window again
  const QString question = FormatText(GetString(QStringLiteral("ReloadChanged")), {GetProjectName()});
  if (AskYesNo(GetString(QStringLiteral("Title")), question) == QMessageBox::Yes)
    ReloadProject();
  else
    DiskStamp = TFileStamp::Of(ProjectFileName);  // that version is not offered again
  CheckingDisk = false;
}

bool TModule::OpenProject(const QString& name) {
  QString file = name;
  if (file.isEmpty()) {
    if (!QuerySaveChanges()) return false;
    file = ShowFileDialog(OpenDialog, false);
    if (file.isEmpty()) return false;
  }
  // A file that cannot be read leaves the open project as it was.
  TProjectFileContents contents = TProjectFile::Read(file);
  Document = contents.Document;
  if (!Document.isNull()) HTMLGenerator->Theme().Clear();
  SetText(contents.Text);
  OnOpenAction->Execute();  // a file without settings resets them
  SetFileName(file);
  DiskStamp = contents.Stamp;
  OpenedPlainText = !contents.IsProject();
  if (OpenedPlainText) {
    const QFileInfo info(file);
    SaveDialog->setProperty("FileName", info.dir().filePath(info.completeBaseName() + GetProjectExtension()));
  }
  SetModified(false);
  ContentChanged = true;
  RememberProject(file);
  return true;
}

void TModule::RememberProject(const QString& name) {
  Recent.Add(name);
  Q_EMIT RecentProjectsChanged();
}

void TModule::OpenRecentProject(const QString& name) {
  if (QuerySaveChanges()) OpenShowingError(name);
}

bool TModule::SaveProject(const QString& name) {
  if (name.isEmpty()) return SaveProjectAs();
  try {
    Document = TProjectFile::Write(name, GetText(), [this](QDomElement& root) {
      Document = root.ownerDocument();  // the handlers add their parts to the new document
      OnSaveAction->Execute();
    });
  } catch (const EProjectCharacterError& error) {
    throw EInkloomError(FormatText(GetString(QStringLiteral("InvalidCharacter")),
                                   {QString::number(error.Line), EProjectCharacterError::CodeText(error.Code)})
                            .toStdString());
  }
  SetModified(false);
  OpenedPlainText = false;
  SetFileName(name);
  DiskStamp = TFileStamp::Of(name);
  RememberProject(name);
  return true;
}

bool TModule::SaveProjectAs() {
  const QString templateFolder = ProjectFileName.isEmpty() ? QString() : GetTemplateFolder();
  const QString file = ShowFileDialog(SaveDialog, true);
  if (file.isEmpty() || !SaveProject(file)) return false;
  OfferTemplateCopy(templateFolder);
  return true;
}

// A project saved into another folder takes its theme copy along, when the user agrees, so the
// site does not silently lose its look.
void TModule::OfferTemplateCopy(const QString& fromFolder) {
  const QString to = GetTemplateFolder();
  const QFileInfo from(fromFolder);
  if (!from.isDir() || QFileInfo::exists(to) || from.canonicalFilePath() == QFileInfo(to).canonicalFilePath())
    return;
  if (AskYesNo(GetString(QStringLiteral("Title")), GetString(QStringLiteral("CopyTemplate"))) != QMessageBox::Yes)
    return;
  if (!CopyFolder(fromFolder.toStdString(), to.toStdString(), false))
    ShowError(FormatText(GetString(QStringLiteral("TemplateNotCopied")), {QDir::toNativeSeparators(to)}));
}

// The desktop's handler for an address, a folder or a file; saying so when there is none.
void TModule::OpenUrl(const QUrl& url) {
  if (QDesktopServices::openUrl(url)) return;
  ShowError(FormatText(GetString(QStringLiteral("NoHandler")),
                       {url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString()}));
}

// The windows of the browser module; null, after saying why, when it could not be loaded.
TBrowserWindows* TModule::BrowserWindows() {
  TBrowserWindows* windows = TBrowserWindows::Get();
  if (!windows) ShowError(FormatText(GetString(QStringLiteral("NoBrowser")), {TBrowserWindows::LoadError()}));
  return windows;
}

void TModule::ShowGuide(const QString& page) {
  if (TBrowserWindows* windows = BrowserWindows()) windows->ShowHelp(HelpPage(page));
}

bool TModule::SelectionAvailable() const { return GetEditor()->hasSelectedText(); }
bool TModule::CanUndo() const { return GetEditor()->isUndoAvailable(); }
bool TModule::CanRedo() const { return GetEditor()->isRedoAvailable(); }
bool TModule::CanPaste() const {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  return data && data->hasText();
}

void TModule::CmOpen(QObject*) { OpenProject(QString()); }

void TModule::CmNew(QObject*) {
  if (!QuerySaveChanges()) return;
  TNewSiteForm wizard(MainForm);
  if (ShowDialog(wizard) == QDialog::Accepted && GetPreviewNewProject()) CmPreview(nullptr);
}

void TModule::CmScript(QObject*) {
  TScriptEditForm scripts(MainForm);
  ShowDialog(scripts);
}

void TModule::TemplateEditActionExecute(QObject*) {
  TTemplateEditForm editor(MainForm);
  ShowDialog(editor);
}

void TModule::CmOptions(QObject*) {
  TOptionsForm options(MainForm);
  ShowDialog(options);
}

void TModule::CmSave(QObject*) { SaveCurrent(); }

void TModule::CmSaveAs(QObject*) { SaveProjectAs(); }

void TModule::CmExit(QObject*) { MainForm->close(); }

void TModule::CmPreview(QObject*) {
  if (!BuildSite()) return;
  QString page = GetCurrentPage();
  if (page.isEmpty()) return;
  std::string preview;
  if (HTMLGenerator->GetVariable("preview", preview) && !preview.empty()) {
    OpenUrl(QUrl::fromUserInput(QString::fromStdString(preview) + page, QDir::currentPath(), QUrl::AssumeLocalFile));
    return;
  }
  if (!BrowserWindows()) return;
  {
    // The editor's wrapping of a long text in idle time would share this thread with the page's
    // requests; it goes on once the preview is closed.
    const TWrapPause unwrapped(GetEditor());
    SSIPreviewModule->ShowPreview(QStringLiteral("preview"), QString(page).replace(u'\\', u'/'),
                                  GetOutputFolder());
  }
  // The main window active again, the section list first, then the editor: the keyboard is back
  // in the text.
  MainForm->activateWindow();
  MainForm->ContentListView()->setFocus();
  GetEditor()->setFocus();
}

void TModule::CmBrowse(QObject*) {
  if (!BuildSite()) return;
  OpenUrl(QUrl::fromLocalFile(GetOutputFolder()));
}

void TModule::CmHeader1(QObject*) { Formatter->Heading(1); }
void TModule::CmHeader2(QObject*) { Formatter->Heading(2); }
void TModule::CmHeader3(QObject*) { Formatter->Heading(3); }
void TModule::CmBold(QObject*) { Formatter->Emphasis(QStringLiteral("_[")); }
void TModule::CmItalic(QObject*) { Formatter->Emphasis(QStringLiteral("__[")); }
void TModule::CmBoldItalic(QObject*) { Formatter->Emphasis(QStringLiteral("___[")); }
void TModule::CmInsertLink(QObject*) {
  Formatter->InsertLink(DefaultLinkUrl, DefaultLinkText.isEmpty() ? GetString(QStringLiteral("DefaultLinkText")) : DefaultLinkText);
}
void TModule::CmUnorderedList(QObject*) { Formatter->ToggleList(u'#', u'*'); }
void TModule::CmOrderedList(QObject*) { Formatter->ToggleList(u'*', u'#'); }

void TModule::CmInsertImage(QObject*) {
  const QString file = ChooseImage();
  if (file.isEmpty()) return;
  const QString theme = ProjectFileName.isEmpty() ? QString() : GetTemplateFolder();
  QString path = TFormatting::MakeImagePath(file, GetOutputFolder(), theme);
  if (path.isEmpty()) path = CopyImageToTheme(file);
  if (!path.isEmpty()) Formatter->InsertImage(path);
}

QString TModule::CopyImageToTheme(const QString& file) {
  const QString target = TFormatting::ImageCopyTarget(file, GetTemplateFolder());
  const QString folder = QDir::toNativeSeparators(QFileInfo(target).absolutePath());
  const QString question = FormatText(GetString(QStringLiteral("CopyImage")), {QFileInfo(file).fileName(), folder});
  if (AskYesNo(GetString(QStringLiteral("Title")), question) != QMessageBox::Yes || !MayReplaceImage(target))
    return QString();
  QDir().mkpath(QFileInfo(target).absolutePath());
  if (!QFile::copy(file, target)) {
    ShowError(FormatText(GetString(QStringLiteral("ImageNotCopied")), {folder}));
    return QString();
  }
  return TFormatting::MakeImagePath(target, GetOutputFolder(), GetTemplateFolder());
}

bool TModule::MayReplaceImage(const QString& target) {
  if (!QFileInfo::exists(target)) return true;
  const QString question = FormatText(GetString(QStringLiteral("ReplaceImage")), {QDir::toNativeSeparators(target)});
  return AskYesNo(GetString(QStringLiteral("Title")), question) == QMessageBox::Yes && QFile::remove(target);
}

// The image dialog starts in the output folder (the project's before the first build), each
// time without a file chosen, and shows the picture of the file at hand.
QString TModule::ChooseImage() {
  OpenImageDialog->setProperty("FileName", QString());
  QFileDialog dialog(MainForm);
  PrepareFileDialog(dialog, OpenImageDialog, false);
  dialog.setDirectory(QFileInfo(GetOutputFolder()).isDir() ? GetOutputFolder() : StartFolder());
  new TImagePreview(&dialog);
  return ChooseFile(&dialog);
}

void TModule::CmUndo(QObject*) { Formatter->Undo(); }
void TModule::CmRedo(QObject*) {
  const TWrapPause unwrapped(GetEditor());
  GetEditor()->redo();
}
void TModule::CmCut(QObject*) { GetEditor()->cut(); }
void TModule::CmCopy(QObject*) { GetEditor()->copy(); }
void TModule::CmPaste(QObject*) {
  GetEditor()->paste();
  GetEditor()->viewport()->update();
}
void TModule::CmDelete(QObject*) { GetEditor()->removeSelectedText(); }
void TModule::CmSelectAll(QObject*) { GetEditor()->selectAll(); }

// The search settings live in config.ini between runs.
void TModule::ConfigFileLoad(TConfigFile*) { SearchSettings->Load(*ConfigFile); }
void TModule::ConfigFileSave(TConfigFile*) { SearchSettings->Save(*ConfigFile); }

void TModule::FindActionExecute(QObject*) { EditorSearch->OpenSearchDialog(false); }
void TModule::ReplaceActionExecute(QObject*) { EditorSearch->OpenSearchDialog(true); }
// Always forward, whatever direction the dialog chose.
void TModule::FindNextActionExecute(QObject*) { EditorSearch->RunSearch(false, false); }
bool TModule::FindNextActionUpdate() const { return EditorSearch->CanFindNext(); }

void TModule::CmHelp(QObject*) { ShowGuide(QStringLiteral("index.html")); }

void TModule::CmGettingStarted(QObject*) { ShowGuide(QStringLiteral("getting-started.html")); }

// The home page is the guide's own page about the program.
void TModule::CmHomePage(QObject*) { ShowGuide(QStringLiteral("about.html")); }

void TModule::CmAbout(QObject*) {
  TAboutForm about(MainForm);
  about.exec();
}
