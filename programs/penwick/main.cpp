#include "author/penwick.h"
#include "ui/message_boxes.h"
#include "ui/program_identity.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <cstdio>

namespace {

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char *argv[])
{
    // A write past the file size limit then fails with an error we report, instead of ending
    // the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    identifyProgram(Program::Penwick);

    // penwick [DOCUMENT]: the document's folder becomes the working folder, the document the
    // current one, as File > Open makes it.
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes the help of a program: a help document of topics."));
    parser.addPositionalArgument(QStringLiteral("DOCUMENT"),
        QStringLiteral("The help document to work on; without it, \"Help.scv\" of the current "
                       "folder."),
        QStringLiteral("[DOCUMENT]"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    QStringList arguments = QApplication::arguments();
    arguments.first() = QStringLiteral("penwick");
    if (!parser.parse(arguments) || parser.positionalArguments().size() > 1) {
        const QString why = parser.errorText().isEmpty()
            ? QStringLiteral("only one help document can be opened")
            : parser.errorText();
        print(stderr, QStringLiteral("penwick: %1\nTry \"penwick --help\".\n").arg(why));
        return 2;
    }
    if (parser.isSet(help) || parser.isSet(version)) {
        print(stdout,
            parser.isSet(help)
                ? parser.helpText().replace(QApplication::arguments().first(), arguments.first())
                : QStringLiteral("penwick %1\n").arg(QApplication::applicationVersion()));
        return 0;
    }

    QtMessageBoxes boxes;
    QString document;
    if (!parser.positionalArguments().isEmpty()) {
        const QFileInfo given(parser.positionalArguments().first());
        if (given.isFile() && QDir::setCurrent(given.absolutePath())) {
            document = given.fileName();
        } else {
            boxes.show(nullptr,
                QStringLiteral("The help document \"%1\" cannot be opened: it is not a file "
                               "that can be read. Penwick starts on \"Help.scv\" of the current "
                               "folder.")
                    .arg(QDir::toNativeSeparators(given.filePath())),
                MessageBoxes::WarningIcon);
        }
    }
    Penwick window(boxes, nullptr, document);
    window.show();
    return QApplication::exec();
}
