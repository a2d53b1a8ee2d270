#include "reader/reader_window.h"

ReaderWindow::ReaderWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Leafwick"));
    setWindowTitle(QStringLiteral("Leafwick"));
    // Client area 10560 by 6075 twips at 15 twips per pixel.
    resize(704, 405);
}
