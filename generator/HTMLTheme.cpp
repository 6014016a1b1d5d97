#include "generator/HTMLTheme.h"

#include "generator/FolderWriter.h"
#include "generator/MiscUtils.h"
#include "generator/SciZipFile.h"
#include "generator/ThemeArchiveError.h"
#include "project/CodePage.h"
#include "project/XMLUtils.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Files up to this size are kept once read (templates and style sheets every page asks for).
constexpr size_t kMaxCachedBytes = size_t(1) << 20;

// The existing file or folder at path; when the exact name is missing, each part of the path
// is matched without regard to letter case (themes named as on Windows).
QString ExistingPath(const std::string& path) {
  QString exact = QDir::cleanPath(QFileInfo(FileSystemPath(path)).absoluteFilePath());
  if (QFileInfo::exists(exact)) return exact;
  return ResolvePathIgnoringCase(QStringLiteral("/"), exact.mid(1));
}

// destination + name, or an empty path when name would lead out of destination.
bool TargetPath(const std::string& destination, std::string_view name, std::string& target) {
  std::string relative;
  if (!NormalizeRelativePath(name, relative)) return false;
  target = IncludeTrailingSeparator(destination) + relative;
  return true;
}

}  // namespace

THTMLTheme::THTMLTheme() = default;
THTMLTheme::~THTMLTheme() = default;

void THTMLTheme::Clear() {
  Archive.reset();
  ArchivePath.clear();
  Folder.clear();
  FolderReal.clear();
  DefaultTemplateName.clear();
  TitleText.clear();
  InitialProjectText.clear();
  Forget();
}

void THTMLTheme::Forget() {
  std::lock_guard<std::mutex> lock(FileCacheMutex);
  FileCache.clear();
  TemplateCache.clear();
}

bool THTMLTheme::Load(const std::string& path, const std::string& extension) {
  Clear();
  BrokenArchivePath.clear();
  QString folder = ExistingPath(path);
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
    Folder = IncludeTrailingSeparator(folder.toStdString());
    FolderReal = RealPath(folder);
  } else if (!LoadArchive(path) && !LoadArchive(path + ".zip") && !LoadArchive(path + extension)) {
    return false;
  }
  ReadInfo();
  FindDefaultTemplate();
  return true;
}

bool THTMLTheme::LoadArchive(const std::string& path) {
  QString file = ExistingPath(path);
  if (file.isEmpty() || !QFileInfo(file).isFile()) return false;
  auto archive = std::make_unique<TZipFile>();
  try {
    archive->LoadFromFile(file.toStdString());
  } catch (const EInkloomError&) {
    return false;  // an archive that cannot be read is a missing theme
  }
  if (archive->Count() == 0) {  // no archive at all, or one without files: no theme either
    if (BrokenArchivePath.empty()) BrokenArchivePath = file.toStdString();
    return false;
  }
  Archive = std::move(archive);
  ArchivePath = file.toStdString();
  return true;
}

void THTMLTheme::ReadInfo() {
  std::string bytes;
  if (!ReadFile("info.xml", bytes)) return;
  QDomDocument document;
  if (!LoadXmlText(TCodePage::ToUnicode(bytes), document)) return;
  QDomElement root = document.documentElement();
  TitleText = GetChildText(root, QStringLiteral("title"), QString());
  InitialProjectText = GetChildText(root, QStringLiteral("project"), QString());
}

void THTMLTheme::FindDefaultTemplate() {
  if (FileExists("index.html")) {
    DefaultTemplateName = "index.html";
  } else if (Archive) {
    for (int i = 0; i < Archive->Count(); ++i) {
      if (LowerCaseAscii(Archive->Name(i)).find(".htm") != std::string::npos) {
        DefaultTemplateName = Archive->Name(i);
        return;
      }
    }
  } else {
    // The first in name order: the order the file system lists them in differs between machines.
    const QStringList files = MatchingNames(FileSystemPath(Folder), QStringLiteral("*.htm*"), true);
    if (!files.isEmpty()) DefaultTemplateName = files.first().toStdString();
  }
}

int THTMLTheme::FindEntry(std::string_view name) const {
  if (!Archive) return -1;
  std::string wanted = ToSlashes(name);
  for (int i = Archive->Count() - 1; i >= 0; --i)
    if (SameTextAscii(Archive->Name(i), wanted)) return i;
  return -1;
}

// A link that leads out of the theme is no theme file: a template named style.css linking to
// ~/.ssh/id_rsa would publish the key.
QString THTMLTheme::FolderFile(std::string_view name) const {
  std::string relative;
  if (Folder.empty() || !NormalizeRelativePath(name, relative)) return QString();
  const QString file = ResolvePathIgnoringCase(FileSystemPath(Folder), QString::fromStdString(relative));
  return PathWithin(FolderReal, RealPath(file)) ? file : QString();
}

bool THTMLTheme::FileExists(std::string_view name) const {
  if (Archive) return FindEntry(name) >= 0;
  QString file = FolderFile(name);
  return !file.isEmpty() && QFileInfo(file).isFile();
}

