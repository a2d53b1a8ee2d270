// Starts the real reader window (Leafwick's) on the working folder and prints what it shows:
// "count RECORDCOUNT", one "line TEXT" per line of List1 and "box STYLE TEXT" per message box,
// then ends.
#include "ui/click_list.h"
#include "ui/message_boxes.h"
#include "reader/reader_window.h"

#include <QApplication>

#include <cstdio>

namespace {

void say(const QString &line)
{
    QString flat = line;
    flat.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    std::fputs(flat.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

class PrintingBoxes final : public MessageBoxes
{
public:
    int show(QWidget *, const QString &text, int style, const QString &) override
    {
        say(QStringLiteral("box %1 %2").arg(style).arg(text));
        return Ok;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    PrintingBoxes boxes;
    ReaderWindow window(ReaderKind::Leafwick, boxes);
    say(QStringLiteral("count %1").arg(window.RecordCount));
    for (int i = 0; i < window.List1->count(); ++i)
        say(QStringLiteral("line ") + window.List1->item(i)->text());
    return 0;
}
