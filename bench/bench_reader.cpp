// Times of the reader window on one document, for bench/run.sh: start-up to the first topic
// shown, the choice of a topic, a search and showing its first hit; then what the targets allow
// for besides (an empty window's start-up, the display of each shown topic on its own) and the
// process's peak memory. Prints "result NAME VALUE" lines, times in milliseconds.
//   bench_reader FOLDER TOPIC WORD   FOLDER holds the document as its only .scv file
//   bench_reader display FILE TOPIC  only shows that topic in a display of its own, laid out
//                                    whole, and prints the peak memory: what one topic costs
// Hand-run; not in ctest.

#include "window_bench.h"

#include "ui/click_list.h"
#include "reader/reader_window.h"
#include "richtext/rich_text_box.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

// Built, shown and painted once; the time it took.
double startWindow(MessageBoxes &boxes, std::unique_ptr<ReaderWindow> &window)
{
    QElapsedTimer timer;
    timer.start();
    window = std::make_unique<ReaderWindow>(ReaderKind::Leafwick, boxes);
    window->show();
    QApplication::processEvents();
    return bench::ms(timer);
}

// Start-up on an empty folder warns that there is no document; that is expected here.
double emptyWindowMs()
{
    QTemporaryDir empty;
    const QString before = QDir::currentPath();
    QDir::setCurrent(empty.path());
    bench::SilentBoxes boxes;
    std::unique_ptr<ReaderWindow> window;
    const double elapsed = startWindow(boxes, window);
    window.reset();
    QDir::setCurrent(before);
    return elapsed;
}

// A display like the reader's, 800 pixels wide, showing the one topic laid out whole.
int displayOnly(const char *file, std::uint64_t topic)
{
    const std::string rtf = bench::topicRtf(file, topic);
    if (rtf.empty()) {
        std::fprintf(stderr, "bench_reader: cannot read topic %llu of %s\n",
            static_cast<unsigned long long>(topic), file);
        return 1;
    }
    richtext::RichTextBox display;
    display.setReadOnly(true);
    display.resize(800, 600);
    display.show();
    display.setTextRTF(QByteArrayView(rtf.data(), qsizetype(rtf.size())));
    QApplication::processEvents();
    display.document()->documentLayout()->documentSize();
    bench::result("peak_rss", double(bench::peakRssKib()));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_reader FOLDER TOPIC WORD\n");
        return 2;
    }
    QApplication app(argc, argv);
    if (std::string_view(argv[1]) == "display")
        return displayOnly(argv[2], std::strtoull(argv[3], nullptr, 10));
    const int topic = std::atoi(argv[2]);
    const QString word = QString::fromLocal8Bit(argv[3]);

    emptyWindowMs(); // pays for Qt's own start: fonts, styles
    const double emptyStartUp = emptyWindowMs();
    if (!QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "bench_reader: cannot enter %s\n", argv[1]);
        return 1;
    }

    bench::ReportingBoxes boxes;
    std::unique_ptr<ReaderWindow> window;
    const double startUp = startWindow(boxes, window);
    const std::string path = QFile::encodeName(window->ReaderHelpFileName).toStdString();

    QElapsedTimer timer;
    timer.start();
    window->setList1Index(topic - 1);
    QApplication::processEvents();
    const double choice = bench::ms(timer);
    // The part of the topic below the visible one may be laid out later, between events.
    window->RichTextBox1->document()->documentLayout()->documentSize();
    const double choiceWhole = bench::ms(timer);
    const QString shownText = window->RichTextBox1->Text();

    window->Text1->setText(word);
    timer.restart();
    window->ListTopicsCmd_Click();
    const double search = bench::ms(timer);
    const int hits = window->List2->count();
    const std::uint64_t firstHit = window->HitRecords.empty() ? 0 : window->HitRecords.front();

    timer.restart();
    window->setList2Index(0);
    QApplication::processEvents();
    const double hit = bench::ms(timer);
    const bool hitShown = window->RichTextBox1->Text().contains(word);
    const long peak = bench::peakRssKib();
    const int width = window->RichTextBox1->viewport()->width();
    window.reset();

    const std::string chosenRtf = bench::topicRtf(path, std::uint64_t(topic));
    if (shownText.isEmpty() || chosenRtf.empty()) {
        std::fprintf(stderr, "bench_reader: topic %d was not shown\n", topic);
        return 1;
    }
    if (!hitShown) {
        std::fprintf(stderr, "bench_reader: the first hit does not show the word\n");
        return 1;
    }
    if (boxes.shown() > 0)
        return 1;

    bench::result("startup", startUp);
    bench::result("choice", choice);
    bench::result("choice_whole", choiceWhole);
    bench::result("search", search);
    bench::result("hit", hit);
    bench::result("hits", hits);
    bench::result("first_hit", double(firstHit));
    bench::result("empty_startup", emptyStartUp);
    bench::result("display_first", bench::displayMs(bench::topicRtf(path, 1), width));
    bench::result("display_choice", bench::displayMs(chosenRtf, width));
    bench::result("display_hit", bench::displayMs(bench::topicRtf(path, firstHit), width));
    bench::result("peak_rss", double(peak));
    return 0;
}
