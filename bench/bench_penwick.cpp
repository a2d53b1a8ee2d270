// Times of the authoring window on large documents: start-up, a topic choice and saves.
//   bench_penwick [FOLDER]   makes its documents in FOLDER (default: a temporary folder)
// Hand-run; not in ctest.

#include "author/penwick.h"
#include "reader/message_boxes.h"
#include "richtext/rich_text_box.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

class CountingBoxes final : public MessageBoxes
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

double ms(QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void measure(const char *label, int topics, qsizetype textSize)
{
    QFile::remove("Help.scv");
    if (!makeDocument("Help.scv", topics, textSize)) {
        std::fprintf(stderr, "cannot write the document\n");
        return;
    }
    CountingBoxes boxes;
    QElapsedTimer timer;
    timer.start();
    auto window = std::make_unique<Penwick>(boxes);
    const double startUp = ms(timer);

    timer.restart();
    window->setList1Index(topics - 1);
    const double choiceLast = ms(timer);
    timer.restart();
    window->setList1Index(topics / 2);
    const double choiceMiddle = ms(timer);

    window->NewTopicTxt->setText(QStringLiteral("Added"));
    window->Add->setTextRTF(topicText(0, textSize));
    timer.restart();
    window->SaveCmd_Click();
    const double append = ms(timer);

    window->setList1Index(topics / 2);
    window->EditCmd_Click();
    timer.restart();
    window->SaveCmd_Click();
    const double replace = ms(timer);

    window->setList1Index(topics / 2);
    timer.restart();
    window->DownCmd_Click();
    const double moveDown = ms(timer);

    std::printf("%s: %d topics, file %lld bytes\n", label, int(window->RecordCount),
        static_cast<long long>(QFile("Help.scv").size()));
    std::printf("  start-up %.0f ms; choice of the last topic %.0f ms, of the middle one %.0f ms\n",
        startUp, choiceLast, choiceMiddle);
    std::printf("  save (append) %.0f ms; save (edit, rewrite) %.0f ms; Move Down %.0f ms\n",
        append, replace, moveDown);
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
    measure("10,000 small topics", 10000, 600);
    measure("300 topics of 700 KB", 300, 700000);
    return 0;
}
