#pragma once

#include <QString>

class QWidget;

// A window's size from one run to the next. key names the window ("Leafwick", "Penwick",
// "VieHelpFrm"); a size below the window's minimum is not taken.
void restoreWindowSize(QWidget *window, const QString &key);
void rememberWindowSize(const QWidget *window, const QString &key);
