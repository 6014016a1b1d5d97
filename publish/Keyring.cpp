#include "publish/Keyring.h"

#include <qt6keychain/keychain.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QEventLoop>
#include <QTimer>

namespace {

const QString kService = QStringLiteral("Inkloom");

// The bus names of the keyrings QtKeychain talks to.
const char* const kKeyringNames[] = {"org.freedesktop.secrets", "org.kde.kwalletd6", "org.kde.kwalletd5"};

bool NameHasOwner(QDBusConnection& bus, const char* name, int waitMs) {
  QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                    QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
  ask << QString::fromLatin1(name);
  const QDBusMessage reply = bus.call(ask, QDBus::Block, waitMs);
  return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

}  // namespace

bool TKeyring::Available() const {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  for (const char* name : kKeyringNames)
    if (NameHasOwner(bus, name, WaitMs)) return true;
  return false;
}

QString TKeyring::Key(const QString& protocol, const QString& user, const QString& server, const QString& port) {
  return QStringLiteral("%1://%2@%3:%4").arg(protocol, user, server.trimmed().toLower(), port.trimmed());
}

bool TKeyring::Finish(QKeychain::Job* job, const std::function<void(QKeychain::Job*)>& read) const {
  bool ok = false;
  QEventLoop loop;
  QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* done) {
    ok = done->error() == QKeychain::NoError;
    if (ok && read) read(done);
    loop.quit();
  });
  // A job that outlives the wait deletes itself when it ends; the loop is gone by then.
  QTimer::singleShot(WaitMs, &loop, &QEventLoop::quit);
  job->start();
  loop.exec();
  return ok;
}

bool TKeyring::Read(const QString& key, QString& password) const {
  if (!Available()) return false;
  auto* job = new QKeychain::ReadPasswordJob(kService);
  job->setKey(key);
  return Finish(job, [&password](QKeychain::Job* done) {
    password = static_cast<QKeychain::ReadPasswordJob*>(done)->textData();
  });
}

bool TKeyring::Write(const QString& key, const QString& password) const {
  if (!Available()) return false;
  auto* job = new QKeychain::WritePasswordJob(kService);
  job->setKey(key);
  job->setTextData(password);
  return Finish(job);
}

bool TKeyring::Remove(const QString& key) const {
  if (!Available()) return false;
  auto* job = new QKeychain::DeletePasswordJob(kService);
  job->setKey(key);
  return Finish(job);
}
