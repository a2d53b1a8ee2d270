#include "reader/reader_command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>

namespace {

ReaderCommandLine usageError(const QString &why)
{
    ReaderCommandLine result;
    result.outcome = ReaderCommandLine::Outcome::UsageError;
    result.text = QStringLiteral("leafwick: %1\nTry \"leafwick --help\".\n").arg(why);
    return result;
}

} // namespace

ReaderCommandLine parseReaderCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows a help document: its contents, a chosen topic and a word search."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption topic(QStringLiteral("topic"),
        QStringLiteral("Show the first topic named exactly NAME."), QStringLiteral("NAME"));
    const QCommandLineOption topicNumber(QStringLiteral("topic-number"),
        QStringLiteral("Show topic number N, counted from 1."), QStringLiteral("N"));
    const QCommandLineOption search(QStringLiteral("search"),
        QStringLiteral("List the topics whose text holds WORD (case-sensitive)."),
        QStringLiteral("WORD"));
    const QCommandLineOption newWindow(QStringLiteral("new-window"),
        QStringLiteral("Open a new window even when one already shows the document."));
    const QCommandLineOption help(
        {QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version(
        {QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version."));
    parser.addOptions({topic, topicNumber, search, newWindow, help, version});
    parser.addPositionalArgument(QStringLiteral("DOCUMENT"),
        QStringLiteral("The help document to show; without it, the document handed over by "
                       "Penwick, else the first \"*.scv\" file of the current folder."),
        QStringLiteral("[DOCUMENT]"));

    if (!parser.parse(arguments))
        return usageError(parser.errorText());

    ReaderCommandLine result;
    if (parser.isSet(help)) {
        result.outcome = ReaderCommandLine::Outcome::Help;
        // Qt names the program by the path it was started with; the usage names it as given.
        result.text = parser.helpText();
        const QString startedAs = QCoreApplication::arguments().value(0);
        const qsizetype at = startedAs.isEmpty() ? -1 : result.text.indexOf(startedAs);
        if (at >= 0 && !arguments.isEmpty())
            result.text.replace(at, startedAs.size(), arguments.first());
        return result;
    }
    if (parser.isSet(version)) {
        result.outcome = ReaderCommandLine::Outcome::Version;
        result.text = QStringLiteral("leafwick %1\n").arg(QCoreApplication::applicationVersion());
        return result;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return usageError(
            QStringLiteral("only one help document can be shown, not %1").arg(positional.size()));
    if (parser.values(topic).size() > 1 || parser.values(topicNumber).size() > 1
        || parser.values(search).size() > 1)
        return usageError(QStringLiteral("each option can be given once"));
    if (parser.isSet(topic) && parser.isSet(topicNumber))
        return usageError(QStringLiteral("--topic and --topic-number cannot be given together"));

    ReaderRequest &request = result.request;
    if (!positional.isEmpty())
        request.document = positional.first();
    if (parser.isSet(topic))
        request.topicName = parser.value(topic);
    if (parser.isSet(topicNumber)) {
        const QString text = parser.value(topicNumber);
        bool ok = false;
        const qulonglong number = text.toULongLong(&ok);
        const bool digitsOnly = !text.isEmpty()
            && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
        if (!ok || !digitsOnly || number == 0)
            return usageError(
                QStringLiteral("--topic-number needs a positive whole number, not \"%1\"")
                    .arg(text));
        request.topicNumber = number;
    }
    if (parser.isSet(search))
        request.searchWord = parser.value(search);
    request.newWindow = parser.isSet(newWindow);
    return result;
}
