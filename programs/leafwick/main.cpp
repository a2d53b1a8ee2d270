#include "reader/reader_command_line.h"
#include "reader/reader_server.h"
#include "reader/reader_window.h"
#include "ui/message_boxes.h"
#include "ui/program_identity.h"
#include "ui/reader_channel.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace {

// How long a second call waits for the running reader to take its request.
constexpr int kHandOverTimeoutMs = 10000;

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[])
{
    // A write past the file size limit then fails with an error we report, instead of ending
    // the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    identifyProgram(Program::Leafwick);

    QStringList arguments = QApplication::arguments();
    arguments.first() = QStringLiteral("leafwick");
    const ReaderCommandLine commandLine = parseReaderCommandLine(arguments);
    switch (commandLine.outcome) {
    case ReaderCommandLine::Outcome::Help:
    case ReaderCommandLine::Outcome::Version:
        print(stdout, commandLine.text);
        return 0;
    case ReaderCommandLine::Outcome::UsageError:
        print(stderr, commandLine.text);
        return 2;
    case ReaderCommandLine::Outcome::Run:
        break;
    }
    const ReaderRequest &request = commandLine.request;

    // A reader that already shows the document takes the request, and this call ends.
    if (!request.document.isEmpty() && !request.newWindow) {
        const QString canonical = QFileInfo(request.document).canonicalFilePath();
        const readerchannel::DeliveryResult delivered = canonical.isEmpty()
            ? readerchannel::DeliveryResult {}
            : readerchannel::deliver(request, canonical, kHandOverTimeoutMs);
        switch (delivered.delivery) {
        case readerchannel::Delivery::Taken:
            return 0;
        case readerchannel::Delivery::Refused:
        case readerchannel::Delivery::NoAnswer:
            print(stderr, QStringLiteral("leafwick: %1\n").arg(delivered.message));
            return 1;
        case readerchannel::Delivery::NoReader:
            break;
        }
    }

    QtMessageBoxes boxes;
    ReaderWindow window(ReaderKind::Leafwick, boxes, nullptr, request.document);
    // Later calls for the same document come to this window.
    ReaderServer server([&window](const ReaderRequest &asked) {
        ReaderAnswer answer;
        answer.refusal = window.showRequested(asked);
        answer.state = window.state();
        return answer;
    });
    QObject::connect(&server, &ReaderServer::answered, &window, [&window](const QString &refusal) {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.raise();
        window.activateWindow();
        if (!refusal.isEmpty())
            window.warn(refusal);
    });
    const QString shown = QFileInfo(window.ReaderHelpFileName).canonicalFilePath();
    if (!shown.isEmpty())
        server.listen(shown);

    // What could not be shown is told once the window is up; a start-up that has told the
    // user its document cannot be read has said all there is.
    const QString missing = window.showRequested(request);
    window.show();
    if (!missing.isEmpty() && !window.hasWarned())
        QTimer::singleShot(0, &window, [&window, missing] { window.warn(missing); });
    return QApplication::exec();
}
