#pragma once

// The settings file (config.ini): the whole file is held in memory; it is read once when its
// owner has been built (AutoLoad) and written once when it is destroyed (AutoSave). Every reader
// and writer works on the copy in memory. The file is UTF-8; an older one in the program's 8-bit
// code page (whose name the key CodePage of section General may change) is still read.

#include "services/ConfigDataFile.h"

#include <QObject>
#include <QString>

class QWidget;
class TWindowPlacement;

enum TConfigFileLocation {
  cflUser,            // FileName as it stands, relative to the current directory
  cflModule,          // the folder of the program file
  cflAppData,         // QStandardPaths::AppDataLocation
  cflDocuments,       // QStandardPaths::DocumentsLocation
  cflCommonAppData,   // QStandardPaths::GenericConfigLocation ($XDG_CONFIG_HOME)
  cflCommonDocuments  // QStandardPaths::GenericDataLocation
};

class TConfigFile : public QObject {
  Q_OBJECT

 public:
  explicit TConfigFile(QObject* owner = nullptr);
  // Saves when AutoSave is set. A file that cannot be written is reported on stderr. An owner
  // that handles OnSave deletes this component itself before its own members go, so that the
  // handler still finds them.
  ~TConfigFile() override;

  const QString& FileName() const { return File; }
  void SetFileName(const QString& fileName);
  TConfigFileLocation Location() const { return Where; }
  void SetLocation(TConfigFileLocation location);
  bool AutoLoad() const { return LoadOnLoaded; }
  void SetAutoLoad(bool value) { LoadOnLoaded = value; }
  bool AutoSave() const { return SaveOnDestroy; }
  void SetAutoSave(bool value) { SaveOnDestroy = value; }

  // The folder of Location followed by FileName; backslashes are kept as written.
  const QString& FullPath() const { return Data.FileName(); }
  // The folder of a location, ending with a path delimiter (empty for cflUser).
  static QString LocationFolder(TConfigFileLocation location);

  // Called by the owner once it has been built: loads when AutoLoad is set. A file that exists
  // but cannot be read is reported on stderr; the run then starts from the defaults and does not
  // overwrite that file at shut-down.
  void Loaded();
  // Re-reads the file (none there: no data), then raises OnLoad. Throws EInkloomError when the
  // file exists but cannot be read.
  void Load();
  // Raises OnSave, creates the missing folders and replaces the file through a temporary file.
  // Throws EInkloomError when that fails; the old file then stays as it was.
  void Save();
  // What the destructor would do, at a moment when a failure can still be shown: saves when
  // AutoSave is set and the file was not found unreadable, then clears AutoSave. Throws as Save.
  void SaveAtShutdown();
  // The data from the bytes of a settings file, and the bytes Save writes.
  void LoadFromBytes(const QByteArray& bytes);
  QByteArray SaveToBytes() const;

  QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
  void WriteString(const QString& section, const QString& key, const QString& value);
  // "1" and "0"; reading takes any integer (decimal, "$" or "0x" hexadecimal): nonzero is true;
  // a missing or unparsable value gives the default.
  bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
  void WriteBool(const QString& section, const QString& key, bool value);
  // Two hexadecimal digits per byte. Reading accepts a text whose length halved (rounded down)
  // is size and whose first 2 * size characters are hexadecimal digits; otherwise buffer is left
  // alone and the result is false.
  bool ReadBinary(const QString& section, const QString& key, int size, void* buffer) const;
  void WriteBinary(const QString& section, const QString& key, int size, const void* buffer);
  // Multi-line text made into one line with the escapes of EscapeText and UnescapeText.
  QString ReadEscapedString(const QString& section, const QString& key,
                            const QString& defaultValue) const;
  void WriteEscapedString(const QString& section, const QString& key, const QString& value);

  bool ReadPlacement(const QString& section, const QString& key, TWindowPlacement& placement) const;
  void WritePlacement(const QString& section, const QString& key, const TWindowPlacement& placement);
  // Gives the window the stored placement (position, size and normal, minimised or maximised
  // state) if the value is accepted; otherwise the window is left alone. These two live in the
  // user-interface library (WidgetPlacement.cpp).
  bool RestoreWindowPlacement(const QString& section, const QString& key, QWidget* window);
  void SaveWindowPlacement(const QString& section, const QString& key, QWidget* window);

  const TConfigDataFile& DataFile() const { return Data; }

 Q_SIGNALS:
  void OnLoad(TConfigFile* sender);
  void OnSave(TConfigFile* sender);

 private:
  TConfigDataFile Data;
  QString File;
  TConfigFileLocation Where = cflUser;
  bool LoadOnLoaded = false;
  bool SaveOnDestroy = false;
  bool AutoLoadFailed = false;

  void UpdatePath();
};
