// scvtool-render --text|--html FILE N: record N's RTF read as the programs read it, printed as
// plain text or HTML. scvtool-render --links FILE: every link to a topic, and whether that topic
// is there. scvtool-render --export-html FILE DIR LANG and --export-pdf FILE OUT SIZE: the
// document published. scvtool show, links and export run it in their own place, so messages
// speak as scvtool.

#include "output.h"
#include "record_lookup.h"

#include "publish/pdf_export.h"
#include "publish/site_export.h"
#include "richtext/display_font.h"
#include "richtext/rtf_reader.h"
#include "richtext/topic_link.h"
#include "storage/record_reader.h"
#include "storage/windows1252.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>
#include <QTextDocument>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <set>
#include <string>
#include <string_view>

namespace {

enum class Form { Text, Html };

// Qt's notes about its own set-up (no XDG_RUNTIME_DIR, a missing font) are no part of the
// output; what would stop the program still reaches stderr, as scvtool speaks.
void filterQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        scvtool::printError(message.toStdString());
}

QByteArray render(const std::string &rtf, Form form)
{
    QTextDocument document;
    document.setDefaultFont(richtext::displayFont());
    richtext::RtfReader::read(QByteArrayView(rtf.data(), qsizetype(rtf.size())), &document);
    QString out;
    if (form == Form::Html) {
        out = document.toHtml();
    } else {
        out = document.toPlainText();
        // Pictures are not characters; toPlainText marks each with U+FFFC.
        out.remove(QChar::ObjectReplacementCharacter);
        out.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        out.replace(QChar::LineSeparator, QLatin1Char('\n'));
    }
    if (!out.isEmpty() && !out.endsWith(QLatin1Char('\n')))
        out += QLatin1Char('\n');
    return out.toUtf8();
}

std::string shown(const std::string &windows1252)
{
    return storage::decodeWindows1252(windows1252);
}

// One line per topic link: record number, topic name, target, ok or missing, tab-separated.
scvtool::Exit listLinks(const std::string &file)
{
    std::set<std::string> names;
    {
        storage::DocumentReader reader(file);
        storage::TopicRecord record;
        storage::ReadStatus read;
        while ((read = reader.next(record, storage::RecordParts::Heading))
            == storage::ReadStatus::Record)
            names.insert(shown(record.name.text()));
        if (read == storage::ReadStatus::Error)
            return scvtool::reportReadFailure(file, reader.status());
    }
    bool missing = false;
    storage::DocumentReader reader(file);
    storage::TopicRecord record;
    storage::ReadStatus read;
    while ((read = reader.next(record)) == storage::ReadStatus::Record) {
        QTextDocument document;
        const std::string &rtf = record.text.text();
        richtext::RtfReader::read(QByteArrayView(rtf.data(), qsizetype(rtf.size())), &document);
        for (const richtext::TopicLink &link : richtext::topicLinksIn(document)) {
            const std::string target = link.target.toStdString();
            const bool there = names.count(target) > 0;
            missing = missing || !there;
            scvtool::writeOut(std::to_string(reader.recordsRead()) + '\t'
                + shown(record.name.text()) + '\t' + target + '\t' + (there ? "ok" : "missing")
                + '\n');
        }
    }
    if (read == storage::ReadStatus::Error)
        return scvtool::reportReadFailure(file, reader.status());
    return missing ? scvtool::Exit::Failure : scvtool::Exit::Success;
}

// Warnings (links to missing topics) go to stderr as they come.
class ExportMessages final : public publish::ExportObserver
{
public:
    void warning(const QString &message) override { scvtool::printError(message.toStdString()); }
};

scvtool::Exit exitFor(const publish::ExportResult &result)
{
    switch (result.outcome) {
    case publish::ExportOutcome::Written:
        return scvtool::Exit::Success;
    case publish::ExportOutcome::Refused:
        scvtool::printError(result.message.toStdString());
        return scvtool::Exit::Usage;
    case publish::ExportOutcome::Damaged:
    case publish::ExportOutcome::Failed:
    case publish::ExportOutcome::Cancelled:
        break;
    }
    scvtool::printError(result.message.toStdString());
    return scvtool::Exit::Failure;
}

