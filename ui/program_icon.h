#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The programs' icons, drawn from the SVG files built into the program ("penwick" or
// "leafwick"), the same files that are installed for the desktop. Anything else gives a null
// icon or pixmap.
QIcon programIcon(const QString &program);

// The icon drawn size by size device-independent pixels, sharp on the primary screen.
QPixmap programPixmap(const QString &program, int size);
