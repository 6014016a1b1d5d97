#include "KeyringBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcessEnvironment>

#include <thread>

namespace fs = std::filesystem;

TKeyringBus::TKeyringBus(const fs::path& home, TKeyring keyring) {
  Bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
  Bus.waitForReadyRead(30000);
  Address = QString::fromUtf8(Bus.readLine()).trimmed();
  if (keyring != kNone) StartKeyring(home, keyring == kUnlocked);
}

TKeyringBus::~TKeyringBus() {
  QDBusConnection::disconnectFromBus(QStringLiteral("keyring-test"));
  for (QProcess* process : {&Keyring, &Bus}) {
    process->terminate();
    process->waitForFinished(10000);
  }
}

std::vector<std::string> TKeyringBus::Variables() const {
  return {"DBUS_SESSION_BUS_ADDRESS=" + Address.toStdString()};
}

void TKeyringBus::StartKeyring(const fs::path& home, bool unlocked) {
  fs::create_directories(home / "data");
  fs::create_directories(home / "run");
  fs::permissions(home / "run", fs::perms::owner_all);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), Address);
  environment.insert(QStringLiteral("HOME"), QString::fromStdString(home.string()));
  environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString((home / "data").string()));
  environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString((home / "run").string()));
  Keyring.setProcessEnvironment(environment);
  Keyring.setStandardOutputFile(QProcess::nullDevice());
  const QStringList unlock = unlocked ? QStringList{QStringLiteral("--unlock")} : QStringList();
  Keyring.start(QStringLiteral("gnome-keyring-daemon"), QStringList{QStringLiteral("--foreground"), QStringLiteral("--components=secrets")} + unlock);
  Keyring.waitForStarted(30000);
  if (unlocked) Keyring.write("test-password");
  Keyring.waitForBytesWritten(30000);
  Keyring.closeWriteChannel();
  for (int tries = 0; tries < 200 && !KeyringAnswers(); ++tries) std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

bool TKeyringBus::KeyringAnswers() const {
  QDBusConnection bus = QDBusConnection::connectToBus(Address, QStringLiteral("keyring-test"));
  return bus.isConnected() && bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value();
}
