#pragma once

// A private session bus, with a real GNOME Keyring on it when asked for one, unlocked or locked
// (without its login keyring, so that it can only ask for a password nobody types). Its
// keyring files live below the given folder, so that no user's own keyring is touched.

#include <QProcess>
#include <QString>

#include <filesystem>
#include <string>
#include <vector>

class TKeyringBus {
 public:
  enum TKeyring { kNone, kLocked, kUnlocked };
  TKeyringBus(const std::filesystem::path& home, TKeyring keyring);
  ~TKeyringBus();
  TKeyringBus(const TKeyringBus&) = delete;
  TKeyringBus& operator=(const TKeyringBus&) = delete;

  // The NAME=value lines that put a program on this bus.
  std::vector<std::string> Variables() const;

 private:
  void StartKeyring(const std::filesystem::path& home, bool unlocked);
  // The daemon answers under the Secret Service's name only some time after it started.
  bool KeyringAnswers() const;

  QProcess Bus;
  QProcess Keyring;
  QString Address;
};
