#include "reader/reader_command_line.h"
#include "reader/reader_server.h"
#include "reader/reader_window.h"
#include "ui/message_boxes.h"
#include "ui/program_identity.h"
#include "ui/reader_channel.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <optional>

namespace {

// How long a second call waits for the running reader to take its request.
constexpr int kHandOverTimeoutMs = 10000;

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

QStringList programArguments()
{
    QStringList arguments = QCoreApplication::arguments();
    arguments.first() = QStringLiteral("leafwick");
    return arguments;
}

// A reader that already shows the document takes the request, and this call ends with the
// exit status it returns. A call that needs a window of its own returns nothing.
std::optional<int> handOver(const ReaderRequest &request)
{
    if (request.document.isEmpty() || request.newWindow)
        return std::nullopt;
    const QString canonical = QFileInfo(request.document).canonicalFilePath();
    if (canonical.isEmpty())
        return std::nullopt;
    const readerchannel::DeliveryResult delivered =
        readerchannel::deliver(request, canonical, kHandOverTimeoutMs);
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
    return std::nullopt;
}

// The hand-over needs no window system, whose start is most of what a second call would
// cost (a program calls its help on every F1). Anything else, the window system's own
// options included, is left to the full start that follows.
std::optional<int> handOverWithoutWindows(int argc, char *argv[])
{
    QCoreApplication core(argc, argv);
    const ReaderCommandLine commandLine = parseReaderCommandLine(programArguments());
    if (commandLine.outcome != ReaderCommandLine::Outcome::Run)
        return std::nullopt;
    return handOver(commandLine.request);
}

} // namespace

int main(int argc, char *argv[])
{
    // A write past the file size limit then fails with an error we report, instead of ending
    // the program.
    std::signal(SIGXFSZ, SIG_IGN);
    if (const std::optional<int> status = handOverWithoutWindows(argc, argv))
        return *status;

    QApplication app(argc, argv);
    identifyProgram(Program::Leafwick);
    const ReaderCommandLine commandLine = parseReaderCommandLine(programArguments());
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

    // A reader may have started for the document since the hand-over was tried.
    if (const std::optional<int> status = handOver(request))
        return *status;

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
