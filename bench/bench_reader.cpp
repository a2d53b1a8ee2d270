// Times of the reader window on large documents, next to scvtool on the same file:
// start-up to a shown first topic, a choice of the last topic, a search and showing its hit.
//   bench_reader [FOLDER]   makes its documents in FOLDER (default: a temporary folder)
// Hand-run; not in ctest.

#include "reader/click_list.h"
#include "reader/message_boxes.h"
#include "reader/reader_window.h"
#include "richtext/rich_text_box.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

class PrintingBoxes final : public MessageBoxes
{
public:
    int show(QWidget *, const QString &text, int, const QString &) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return Ok;
    }
};

QByteArray topicText(int number, qsizetype size)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Verdana;}}\\f0\\fs20 Topic "
        + QByteArray::number(number) + ".\\par\r\n";
    const QByteArray line = "Some words of the topic text, \\b bold\\b0  and plain.\\par\r\n";
    while (rtf.size() + line.size() + 1 < size)
        rtf += line;
    return rtf + '}';
}

bool makeDocument(const QString &name, int topics, qsizetype textSize)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (int i = 1; i <= topics; ++i) {
        const QByteArray record = "\"" + QByteArray::number(i % 3) + "\",\"Topic "
            + QByteArray::number(i) + "\",\"" + topicText(i, textSize) + "\"\r\n";
        if (file.write(record) != record.size())
            return false;
    }
    return true;
}

double ms(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// scvtool's run time, process start included; negative when it failed.
double scvtool(const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(SCVTOOL_PATH), arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        return -1;
    return ms(timer);
}

void measure(const char *label, int topics, qsizetype textSize)
{
    const QString name = QStringLiteral("Bench.scv");
    QFile::remove(name);
    if (!makeDocument(name, topics, textSize)) {
        std::fprintf(stderr, "cannot write the document\n");
        return;
    }
    // The word is in the last topic only.
    const QString word = QStringLiteral("Topic %1.").arg(topics);

    PrintingBoxes boxes;
    QElapsedTimer timer;
    timer.start();
    auto window = std::make_unique<ReaderWindow>(ReaderKind::Leafwick, boxes);
    window->show();
    QApplication::processEvents();
    const double startUp = ms(timer);

    timer.restart();
    window->setList1Index(topics - 1);
    QApplication::processEvents();
    const double choiceLast = ms(timer);
    const bool lastShown = window->RichTextBox1->Text().startsWith(word);

    window->Text1->setText(word);
    timer.restart();
    window->ListTopicsCmd_Click();
    const double search = ms(timer);
    const int hits = window->List2->count();
    timer.restart();
    window->setList2Index(0);
    QApplication::processEvents();
    const double showHit = ms(timer);

    const QString last = QString::number(topics);
    const double toolCount = scvtool({QStringLiteral("count"), name});
    const double toolList = scvtool({QStringLiteral("list"), name});
    const double toolShow = scvtool({QStringLiteral("show"), name, last});
    const double toolShowText =
        scvtool({QStringLiteral("show"), name, last, QStringLiteral("--text")});
    const double toolSearch = scvtool({QStringLiteral("search"), name, word});

    std::printf("%s: %d topics, file %lld bytes\n", label, int(window->RecordCount),
        static_cast<long long>(QFile(name).size()));
    std::printf("  reader: start-up to the first topic shown %.0f ms; choice of the last topic "
                "%.0f ms (%s); search %.0f ms (%d hit); showing the hit %.0f ms\n",
        startUp, choiceLast, lastShown ? "shown" : "NOT shown", search, hits, showHit);
    std::printf("  scvtool: count %.0f ms; list %.0f ms; show last %.0f ms; show last --text "
                "%.0f ms; search %.0f ms\n",
        toolCount, toolList, toolShow, toolShowText, toolSearch);
    window.reset();
    QFile::remove(name);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    if (!QDir::setCurrent(folder)) {
        std::fprintf(stderr, "cannot enter %s\n", qPrintable(folder));
        return 1;
    }
    // The first window of a run also pays for Qt's start (fonts, styles); the second does not.
    measure("10,000 small topics, first window", 10000, 600);
    measure("10,000 small topics", 10000, 600);
    measure("300 topics of 700 KB", 300, 700000);
    return 0;
}