scvtool::Exit exportSite(
    const std::string &file, const std::string &folder, const std::string &language)
{
    ExportMessages messages;
    publish::SiteOptions options;
    options.language = QString::fromStdString(language);
    const publish::ExportResult result = publish::exportSite(file, QString::fromStdString(file),
        QString::fromLocal8Bit(folder.c_str()), options, messages);
    if (result.ok())
        scvtool::writeOut(file + ": " + std::to_string(result.topics)
            + (result.topics == 1 ? " topic" : " topics") + " and "
            + std::to_string(result.pictures) + (result.pictures == 1 ? " picture" : " pictures")
            + " written as a web site to " + folder + "\n");
    return exitFor(result);
}

scvtool::Exit exportPdf(const std::string &file, const std::string &out, const std::string &size)
{
    ExportMessages messages;
    publish::PdfOptions options;
    options.pageSize = size == "letter" ? QPageSize::Letter : QPageSize::A4;
    const publish::ExportResult result = publish::exportPdf(
        file, QString::fromStdString(file), QString::fromLocal8Bit(out.c_str()), options, messages);
    if (result.ok())
        scvtool::writeOut(file + ": " + std::to_string(result.topics)
            + (result.topics == 1 ? " topic" : " topics") + " on " + std::to_string(result.pages)
            + (result.pages == 1 ? " page" : " pages") + " written as a PDF manual to " + out
            + "\n");
    return exitFor(result);
}

// Fonts and text layout need a GUI application, never a display. Qt reads no options from the
// command line, whose operands are file names.
struct Qt
{
    explicit Qt(char *program)
        : argv {program, nullptr}
    {
        qInstallMessageHandler(filterQtMessages);
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int argc = 1;
    char *argv[2];
};

scvtool::Exit run(int argc, char *argv[])
{
    if (argc == 3 && std::string_view(argv[1]) == "--links") {
        Qt qt(argv[0]);
        QGuiApplication application(qt.argc, qt.argv);
        return listLinks(argv[2]);
    }
    if (argc == 5 && std::string_view(argv[1]) == "--export-html") {
        Qt qt(argv[0]);
        QGuiApplication application(qt.argc, qt.argv);
        return exportSite(argv[2], argv[3], argv[4]);
    }
    if (argc == 5 && std::string_view(argv[1]) == "--export-pdf") {
        Qt qt(argv[0]);
        QGuiApplication application(qt.argc, qt.argv);
        return exportPdf(argv[2], argv[3], argv[4]);
    }
    if (argc != 4) {
        scvtool::printError("usage: scvtool-render --text|--html FILE N | --links FILE | "
                            "--export-html FILE DIR LANG | --export-pdf FILE OUT SIZE");
        return scvtool::Exit::Usage;
    }
    const std::string_view option = argv[1];
    if (option != "--text" && option != "--html") {
        scvtool::printError(
            "unknown option \"" + std::string(option) + "\" for show (use --text or --html)");
        return scvtool::Exit::Usage;
    }
    storage::TopicRecord record;
    const scvtool::Exit found = scvtool::lookUpRecord(argv[2], argv[3], record);
    if (found != scvtool::Exit::Success)
        return found;

    Qt qt(argv[0]);
    QGuiApplication application(qt.argc, qt.argv);
    const QByteArray out = render(record.text.text(), option == "--html" ? Form::Html : Form::Text);
    scvtool::writeOut(std::string_view(out.constData(), std::size_t(out.size())));
    return scvtool::Exit::Success;
}

} // namespace

int main(int argc, char *argv[])
{
    // As in scvtool: a reader that went away ends the output quietly.
    std::signal(SIGPIPE, SIG_IGN);
    const scvtool::Exit exit = run(argc, argv);
    if (!scvtool::flushOut() && scvtool::outputError() != EPIPE) {
        scvtool::printError(
            std::string("cannot write the output: ") + std::strerror(scvtool::outputError()));
        return static_cast<int>(scvtool::Exit::Failure);
    }
    return static_cast<int>(exit);
}
