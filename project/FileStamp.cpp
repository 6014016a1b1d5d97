#include "project/FileStamp.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray DigestOf(const QString& fileName) {
  QFile file(fileName);
  if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly)) return QByteArray();
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(&file);
  return hash.result();
}

}  // namespace

TFileStamp TFileStamp::Of(const QString& fileName) {
  TFileStamp stamp;
  const QFileInfo info(fileName);
  if (!info.isFile()) return stamp;
  stamp.Size = info.size();
  stamp.Digest = DigestOf(fileName);
  return stamp;
}

bool TFileStamp::ChangedOnDisk(const QString& fileName) const {
  const QFileInfo info(fileName);
  if (IsEmpty() || !info.isFile()) return false;
  // A new size answers at once; otherwise the contents decide (a time stamp may not tell two
  // writes in the same second apart).
  return info.size() != Size || DigestOf(fileName) != Digest;
}
