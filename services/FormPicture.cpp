#include "services/FormPicture.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int kWidth = 164;

// Threads of a loom: warp lines crossed by a few weft lines in the program's ink blue.
void DrawThreads(QPainter& painter, int height) {
  painter.setPen(QPen(QColor(255, 255, 255, 60), 1));
  for (int x = 12; x < kWidth; x += 12) painter.drawLine(x, 0, x, height);
  painter.setPen(QPen(QColor(255, 255, 255, 140), 3));
  for (int y = height / 3; y < height; y += 28) painter.drawLine(0, y, kWidth, y + 10);
}

}  // namespace

QLabel* NewFormPicture(QWidget* parent, int height) {
  QPixmap picture(kWidth, height);
  QPainter painter(&picture);
  QLinearGradient ink(0, 0, 0, height);
  ink.setColorAt(0, QColor(26, 54, 93));
  ink.setColorAt(1, QColor(58, 110, 165));
  painter.fillRect(picture.rect(), ink);
  DrawThreads(painter, height);
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(22);
  painter.setFont(font);
  painter.drawText(QRect(0, 24, kWidth, 40), Qt::AlignCenter, QStringLiteral("Inkloom"));
  painter.end();
  auto* label = new QLabel(parent);
  label->setObjectName(QStringLiteral("Image"));
  label->setPixmap(picture);
  label->setFixedSize(kWidth, height);
  return label;
}
