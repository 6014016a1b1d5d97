#include "app/ImagePreview.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

namespace {

constexpr int kSide = 192;

}  // namespace

TImagePreview::TImagePreview(QFileDialog* dialog) : QObject(dialog), Picture(new QLabel(dialog)) {
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  Picture->setObjectName(QStringLiteral("ImagePreview"));
  Picture->setFixedSize(kSide, kSide);
  Picture->setAlignment(Qt::AlignCenter);
  Picture->setFrameShape(QFrame::StyledPanel);
  // Qt's own file dialog lays its parts out in a grid: the picture goes right of the list.
  if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout()))
    grid->addWidget(Picture, 1, grid->columnCount(), 1, 1);
  connect(dialog, &QFileDialog::currentChanged, this, &TImagePreview::Show);
}

void TImagePreview::Show(const QString& file) {
  QImageReader reader(file);
  reader.setAutoTransform(true);
  // Only as much of a large image is decoded as the picture shows.
  const QSize size = reader.size();
  if (size.isValid()) reader.setScaledSize(size.scaled(kSide - 8, kSide - 8, Qt::KeepAspectRatio).boundedTo(size));
  const QImage image = reader.read();
  Picture->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}
