#include "ui/program_identity.h"

#include "scrivane_version.h"
#include "ui/program_icon.h"

#include <QGuiApplication>

void identifyProgram(Program program)
{
    const bool penwick = program == Program::Penwick;
    const QString entry = penwick ? QStringLiteral("penwick") : QStringLiteral("leafwick");
    QGuiApplication::setApplicationName(
        penwick ? QStringLiteral("Help") : QStringLiteral("Leafwick"));
    QGuiApplication::setApplicationVersion(QStringLiteral(SCRIVANE_VERSION_STRING));
    // No application display name: on X11 Qt appends it to every caption ("Enter — Penwick").
    // Desktops match the window to its entry by this name (and by the window class's instance
    // part, the program file's name), and show that entry's icon.
    QGuiApplication::setDesktopFileName(entry);
    QGuiApplication::setWindowIcon(programIcon(entry));
}
