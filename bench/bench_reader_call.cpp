// Times Leafwick as a program calls it, until its window shows the topic asked for:
//   bench_reader_call LEAFWICK DOC N [ARGUMENT...]
// starts LEAFWICK DOC ARGUMENT... and asks its window, as a second call would, what it shows,
// until that is topic N; prints "result call MS", from the start of the process. A call that a
// running window takes ends by itself once the window shows the topic; a new window is then
// left running and is ended here.

#include "ui/reader_channel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: bench_reader_call LEAFWICK DOC N [ARGUMENT...]\n");
        return 2;
    }
    const QString document = arguments.at(2);
    const std::uint64_t wanted = arguments.at(3).toULongLong();
    const QString canonical = QFileInfo(document).canonicalFilePath();

    QProcess leafwick;
    QElapsedTimer timer;
    timer.start();
    leafwick.start(arguments.at(1), QStringList {document} + arguments.mid(4));
    ReaderRequest nothing;
    nothing.document = canonical;
    for (;;) {
        // A call taken by a running window has shown the topic when it ends.
        if (leafwick.state() == QProcess::NotRunning || leafwick.waitForFinished(0)) {
            if (leafwick.exitCode() != 0) {
                std::fprintf(
                    stderr, "bench_reader_call: leafwick ended with %d\n", leafwick.exitCode());
                return 1;
            }
            break;
        }
        const readerchannel::DeliveryResult answer =
            readerchannel::deliver(nothing, canonical, 1000);
        if (answer.delivery == readerchannel::Delivery::Taken && answer.state.shownTopic == wanted)
            break;
        if (timer.elapsed() > 120000) {
            std::fprintf(stderr, "bench_reader_call: no window showed topic %llu\n",
                static_cast<unsigned long long>(wanted));
            return 1;
        }
        QThread::usleep(500);
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::printf("result call %.1f\n", ms);
    if (leafwick.state() != QProcess::NotRunning) {
        leafwick.kill();
        leafwick.waitForFinished();
    }
    return 0;
}
