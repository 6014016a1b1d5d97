#pragma once

// The desktop keyring (a Secret Service such as GNOME Keyring or KWallet on the session bus),
// through QtKeychain. Every call waits a bounded time: a keyring that is missing, locked or
// asking its user answers "no" within seconds, and the caller falls back to the project file.

#include <QString>

#include <functional>

namespace QKeychain {
class Job;
}

class TKeyring {
 public:
  explicit TKeyring(int waitMs = 5000) : WaitMs(waitMs) {}

  // A Secret Service or KWallet is running on the session bus now (not merely activatable).
  bool Available() const;
  // The name a password is kept under: protocol, user, server and port.
  static QString Key(const QString& protocol, const QString& user, const QString& server,
                     const QString& port);

  bool Read(const QString& key, QString& password) const;
  bool Write(const QString& key, const QString& password) const;
  bool Remove(const QString& key) const;

 private:
  // Starts the job and waits for its end at most WaitMs; whether it ended without an error.
  // read takes the answer of a job that did, while the caller still waits.
  bool Finish(QKeychain::Job* job, const std::function<void(QKeychain::Job*)>& read = {}) const;

  int WaitMs;
};
