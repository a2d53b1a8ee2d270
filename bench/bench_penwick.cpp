// Times of the authoring window on one document, for bench/run.sh: start-up, the choice of a
// topic, a save that appends a topic, a save after Edit (a rewrite) and Move Down (a rewrite);
// then what the targets allow for besides (an empty window's start-up, the display of the shown
// topics on their own, writing the saved topic's RTF) and the process's peak memory. Prints
// "result NAME VALUE" lines, times in milliseconds. The document is changed.
//   bench_penwick FOLDER TOPIC   FOLDER holds the document as Help.scv
// Hand-run; not in ctest.

#include "window_bench.h"

#include "author/penwick.h"
#include "ui/click_list.h"
#include "richtext/rich_text_box.h"
#include "richtext/rtf_writer.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

double startWindow(MessageBoxes &boxes, std::unique_ptr<Penwick> &window)
{
    QElapsedTimer timer;
    timer.start();
    window = std::make_unique<Penwick>(boxes);
    window->show();
    QApplication::processEvents();
    return bench::ms(timer);
}

// On an empty folder Penwick starts a new, empty Help.scv.
double emptyWindowMs()
{
    QTemporaryDir empty;
    const QString before = QDir::currentPath();
    QDir::setCurrent(empty.path());
    bench::SilentBoxes boxes;
    std::unique_ptr<Penwick> window;
    const double elapsed = startWindow(boxes, window);
    window.reset();
    QDir::setCurrent(before);
    return elapsed;
}

double timed(const std::function<void()> &action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    QApplication::processEvents();
    return bench::ms(timer);
}

double writeMs(const std::string &rtf)
{
    QTextDocument document;
    (void)richtext::RtfReader::read(QByteArrayView(rtf.data(), qsizetype(rtf.size())), &document);
    QElapsedTimer timer;
    timer.start();
    const QByteArray written = richtext::RtfWriter::write(document);
    return written.isEmpty() ? -1 : bench::ms(timer);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_penwick FOLDER TOPIC\n");
        return 2;
    }
    QApplication app(argc, argv);
    const int topic = std::atoi(argv[2]);

    emptyWindowMs(); // pays for Qt's own start: fonts, styles
    const double emptyStartUp = emptyWindowMs();
    if (!QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "bench_penwick: cannot enter %s\n", argv[1]);
        return 1;
    }
    const std::string path = "Help.scv";
    const std::string addedRtf = bench::topicRtf(path, 1);
    const std::string chosenRtf = bench::topicRtf(path, std::uint64_t(topic));
    if (addedRtf.empty() || chosenRtf.empty()) {
        std::fprintf(stderr, "bench_penwick: cannot read topics 1 and %d of Help.scv\n", topic);
        return 1;
    }

    bench::ReportingBoxes boxes;
    std::unique_ptr<Penwick> window;
    const double startUp = startWindow(boxes, window);
    const auto records = window->RecordCount;

    const double choice = timed([&] { window->setList1Index(topic - 1); });
    const bool chosenShown = !window->RichTextBox1->Text().isEmpty();

    window->NewTopicTxt->setText(QStringLiteral("Added"));
    window->Add->setTextRTF(QByteArrayView(addedRtf.data(), qsizetype(addedRtf.size())));
    const double append = timed([&] { window->SaveCmd_Click(); });
    const bool appended = window->RecordCount == records + 1;

    const int middle = int(records / 2);
    window->setList1Index(middle);
    window->EditCmd_Click();
    const double replace = timed([&] { window->SaveCmd_Click(); });
    const bool replaced = window->RecordCount == records + 1 && !window->EditFlag;

    window->setList1Index(middle);
    const double moveDown = timed([&] { window->DownCmd_Click(); });
    const bool moved = window->List1->currentRow() == middle + 1;
    const long peak = bench::peakRssKib();
    const int width = window->RichTextBox1->viewport()->width();
    window.reset();

    if (!chosenShown || !appended || !replaced || !moved || boxes.shown() > 0) {
        std::fprintf(stderr,
            "bench_penwick: a step failed (shown %d, appended %d, replaced %d, "
            "moved %d)\n",
            chosenShown, appended, replaced, moved);
        return 1;
    }
    bench::result("startup", startUp);
    bench::result("choice", choice);
    bench::result("append", append);
    bench::result("replace", replace);
    bench::result("move_down", moveDown);
    bench::result("empty_startup", emptyStartUp);
    bench::result("display_first", bench::displayMs(addedRtf, width));
    bench::result("display_choice", bench::displayMs(chosenRtf, width));
    bench::result("write_added", writeMs(addedRtf));
    bench::result("peak_rss", double(peak));
    return 0;
}
