#include "app/LocalFileModel.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLocale>

namespace {

enum { kSize = 1, kType = 2, kDate = 3 };

}  // namespace

TLocalFileModel::TLocalFileModel(const QString& folderType, QObject* parent)
    : QIdentityProxyModel(parent), FolderType(folderType) {}

void TLocalFileModel::Install(QFileDialog& dialog, const QString& folderType) {
  dialog.setProxyModel(new TLocalFileModel(folderType, &dialog));
}

QVariant TLocalFileModel::data(const QModelIndex& index, int role) const {
  const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
  if (role != Qt::DisplayRole || !files || index.column() < kSize || index.column() > kDate)
    return QIdentityProxyModel::data(index, role);
  const QVariant shown = Column(files->fileInfo(mapToSource(index)), index.column());
  return shown.isValid() ? shown : QIdentityProxyModel::data(index, role);
}

// An invalid value: the file model's own text.
QVariant TLocalFileModel::Column(const QFileInfo& info, int column) const {
  if (column == kDate) return QLocale().toString(info.lastModified(), QLocale::ShortFormat);
  if (!info.isDir()) return column == kSize ? QVariant(QLocale().formattedDataSize(info.size())) : QVariant();
  return column == kType ? QVariant(FolderType) : QVariant();
}
