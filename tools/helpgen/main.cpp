// scvhelpgen INDEX OUTPUT: builds a help document from Markdown topics, for the help that ships
// with the programs. The same sources always give the same bytes.

#include "author/sanitiser.h"
#include "richtext/rtf_reader.h"
#include "richtext/topic_link.h"
#include "storage/record_writer.h"
#include "storage/windows1252.h"
#include "tools/helpgen/help_index.h"
#include "tools/helpgen/topic_rtf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <QTextDocument>

#include <cstdio>
#include <string>

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;
// Penwick refuses to save a larger topic, so it could not edit one either.
constexpr qsizetype kMaxTopicRtf = 725000;

struct Built
{
    std::string document;
    QString error;
};

QString topicError(
    const QString &indexPath, const helpgen::HelpIndexEntry &entry, const QString &what)
{
    return QStringLiteral("%1:%2: %3: %4").arg(indexPath).arg(entry.line).arg(entry.file, what);
}

// The first topic a link of the RTF leads to that is not among names; empty when all are.
QString missingLinkTarget(const QByteArray &rtf, const QSet<QString> &names)
{
    QTextDocument document;
    richtext::RtfReader::read(rtf, &document);
    for (const richtext::TopicLink &link : richtext::topicLinksIn(document)) {
        if (!names.contains(link.target))
            return link.target;
    }
    return {};
}

Built build(const QString &indexPath)
{
    QFile indexFile(indexPath);
    if (!indexFile.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("%1: %2").arg(indexPath, indexFile.errorString())};
    const helpgen::HelpIndex index = helpgen::parseHelpIndex(indexFile.readAll());
    if (!index.error.isEmpty())
        return {{}, QStringLiteral("%1: %2").arg(indexPath, index.error)};

    QSet<QString> names;
    for (const helpgen::HelpIndexEntry &entry : index.entries)
        names.insert(entry.name);
    const QDir folder = QFileInfo(indexPath).dir();
    Built built;
    for (const helpgen::HelpIndexEntry &entry : index.entries) {
        QFile source(folder.filePath(entry.file));
        if (!source.open(QIODevice::ReadOnly))
            return {{}, topicError(indexPath, entry, source.errorString())};
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString markdown = utf8(source.readAll());
        if (utf8.hasError())
            return {{}, topicError(indexPath, entry, QStringLiteral("not UTF-8"))};

        const helpgen::TopicRtf topic = helpgen::topicRtf(markdown, entry.name);
        if (!topic.error.isEmpty())
            return {{}, topicError(indexPath, entry, topic.error)};
        // A link to a topic that is not in the index would lead the reader nowhere.
        if (const QString missing = missingLinkTarget(topic.rtf, names); !missing.isEmpty())
            return {{},
                topicError(indexPath, entry,
                    QStringLiteral("links to \"%1\", which is no topic of the index")
                        .arg(missing))};
        const QByteArray text = author::withoutQuoteBytes(topic.rtf);
        if (text.size() > kMaxTopicRtf)
            return {{},
                topicError(indexPath, entry,
                    QStringLiteral("%1 bytes of RTF, more than Penwick saves").arg(text.size()))};

        // The index checked that the name can be stored.
        const storage::EncodeResult name = storage::encodeWindows1252(entry.name.toStdString());
        const storage::Status status = storage::formatRecord(
            storage::stringRecord(std::to_string(entry.level), name.bytes, text.toStdString()),
            built.document);
        if (!status.ok())
            return {{}, topicError(indexPath, entry, QString::fromStdString(status.message()))};
    }
    return built;
}

int fail(const QString &message, int status)
{
    std::fprintf(stderr, "scvhelpgen: %s\n", qPrintable(message));
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    // Fonts are named, never measured: no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3)
        return fail(QStringLiteral("usage: scvhelpgen INDEX OUTPUT"), kUsage);

    const Built built = build(arguments[1]);
    if (!built.error.isEmpty())
        return fail(built.error, kFailed);

    // Written whole or not at all: a failed run leaves the previous document in place.
    QSaveFile output(arguments[2]);
    if (!output.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("%1: %2").arg(arguments[2], output.errorString()), kFailed);
    const auto size = qint64(built.document.size());
    if (output.write(built.document.data(), size) != size || !output.commit())
        return fail(QStringLiteral("%1: %2").arg(arguments[2], output.errorString()), kFailed);
    return 0;
}
