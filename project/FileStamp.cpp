#include "project/FileStamp.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

QByteArray TFileStamp::DigestOf(const QString& fileName) {
  QFile file(fileName);
  if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly)) return QByteArray();
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(&file);
  return hash.result();
}

QByteArray TFileStamp::DigestOfBytes(const QByteArray& bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

namespace {

// Two writes further apart than this have different time stamps on any file system we meet.
constexpr qint64 kTimeStampGrain = 2000;  // ms

}  // namespace

TFileStamp TFileStamp::OfBytes(const QByteArray& bytes, const QDateTime& modified) {
  TFileStamp stamp;
  stamp.Size = bytes.size();
  stamp.Digest = DigestOfBytes(bytes);
  stamp.Modified = modified;
  return stamp;
}

// The time stamp first: a write while the contents are read then shows as a later time.
TFileStamp TFileStamp::Of(const QString& fileName) {
  TFileStamp stamp;
  const QFileInfo info(fileName);
  if (!info.isFile()) return stamp;
  stamp.Size = info.size();
  stamp.Modified = info.lastModified();
  stamp.Digest = DigestOf(fileName);
  return stamp;
}

bool TFileStamp::ChangedOnDisk(const QString& fileName) const {
  const QFileInfo info(fileName);
  if (IsEmpty() || !info.isFile()) return false;
  if (info.size() != Size) return true;
  const bool sameTime = info.lastModified() == Modified;
  if (Settled && sameTime) return false;
  if (DigestOf(fileName) != Digest) return true;
  Settled = sameTime && Modified.msecsTo(QDateTime::currentDateTime()) >= kTimeStampGrain;
  return false;
}
