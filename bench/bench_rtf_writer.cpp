// Times RtfWriter::write on a large topic: reads the sample once, writes it many times and
// prints the output rate, next to Qt's own QTextDocument::toHtml of the same document.
// Hand-run; not in ctest.
//   bench_rtf_writer [FILE [REPETITIONS]]

#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString path = argc > 1
        ? QString::fromLocal8Bit(argv[1])
        : QStringLiteral(SCRIVANE_TEST_DATA_DIR "/rtf/generated/g05-nodejs-api-large.rtf");
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench_rtf_writer: cannot open %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray input = file.readAll();
    QTextDocument document;
    const richtext::RtfReadReport report = richtext::RtfReader::read(input, &document);
    if (!report.problem.isEmpty())
        std::fprintf(stderr, "bench_rtf_writer: reader: %s\n", qPrintable(report.problem));

    // One write first, so the timed ones do not pay for first-use set-up.
    qint64 outputBytes = richtext::RtfWriter::write(document).size();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < repetitions; ++i)
        outputBytes = richtext::RtfWriter::write(document).size();
    const double seconds = timer.nsecsElapsed() / 1e9;
    const double megabytes = double(outputBytes) * repetitions / (1024.0 * 1024.0);
    std::printf("input %lld bytes, %d blocks, %lld characters\n",
        static_cast<long long>(input.size()), document.blockCount(),
        static_cast<long long>(document.characterCount()));
    std::printf("output %lld bytes per write, %d writes in %.3f s\n",
        static_cast<long long>(outputBytes), repetitions, seconds);
    std::printf("%.1f ms per write, %.1f MB/s of output\n", seconds * 1000 / repetitions,
        megabytes / seconds);

    (void)document.toHtml();
    timer.restart();
    for (int i = 0; i < repetitions; ++i)
        (void)document.toHtml();
    const double htmlSeconds = timer.nsecsElapsed() / 1e9;
    std::printf("Qt's toHtml: %.1f ms per write\n", htmlSeconds * 1000 / repetitions);
    // For bench/run.sh.
    std::printf("result rtf %.1f\nresult html %.1f\n", seconds * 1000 / repetitions,
        htmlSeconds * 1000 / repetitions);
    return 0;
}
