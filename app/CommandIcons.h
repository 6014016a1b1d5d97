#pragma once

#include <QIcon>
#include <QString>

// The icon of a command: from the desktop's icon theme (Adwaita when the platform names none),
// or else drawn from a short label, so that no button is ever blank.
QIcon CommandIcon(const QString& themeName, const QString& label);
