#include "app/CommandIcons.h"

#include <QFont>
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

}  // namespace

QIcon CommandIcon(const QString& themeName, const QString& label) {
  // Without a desktop the platform may name no theme, or one without these icons.
  if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
    QIcon::setThemeName(QStringLiteral("Adwaita"));
  QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
  for (const QString& name : {themeName, themeName + QStringLiteral("-symbolic")}) {
    if (!themeName.isEmpty() && QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
  }
  return DrawnIcon(label);
}
