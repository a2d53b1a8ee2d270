// What the HTML export is measured against, in one process, so that process starts do not count:
//   bench_publish import-html FILE   reads every topic's RTF with our reader into a fresh
//                                    document and has Qt write it as HTML, as scvtool show
//                                    --html does for one topic; prints "result import_html MS"

#include "richtext/display_font.h"
#include "richtext/rtf_reader.h"
#include "storage/record_reader.h"

#include <QElapsedTimer>
#include <QFont>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>
#include <string>
#include <string_view>

int main(int argc, char *argv[])
{
    if (argc != 3 || std::string_view(argv[1]) != "import-html") {
        std::fprintf(stderr, "usage: bench_publish import-html FILE\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    const QFont font = richtext::displayFont();

    QElapsedTimer timer;
    timer.start();
    storage::DocumentReader reader(argv[2]);
    storage::TopicRecord record;
    qsizetype written = 0;
    storage::ReadStatus read;
    while ((read = reader.next(record)) == storage::ReadStatus::Record) {
        QTextDocument document;
        document.setDefaultFont(font);
        const std::string &rtf = record.text.text();
        richtext::RtfReader::read(QByteArrayView(rtf.data(), qsizetype(rtf.size())), &document);
        written += document.toHtml().toUtf8().size();
    }
    if (read == storage::ReadStatus::Error) {
        std::fprintf(stderr, "bench_publish: %s\n", reader.status().message().c_str());
        return 1;
    }
    std::printf("result import_html %.1f\n", timer.nsecsElapsed() / 1e6);
    std::printf("# %lld bytes of HTML\n", static_cast<long long>(written));
    return 0;
}
