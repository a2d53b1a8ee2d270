// Times our RTF import against Qt's own HTML import of the same document, layout included:
// what a display does between being handed a topic and showing it.
//
//   bench_rtf_import RTF HTML [RUNS] [WIDTH]
//
// RUNS (default 9) timed runs after one untimed one; the median and the fastest are printed.
// WIDTH (default 800) is the layout width in pixels, about that of the reader's display.

#include "richtext/rtf_reader.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QStringDecoder>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

struct Timing
{
    double importMs = 0;
    double layoutMs = 0;
    double totalMs() const { return importMs + layoutMs; }
};

struct Summary
{
    Timing median;
    double fastestMs = 0;
    qsizetype characters = 0;
    int blocks = 0;
    qreal height = 0;
};

QByteArray readFile(const char *path)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(
            stderr, "bench_rtf_import: cannot read %s: %s\n", path, qPrintable(file.errorString()));
        std::exit(1);
    }
    return file.readAll();
}

// The HTML's own encoding: LibreOffice names it in a meta element.
QString decodeHtml(const QByteArray &html)
{
    const auto encoding = QStringConverter::encodingForHtml(html);
    QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8));
    return decoder(html);
}

// Imports into a fresh document, then lays the whole of it out at the given width.
Summary measure(int runs, qreal width, const std::function<void(QTextDocument &)> &import)
{
    std::vector<Timing> timings;
    Summary summary;
    for (int run = 0; run <= runs; ++run) {
        QTextDocument document;
        QElapsedTimer timer;
        timer.start();
        import(document);
        Timing timing;
        timing.importMs = double(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        document.setTextWidth(width);
        const QSizeF size = document.documentLayout()->documentSize();
        timing.layoutMs = double(timer.nsecsElapsed()) / 1e6;
        if (run == 0) { // warms caches and the font database; not counted
            summary.characters = document.characterCount();
            summary.blocks = document.blockCount();
            summary.height = size.height();
            continue;
        }
        timings.push_back(timing);
    }
    std::sort(timings.begin(), timings.end(),
        [](const Timing &a, const Timing &b) { return a.totalMs() < b.totalMs(); });
    summary.median = timings[timings.size() / 2];
    summary.fastestMs = timings.front().totalMs();
    return summary;
}

void print(const char *name, qsizetype bytes, const Summary &summary)
{
    std::printf("  %-5s %8lld bytes  import %8.1f ms  layout %8.1f ms  total %8.1f ms"
                "  (fastest %.1f)  %lld chars, %d paragraphs, %.0f px high\n",
        name, static_cast<long long>(bytes), summary.median.importMs, summary.median.layoutMs,
        summary.median.totalMs(), summary.fastestMs, static_cast<long long>(summary.characters),
        summary.blocks, double(summary.height));
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: bench_rtf_import RTF HTML [RUNS] [WIDTH]\n");
        return 2;
    }
    const QByteArray rtf = readFile(argv[1]);
    const QByteArray html = readFile(argv[2]);
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 9;
    const qreal width = argc > 4 ? std::max(100, std::atoi(argv[4])) : 800;

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QGuiApplication application(qtArgc, qtArgv);

    QString problem;
    const Summary ours = measure(runs, width, [&](QTextDocument &document) {
        problem = richtext::RtfReader::read(rtf, &document).problem;
    });
    // Decoding the bytes is part of Qt's HTML import, as it is of ours.
    const Summary qts =
        measure(runs, width, [&](QTextDocument &document) { document.setHtml(decodeHtml(html)); });

    std::printf(
        "Median of %d runs after one untimed run, layout %.0f px wide\n", runs, double(width));
    print("RTF", rtf.size(), ours);
    print("HTML", html.size(), qts);
    if (!problem.isEmpty())
        std::printf("  the RTF reader reported: %s\n", qPrintable(problem));
    const double ratio = ours.median.totalMs() / qts.median.totalMs();
    std::printf("  ratio RTF / HTML: %.2f (target at most 1.00: %s); import alone %.2f\n", ratio,
        ratio <= 1.0 ? "met" : "MISSED", ours.median.importMs / qts.median.importMs);
    // For bench/run.sh.
    std::printf("result rtf %.1f\nresult html %.1f\n", ours.median.totalMs(), qts.median.totalMs());
    return 0;
}
