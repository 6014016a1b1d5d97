#include "SiteComparison.h"

#include "TestZip.h"
#include "generator/Generator.h"
#include "generator/InkloomError.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <zlib.h>

#include <utility>

namespace {

// Writes and copies only below its folder (a project may move its output folder anywhere), and
// its NOW never changes.
class TFencedGenerator : public THTMLGenerator {
 public:
  explicit TFencedGenerator(const QString& folder) : Folder(QDir::cleanPath(folder) + '/') {
    SetProjectFolder(Folder.toStdString());
    SetThemesFolder((Folder + QStringLiteral("no-themes")).toStdString());
  }

 protected:
  void WritePage(const std::string& name, const std::string& body) override {
    if (Inside()) THTMLGenerator::WritePage(name, body);
  }
  void CopyThemeResources() override {
    if (Inside()) THTMLGenerator::CopyThemeResources();
  }
  std::string FormatNow() const override { return "Tue, 8 Jan 2008 14:05:09 +0300"; }

 private:
  QString Folder;

  bool Inside() const {
    return (QDir::cleanPath(FileSystemPath(GetOutputFolder())) + '/').startsWith(Folder);
  }
};

void WriteFile(const QString& path, const std::string& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A zip archive of stored entries; the entry named damaged gets a wrong CRC.
std::string StoredArchive(const std::vector<std::pair<std::string, std::string>>& entries,
                          const std::string& damaged) {
  std::string out, directory;
  for (const auto& [name, data] : entries) {
    uint32_t crc = crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    if (name == damaged) crc ^= 1;
    const uint32_t offset = static_cast<uint32_t>(out.size());
    for (std::string* record : {&out, &directory}) {
      Put32(*record, record == &out ? 0x04034b50 : 0x02014b50);
      if (record == &directory) Put16(*record, 10);
      for (uint32_t value : {10u, 0u, 0u, 0u, 0x5A21u}) Put16(*record, value);
      Put32(*record, crc);
      Put32(*record, static_cast<uint32_t>(data.size()));
      Put32(*record, static_cast<uint32_t>(data.size()));
      Put16(*record, static_cast<uint32_t>(name.size()));
      Put16(*record, 0);
    }
    for (int i = 0; i < 3; ++i) Put16(directory, 0);
    Put32(directory, 0);
    Put32(directory, offset);
    directory += name;
    out += name;
    out += data;
  }
  AppendCentralDirectory(out, directory, entries.size());
  return out;
}

}  // namespace

void TSiteComparison::WriteThemes(const QString& folder) {
  const QDir dir(folder);
  WriteFile(dir.filePath(QStringLiteral("template/index.html")),
            "<html><head><title>{title}</title><link rel=\"stylesheet\" href=\"css/a.css\">"
            "</head><body>{menu}{content}</body></html>\n");
  WriteFile(dir.filePath(QStringLiteral("template/other.html")),
            "<p>{INDEX}|{NAME}|{.title}</p>\n{content}<img src=\"img/b.png\">");
  WriteFile(dir.filePath(QStringLiteral("template/css/a.css")),
            "body { background: url(../img/a.png) } p { background: url('c.gif') }");
  for (const char* image : {"template/img/a.png", "template/img/b.png", "template/css/c.gif"})
    WriteFile(dir.filePath(QLatin1String(image)), image);
  WriteFile(dir.filePath(QStringLiteral("blue/index.htm")),
            "<body background=\"bg.gif\">{content}<hr>{content}</body>");
  WriteFile(dir.filePath(QStringLiteral("blue/bg.gif")), "GIF");
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"index.html", "<link rel=\"stylesheet\" href=\"style.css\">{content}"},
      {"style.css", "h1 { background: url(img/z.png) }"},
      {"img/z.png", "Z"}};
  WriteFile(dir.filePath(QStringLiteral("packed.zip")), StoredArchive(entries, ""));
  WriteFile(dir.filePath(QStringLiteral("damaged.zip")), StoredArchive(entries, "style.css"));
}

std::map<std::string, std::string> TSiteComparison::FileTree(const QString& folder) {
  std::map<std::string, std::string> tree;
  const QDir base(folder);
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    tree[base.relativeFilePath(path).toStdString()] = file.readAll().toStdString();
  }
  return tree;
}

TGenerationRecord TSiteComparison::Generate(const std::string& text, int threads,
                                            const QString& folder) {
  QDir(folder).removeRecursively();
  QDir().mkpath(folder);
  WriteThemes(folder);
  TFencedGenerator generator(folder);
  generator.SetThreadCount(threads);
  TGenerationRecord record;
  try {
    record.Result = generator.GenerateUtf8(text);
  } catch (const EInkloomError& error) {
    record.Error = error.what();
  }
  record.Files = FileTree(folder);
  record.Written = generator.WrittenFiles();
  for (const TGeneratorWarning& warning : generator.Warnings()) record.Warnings.push_back(Describe(warning));
  // The archive's path without the folder, which differs between the generations compared.
  std::string subject = generator.ErrorSubject();
  const std::string prefix = QDir::cleanPath(folder).toStdString() + "/";
  if (subject.compare(0, prefix.size(), prefix) == 0) subject.erase(0, prefix.size());
  record.ErrorSubject = subject + '|' + generator.ErrorDetail();
  record.IndexPage = generator.GetIndexPage();
  record.ErrorLine = generator.ErrorLine();
  record.Title = generator.GetVariableOr("title", "<none>");
  return record;
}

namespace {

std::string Lines(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += "  " + item + "\n";
  return out;
}

std::string FilesDifference(const std::map<std::string, std::string>& a,
                            const std::map<std::string, std::string>& b) {
  for (const auto& [path, bytes] : a) {
    auto other = b.find(path);
    if (other == b.end()) return "file only in the first: " + path;
    if (other->second != bytes)
      return "file " + path + " differs:\n---\n" + bytes + "\n+++\n" + other->second;
  }
  for (const auto& [path, bytes] : b)
    if (!a.count(path)) return "file only in the second: " + path;
  return std::string();
}

}  // namespace

std::string TSiteComparison::Describe(const TGeneratorWarning& warning) {
  static const char* const kKinds[] = {" theme ", " outside ", " repeated ", " template "};
  std::string text = std::to_string(warning.Line) + kKinds[warning.Kind] + warning.Subject;
  if (warning.Kind == TGeneratorWarning::gwSectionRepeated) text += " " + std::to_string(warning.FirstLine);
  return text;
}

std::string TSiteComparison::Difference(const TGenerationRecord& a, const TGenerationRecord& b) {
  if (a.Result != b.Result)
    return "result " + std::to_string(a.Result) + " and " + std::to_string(b.Result);
  if (a.Error != b.Error) return "error \"" + a.Error + "\" and \"" + b.Error + "\"";
  if (a.ErrorSubject != b.ErrorSubject) return "error subject " + a.ErrorSubject + " and " + b.ErrorSubject;
  if (a.ErrorLine != b.ErrorLine)
    return "error line " + std::to_string(a.ErrorLine) + " and " + std::to_string(b.ErrorLine);
  if (a.Written != b.Written) return "WrittenFiles\n" + Lines(a.Written) + "and\n" + Lines(b.Written);
  if (a.Warnings != b.Warnings) return "warnings\n" + Lines(a.Warnings) + "and\n" + Lines(b.Warnings);
  if (a.IndexPage != b.IndexPage) return "index page " + a.IndexPage + " and " + b.IndexPage;
  if (a.Title != b.Title) return "title " + a.Title + " and " + b.Title;
  return FilesDifference(a.Files, b.Files);
}
