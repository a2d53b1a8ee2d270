#include "reader/reader_window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Leafwick"));
    QApplication::setApplicationDisplayName(QStringLiteral("Leafwick"));
    QApplication::setApplicationVersion(QStringLiteral("2.8.0"));

    ReaderWindow window;
    window.show();
    return QApplication::exec();
}
