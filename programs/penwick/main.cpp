#include "author/penwick.h"
#include "ui/message_boxes.h"
#include "ui/program_identity.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // A write past the file size limit then fails with an error we report, instead of ending
    // the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    identifyProgram(Program::Penwick);

    QtMessageBoxes boxes;
    Penwick window(boxes);
    window.show();
    return QApplication::exec();
}
