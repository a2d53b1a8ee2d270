// Drives the real Penwick window from a script, so that tests can kill, limit or race a real
// authoring process. Commands come one a line from the arguments, or from stdin when there are
// none; every message box, every answer and the end of every command go to stdout, one a line:
//
//   select N      highlight line N of List1 (1-based; 0 highlights nothing), running List1_Click
//   edit | save | insert | up | down | remove     the window's commands
//   name TEXT | level TEXT | text TEXT            fill NewTopicTxt, LevelTxt, Add (plain text)
//   open NAME     make NAME the current document and load it
//   count         prints "count RECORDCOUNT LABELSSAVED"
//   list          prints "line TEXT" for each line of List1
//   selected      prints "selected ROW SELECTEDNUMBER EDITFLAG", ROW 1-based (0: none highlighted)
//   stop-at STEP K    at the K-th RewriteStep STEP of the rewrites to come, print "at STEP" and
//                     wait there for ever (to be killed)
//   quit
//
// Output: "box STYLE TEXT" per message box, "done COMMAND" after each command.
#include "author/penwick.h"
#include "ui/click_list.h"
#include "ui/message_boxes.h"
#include "richtext/rich_text_box.h"
#include "storage/rewrite.h"

#include <QApplication>
#include <QLineEdit>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>

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

struct StepName
{
    const char *name;
    storage::detail::RewriteStep step;
};

const StepName kSteps[] = {
    {"Locked", storage::detail::RewriteStep::Locked},
    {"LeftoverMoved", storage::detail::RewriteStep::LeftoverMoved},
    {"ScratchCreated", storage::detail::RewriteStep::ScratchCreated},
    {"RecordWritten", storage::detail::RewriteStep::RecordWritten},
    {"ScratchFlushed", storage::detail::RewriteStep::ScratchFlushed},
    {"Replaced", storage::detail::RewriteStep::Replaced},
};

// Parks the process at a rewrite step, where the test kills it.
bool stopAt(const QString &stepName, int occurrence)
{
    for (const StepName &s : kSteps) {
        if (stepName != QLatin1String(s.name))
            continue;
        auto seen = std::make_shared<int>(0);
        const storage::detail::RewriteStep wanted = s.step;
        storage::detail::setRewriteStepHook(
            [seen, wanted, stepName, occurrence](storage::detail::RewriteStep step) {
                if (step != wanted || ++*seen != occurrence)
                    return;
                say(QStringLiteral("at ") + stepName);
                for (;;)
                    ::pause();
            });
        return true;
    }
    return false;
}

// Runs one command; false when the script should end.
bool run(Penwick &w, const QString &line)
{
    const qsizetype space = line.indexOf(QLatin1Char(' '));
    const QString command = space < 0 ? line : line.left(space);
    const QString rest = space < 0 ? QString() : line.mid(space + 1);
    if (command == QLatin1String("select"))
        w.setList1Index(rest.toInt() - 1);
    else if (command == QLatin1String("edit"))
        w.EditCmd_Click();
    else if (command == QLatin1String("save"))
        w.SaveCmd_Click();
    else if (command == QLatin1String("insert"))
        w.InsertCmd_Click();
    else if (command == QLatin1String("up"))
        w.UpCmd_Click();
    else if (command == QLatin1String("down"))
        w.DownCmd_Click();
    else if (command == QLatin1String("remove"))
        w.RemoveCmd_Click();
    else if (command == QLatin1String("name"))
        w.NewTopicTxt->setText(rest);
    else if (command == QLatin1String("level"))
        w.LevelTxt->setText(rest);
    else if (command == QLatin1String("text"))
        w.Add->setText(rest);
    else if (command == QLatin1String("open")) {
        w.CurrentHelpFileName = rest;
        w.Initialize();
    } else if (command == QLatin1String("count"))
        say(QStringLiteral("count %1 %2").arg(w.RecordCount).arg(w.LabelsSaved->text()));
    else if (command == QLatin1String("list")) {
        for (int i = 0; i < w.List1->count(); ++i)
            say(QStringLiteral("line ") + w.List1->item(i)->text());
    } else if (command == QLatin1String("selected")) {
        say(QStringLiteral("selected %1 %2 %3")
                .arg(w.List1->currentRow() + 1)
                .arg(w.SelectedNumber)
                .arg(w.EditFlag ? 1 : 0));
    } else if (command == QLatin1String("stop-at")) {
        const QStringList parts = rest.split(QLatin1Char(' '));
        if (parts.size() != 2 || !stopAt(parts[0], parts[1].toInt()))
            say(QStringLiteral("error unknown step ") + rest);
    } else if (command == QLatin1String("quit"))
        return false;
    else if (!command.isEmpty())
        say(QStringLiteral("error unknown command ") + command);
    QCoreApplication::processEvents();
    say(QStringLiteral("done ") + line);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // As in Penwick itself: a write past the file size limit fails with an error we report.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    PrintingBoxes boxes;
    Penwick window(boxes);
    window.show();
    QCoreApplication::processEvents();
    say(QStringLiteral("ready"));

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    for (const QString &line : arguments) {
        if (!run(window, line))
            return 0;
    }
    if (!arguments.isEmpty())
        return 0;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!run(window, QString::fromStdString(line)))
            return 0;
    }
    return 0;
}
