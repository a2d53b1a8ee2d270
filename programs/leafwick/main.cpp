#include "reader/message_boxes.h"
#include "reader/program_icon.h"
#include "reader/reader_window.h"
#include "scrivane_version.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // A write past the file size limit then fails with an error we report, instead of ending
    // the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Leafwick"));
    QApplication::setApplicationDisplayName(QStringLiteral("Leafwick"));
    QApplication::setApplicationVersion(QStringLiteral(SCRIVANE_VERSION_STRING));
    // Desktops match the window to its entry, leafwick.desktop, and show that entry's icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("leafwick"));
    QApplication::setWindowIcon(programIcon(QStringLiteral("leafwick")));

    QtMessageBoxes boxes;
    ReaderWindow window(ReaderKind::Leafwick, boxes);
    window.show();
    return QApplication::exec();
}
