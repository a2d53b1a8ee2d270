#include "author/penwick.h"

Penwick::Penwick(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Penwick"));
    setWindowTitle(QStringLiteral("Penwick"));
    // Client area 14070 by 7260 twips at 15 twips per pixel.
    resize(938, 484);
}
