#include "publish/document_contents.h"

#include "publish/page_names.h"
#include "richtext/rtf_reader.h"
#include "storage/windows1252.h"

#include <QTextDocument>

namespace publish {

std::optional<std::size_t> DocumentContents::topicNamed(const QString &name) const
{
    const auto found = firstOfName.constFind(name);
    if (found == firstOfName.constEnd())
        return std::nullopt;
    return *found;
}

QString shownName(const storage::TopicRecord &record)
{
    return QString::fromStdString(storage::decodeWindows1252(record.name.text()));
}

void reportReadFailure(
    const QString &shownPath, const storage::Status &status, ExportResult &result)
{
    const QString reason = QString::fromStdString(status.message());
    if (status.record() > 0) {
        result.outcome = ExportOutcome::Damaged;
        result.message = shownPath + QStringLiteral(": damaged at ") + reason;
    } else {
        result.outcome = ExportOutcome::Failed;
        result.message = reason;
    }
}

std::optional<DocumentContents> readDocumentContents(
    const std::string &path, const QString &shownPath, ExportResult &result)
{
    DocumentContents contents;
    storage::DocumentReader reader(path);
    storage::TopicRecord record;
    for (;;) {
        const storage::ReadStatus read = reader.next(record, storage::RecordParts::Heading);
        if (read == storage::ReadStatus::Error) {
            reportReadFailure(shownPath, reader.status(), result);
            return std::nullopt;
        }
        if (read == storage::ReadStatus::End)
            break;
        ContentsEntry entry;
        entry.number = reader.recordsRead();
        entry.depth = contentsDepth(record.level);
        entry.name = shownName(record);
        entry.page = topicPageName(entry.number, entry.name);
        // Links lead to the first topic of a name, as the reader follows them.
        if (!contents.firstOfName.contains(entry.name))
            contents.firstOfName.insert(entry.name, contents.entries.size());
        contents.entries.push_back(std::move(entry));
    }
    return contents;
}

void readTopic(const storage::TopicRecord &record, QTextDocument &document)
{
    const std::string &rtf = record.text.text();
    richtext::RtfReader::read(QByteArrayView(rtf.data(), qsizetype(rtf.size())), &document);
}

QString shownText(const QTextDocument &document)
{
    QString text = document.toPlainText();
    text.remove(QChar::ObjectReplacementCharacter);
    return text;
}

QString missingLinkWarning(
    const QString &shownPath, const ContentsEntry &entry, const QString &target)
{
    return QStringLiteral("%1: topic %2 (%3) links to \"%4\", which is no topic of the document; "
                          "its text stays plain")
        .arg(shownPath)
        .arg(entry.number)
        .arg(shownTopicName(entry.name), target);
}

} // namespace publish