bool THTMLTheme::ReadFile(std::string_view name, std::string& bytes) const {
  std::lock_guard<std::mutex> lock(FileCacheMutex);
  std::string key(name);
  auto cached = FileCache.find(key);
  if (cached == FileCache.end()) {
    std::string read;
    // A damaged archive entry raises here, every time it is asked for: nothing is cached then.
    bool found = ReadFileUncached(name, read);
    if (found && read.size() > kMaxCachedBytes) {  // no second copy of a large file
      bytes = std::move(read);
      return true;
    }
    cached = FileCache.emplace(std::move(key), found ? std::optional<std::string>(std::move(read))
                                                     : std::nullopt).first;
  }
  if (!cached->second) return false;
  bytes = *cached->second;
  return true;
}

bool THTMLTheme::ReadFileUncached(std::string_view name, std::string& bytes) const {
  if (Archive) {
    int index = FindEntry(name);
    if (index < 0) return false;
    bytes = EntryData(index);
    return true;
  }
  QString file = FolderFile(name);
  if (file.isEmpty() || !QFileInfo(file).isFile()) return false;
  return ReadFileText(file.toStdString(), bytes);
}

// Every page asks for its template: it is read and converted once (for each code page).
bool THTMLTheme::ReadTemplate(std::string_view name, std::string& utf8) const {
  std::string key = TCodePage::Name() + '\0' + std::string(name);
  {
    std::lock_guard<std::mutex> lock(FileCacheMutex);
    auto cached = TemplateCache.find(key);
    if (cached != TemplateCache.end()) {
      if (cached->second) utf8 = *cached->second;
      return cached->second.has_value();
    }
  }
  // A damaged archive entry raises, every time: nothing is cached then.
  std::string text;
  const bool found = ReadTemplateUncached(name, text);
  std::lock_guard<std::mutex> lock(FileCacheMutex);
  TemplateCache.emplace(std::move(key), found ? std::optional<std::string>(text) : std::nullopt);
  if (found) utf8 = std::move(text);
  return found;
}

bool THTMLTheme::ReadTemplateUncached(std::string_view name, std::string& utf8) const {
  std::string base(name.empty() ? std::string_view(DefaultTemplateName) : name);
  if (base.empty()) return false;
  std::string bytes;
  for (const std::string& candidate : {base, base + ".html", base + ".htm"}) {
    if (ReadFile(candidate, bytes)) {
      utf8 = TCodePage::AnsiToUtf8(bytes);
      return true;
    }
  }
  return false;
}

void THTMLTheme::CopyResource(std::string_view name, const std::string& destination,
                              TCopyReport& report) const {
  std::string relative;
  if (!NormalizeRelativePath(name, relative)) return;
  if (Archive) {
    const int index = FindEntry(name);
    if (index >= 0) CopyBytes(destination, relative, EntryData(index), report);
  } else if (!Folder.empty()) {
    CopyFolderResource(relative, destination, report);
  }
}

// The folder part is found without regard to letter case; the wildcard pattern of the last
// part matches that way anyway.
void THTMLTheme::CopyFolderResource(const std::string& relative, const std::string& destination,
                                    TCopyReport& report) const {
  const std::string folderPart = ExtractFolderPart(relative);
  const QString pattern = QString::fromStdString(relative.substr(folderPart.size()));
  const QString sourceFolder = folderPart.empty()
                                   ? FileSystemPath(Folder)
                                   : ResolvePathIgnoringCase(FileSystemPath(Folder),
                                                             QString::fromStdString(folderPart));
  if (sourceFolder.isEmpty()) return;
  TThemeFiles files(FolderReal);
  files.Collect(sourceFolder, folderPart, pattern);
  CopyFiles(files, destination, report);
}

void THTMLTheme::CopyFiles(const TThemeFiles& files, const std::string& destination, TCopyReport& report) {
  report.Skipped.insert(report.Skipped.end(), files.Skipped().begin(), files.Skipped().end());
  std::string bytes;
  for (const TThemeFiles::TFile& file : files.Files())
    if (ReadFileText(file.Source.toStdString(), bytes)) CopyBytes(destination, file.Relative, bytes, report);
}

void THTMLTheme::CopyBytes(const std::string& destination, const std::string& relative,
                           const std::string& bytes, TCopyReport& report) {
  const TFolderWriter::TResult result = TFolderWriter(FileSystemPath(destination)).Write(relative, bytes);
  if (result == TFolderWriter::fwWritten) report.Copied.push_back(relative);
  report.LeadsOut = report.LeadsOut || result == TFolderWriter::fwLeadsOut;
}

std::string THTMLTheme::EntryData(int index) const {
  try {
    return Archive->Data(index);
  } catch (const EInkloomError& error) {
    throw EThemeArchiveError(ArchivePath, Archive->Name(index), error.what());
  }
}

void THTMLTheme::ExtractTo(const std::string& destination) const {
  if (Archive) {
    for (int i = 0; i < Archive->Count(); ++i) {
      const std::string name = Archive->Name(i);
      std::string target;
      if (!TargetPath(destination, name, target)) continue;
      if (!name.empty() && name.back() == '/')
        QDir().mkpath(FileSystemPath(target));
      else
        WriteFileText(target, EntryData(i));
    }
  } else if (!Folder.empty()) {
    // Only what really lies in the theme: a link in a downloaded theme must not bring a file
    // from elsewhere into the project, from where it would be published.
    TThemeFiles files(FolderReal);
    files.CollectAll();
    TCopyReport report;
    CopyFiles(files, destination, report);
  }
}
