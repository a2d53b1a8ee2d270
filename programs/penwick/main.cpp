#include "author/penwick.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Help"));
    QApplication::setApplicationDisplayName(QStringLiteral("Penwick"));
    QApplication::setApplicationVersion(QStringLiteral("2.8.0"));

    Penwick window;
    window.show();
    return QApplication::exec();
}
