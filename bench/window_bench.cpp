#include "window_bench.h"

#include "richtext/rtf_reader.h"
#include "storage/record_lookup.h"

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>

#include <cstdio>
#include <sys/resource.h>
#include <utility>

namespace bench {

int ReportingBoxes::show(QWidget *, const QString &text, int, const QString &)
{
    ++m_shown;
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
    return Ok;
}

double ms(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void result(const char *name, double value)
{
    std::printf("result %s %.1f\n", name, value);
}

long peakRssKib()
{
    struct rusage usage;
    if (::getrusage(RUSAGE_SELF, &usage) != 0)
        return -1;
    return usage.ru_maxrss;
}

std::string topicRtf(const std::string &path, std::uint64_t number)
{
    storage::RecordLookup found = storage::lookUpRecord(path, number);
    if (found.read != storage::ReadStatus::Record)
        return {};
    return std::move(found.record.text.text());
}

double displayMs(const std::string &rtf, int width)
{
    QTextDocument document;
    QElapsedTimer timer;
    timer.start();
    const richtext::RtfReadReport report =
        richtext::RtfReader::read(QByteArrayView(rtf.data(), qsizetype(rtf.size())), &document);
    document.setTextWidth(width);
    document.documentLayout()->documentSize();
    const double elapsed = ms(timer);
    if (!report.problem.isEmpty())
        std::fprintf(stderr, "the RTF reader reported: %s\n", qPrintable(report.problem));
    return elapsed;
}

} // namespace bench
