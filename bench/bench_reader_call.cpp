// Times Leafwick as a program calls it, until its window shows the topic asked for:
//   bench_reader_call [--second] LEAFWICK DOC N [ARGUMENT...]
//   bench_reader_call --wait DOC
// The second form waits until a window showing DOC takes calls (at most 30 s), so that the
// calls timed after it find that window and not one they would open themselves.
// starts LEAFWICK DOC ARGUMENT... and asks its window, as a second call would, what it shows,
// until that is topic N; prints "result call MS", from the start of the process. A new window
// is then left running and is ended here. With --second the call must be taken by a running
// window: it ends by itself once the window shows the topic, so it is only waited for, and the
// window is asked once at the end (asking it all along would take the window's time from the
// call being timed).

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
    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments.at(1) == QStringLiteral("--wait")) {
        ReaderRequest nothing;
        nothing.document = QFileInfo(arguments.at(2)).canonicalFilePath();
        QElapsedTimer waited;
        waited.start();
        while (readerchannel::deliver(nothing, nothing.document, 1000).delivery
            != readerchannel::Delivery::Taken) {
            if (waited.elapsed() > 30000) {
                std::fprintf(stderr, "bench_reader_call: no window takes calls\n");
                return 1;
            }
            QThread::msleep(10);
        }
        return 0;
    }
    const bool second = arguments.value(1) == QStringLiteral("--second");
    if (second)
        arguments.removeAt(1);
    if (arguments.size() < 4) {
        std::fprintf(stderr,
            "usage: bench_reader_call [--second] LEAFWICK DOC N [ARGUMENT...]\n"
            "       bench_reader_call --wait DOC\n");
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
    if (second) {
        const bool ended = leafwick.waitForFinished(120000);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        const readerchannel::DeliveryResult answer =
            readerchannel::deliver(nothing, canonical, 1000);
        if (!ended || leafwick.exitStatus() != QProcess::NormalExit || leafwick.exitCode() != 0
            || answer.state.shownTopic != wanted) {
            std::fprintf(stderr,
                "bench_reader_call: the call was not taken, or topic %llu not shown\n",
                static_cast<unsigned long long>(wanted));
            return 1;
        }
        std::printf("result call %.1f\n", ms);
        return 0;
    }
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
