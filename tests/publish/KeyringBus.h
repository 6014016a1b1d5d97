#pragma once

// A private session bus, with a real GNOME Keyring on it, unlocked, when asked for one. Its
// keyring files live below the given folder, so that no user's own keyring is touched.

#include <QProcess>
#include <QString>

#include <filesystem>
#include <string>
#include <vector>

class TKeyringBus {
 public:
  TKeyringBus(const std::filesystem::path& home, bool keyring);
  ~TKeyringBus();
  TKeyringBus(const TKeyringBus&) = delete;
  TKeyringBus& operator=(const TKeyringBus&) = delete;

  // The NAME=value lines that put a program on this bus.
  std::vector<std::string> Variables() const;

 private:
  void StartKeyring(const std::filesystem::path& home);
  // The daemon answers under the Secret Service's name only some time after it started.
  bool KeyringAnswers() const;

  QProcess Bus;
  QProcess Keyring;
  QString Address;
};
