#pragma once

// A picture of the chosen image beside the file list of a file dialog, so that images are
// recognised by what they show.

#include <QObject>

class QFileDialog;
class QLabel;

class TImagePreview : public QObject {
  Q_OBJECT
 public:
  // Joins the dialog (which then uses Qt's own widgets) and lives as long as it does.
  explicit TImagePreview(QFileDialog* dialog);

 private:
  QLabel* Picture;
  void Show(const QString& file);
};
