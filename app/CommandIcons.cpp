#include "app/CommandIcons.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace {

QIcon DrawnIcon(const QString& label) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(70, 90, 120), 2));
  painter.setBrush(QColor(235, 240, 248));
  painter.drawRoundedRect(QRectF(2, 2, 28, 28), 5, 5);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(label.size() > 2 ? 10 : 14);
  painter.setFont(font);
  painter.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, label);
  return QIcon(pixmap);
}

// Grey and faint: how a command that cannot run now looks.
QPixmap Faded(const QPixmap& pixmap) {
  QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int grey = 128 + qGray(line[x]) / 2;
      line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 2 / 5);
    }
  }
  return QPixmap::fromImage(image);
}

// Some icon themes draw symbolic icons the same whether a command is enabled or not; the
// program's icons carry a disabled look of their own.
QIcon WithDisabledLook(const QIcon& icon) {
  QIcon result;
  for (int side : {16, 20, 24, 32, 48}) {
    const QPixmap normal = icon.pixmap(side);
    result.addPixmap(normal, QIcon::Normal);
    result.addPixmap(Faded(normal), QIcon::Disabled);
  }
  return result;
}

}  // namespace

QIcon CommandIcon(const QString& themeName, const QString& label) {
  // Without a desktop the platform may name no theme, or one without these icons.
  if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
    QIcon::setThemeName(QStringLiteral("Adwaita"));
  QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
  for (const QString& name : {themeName, themeName + QStringLiteral("-symbolic")}) {
    if (!themeName.isEmpty() && QIcon::hasThemeIcon(name)) return WithDisabledLook(QIcon::fromTheme(name));
  }
  return WithDisabledLook(DrawnIcon(label));
}
