// The whole generator on a project text, in a folder of its own. Pages go only into that
// folder: a project that moves its output folder elsewhere ($outpath) is generated without
// writing, since a fuzzer must not write anywhere on the machine. (A blank $outpath is the
// default folder "html", inside; an output folder that is the theme's own is inside too.)

#include "generator/Generator.h"
#include "generator/InkloomError.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <string>

namespace {

class TSandboxedGenerator : public THTMLGenerator {
 public:
  explicit TSandboxedGenerator(const QString& folder) : Folder(QDir::cleanPath(folder) + '/') {
    SetProjectFolder(Folder.toStdString());
  }

 protected:
  void WritePage(const std::string& name, const std::string& body) override {
    if (InsideFolder()) THTMLGenerator::WritePage(name, body);
  }
  void CopyThemeResources() override {
    if (InsideFolder()) THTMLGenerator::CopyThemeResources();
  }

 private:
  QString Folder;

  bool InsideFolder() const {
    QString output = QDir::cleanPath(FileSystemPath(GetOutputFolder())) + '/';
    return output.startsWith(Folder);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  static QTemporaryDir folder;
  static bool prepared = [] {
    QDir(folder.path()).mkpath(QStringLiteral("template/css"));
    QFile page(folder.filePath(QStringLiteral("template/index.html")));
    page.open(QIODevice::WriteOnly);
    page.write("<html><head><title>{title}</title><link rel=stylesheet href=css/a.css></head>"
               "<body>{menu}{content}</body></html>");
    QFile css(folder.filePath(QStringLiteral("template/css/a.css")));
    css.open(QIODevice::WriteOnly);
    css.write("body { background: url(../img/b.png) } p { background: url('c.gif') }");
    return true;
  }();
  (void)prepared;
  TSandboxedGenerator generator(folder.path());
  try {
    generator.GenerateUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const EInkloomError&) {
  }
  return 0;
}
