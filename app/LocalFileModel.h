#pragma once

// The file dialogs' list in the interface's language: Qt's file model writes sizes and dates in
// the desktop's locale and a folder's type untranslated; this shows them in the program's locale
// (QLocale's default, which the interface language sets) and names folders in its language.

#include <QIdentityProxyModel>

class QFileDialog;
class QFileInfo;

class TLocalFileModel : public QIdentityProxyModel {
  Q_OBJECT
 public:
  TLocalFileModel(const QString& folderType, QObject* parent);
  // Gives a dialog of Qt's own (not the desktop's) this list.
  static void Install(QFileDialog& dialog, const QString& folderType);

  QVariant data(const QModelIndex& index, int role) const override;

 private:
  QString FolderType;

  QVariant Column(const QFileInfo& info, int column) const;
};
