// inkloom-strings: translation export and import for the text tables in resources/strings.
//
//   inkloom-strings export LANGID DIR         prints the LANGID sections of the tables in DIR as
//                                             one translation file: a block [Section] per table
//   inkloom-strings import LANGID FILE DIR    makes each block of FILE the LANGID section of the
//                                             table of that name in DIR and rewrites those tables
//
// A new language is added by exporting 1033, translating the values and importing the result
// under the new language id.

#include "services/LocalStrings.h"
#include "services/Localizer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSaveFile>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct TTableFile {
  QString Path;
  QString Text;
  std::unique_ptr<QObject> Owner;
  TLocalStrings* Table = nullptr;
};

int Usage() {
  std::fputs("usage: inkloom-strings export LANGID DIR\n"
             "       inkloom-strings import LANGID FILE DIR\n", stderr);
  return 2;
}

bool ReadUtf8(const QString& path, QString& text) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  text = QString::fromUtf8(file.readAll());
  return true;
}

bool LoadTables(const QString& folder, std::vector<TTableFile>& tables) {
  const QDir dir(folder);
  if (!dir.exists()) return false;
  for (const QString& name : dir.entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name)) {
    TTableFile table;
    table.Path = dir.filePath(name);
    if (!ReadUtf8(table.Path, table.Text)) return false;
    table.Owner = std::make_unique<QObject>();
    table.Owner->setObjectName(QFileInfo(name).completeBaseName());
    table.Table = new TLocalStrings(table.Owner.get());
    table.Table->SetTableText(table.Text);
    tables.push_back(std::move(table));
  }
  return true;
}

bool WriteChanged(const std::vector<TTableFile>& tables) {
  for (const TTableFile& table : tables) {
    const QString text = table.Table->TableText();
    if (text == table.Text) continue;
    QSaveFile file(table.Path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
      std::fprintf(stderr, "inkloom-strings: cannot write %s\n", qPrintable(table.Path));
      return false;
    }
    std::printf("%s\n", qPrintable(table.Path));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  const bool exporting = args.size() == 4 && args[1] == u"export";
  const bool importing = args.size() == 5 && args[1] == u"import";
  bool numeric = false;
  const int langId = args.size() > 2 ? args[2].toInt(&numeric) : 0;
  if ((!exporting && !importing) || !numeric || langId <= 0) return Usage();

  std::vector<TTableFile> tables;
  const QString folder = args.last();
  if (!LoadTables(folder, tables)) {
    std::fprintf(stderr, "inkloom-strings: cannot read the tables in %s\n", qPrintable(folder));
    return 1;
  }
  TLocalizer localizer;
  localizer.SetLangId(langId);
  if (exporting) {
    const QByteArray text = (localizer.Strings().join(u'\n') + u'\n').toUtf8();
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    return 0;
  }
  QString translation;
  if (!ReadUtf8(args[3], translation)) {
    std::fprintf(stderr, "inkloom-strings: cannot read %s\n", qPrintable(args[3]));
    return 1;
  }
  localizer.SetStrings(translation.split(u'\n'));
  return WriteChanged(tables) ? 0 : 1;
}
