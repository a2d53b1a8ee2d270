#include "author/penwick.h"
#include "reader/message_boxes.h"
#include "reader/program_icon.h"
#include "scrivane_version.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // A write past the file size limit then fails with an error we report, instead of ending
    // the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Help"));
    QApplication::setApplicationDisplayName(QStringLiteral("Penwick"));
    QApplication::setApplicationVersion(QStringLiteral(SCRIVANE_VERSION_STRING));
    // Desktops match the window to its entry, penwick.desktop, and show that entry's icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("penwick"));
    QApplication::setWindowIcon(programIcon(QStringLiteral("penwick")));

    QtMessageBoxes boxes;
    Penwick window(boxes);
    window.show();
    return QApplication::exec();
}
