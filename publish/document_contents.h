#pragma once

#include "publish/contents_outline.h"
#include "publish/export_result.h"

#include "storage/record_reader.h"

#include <QHash>
#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class QTextDocument;

namespace publish {

// A document's contents as the exports need them: one entry per record, read from the headings
// alone, and the first topic of each name, which a link to that name leads to.
struct DocumentContents
{
    std::vector<ContentsEntry> entries;
    QHash<QString, std::size_t> firstOfName;

    // The entry a link to name leads to; nothing when no topic has that name.
    std::optional<std::size_t> topicNamed(const QString &name) const;
};

// Reads the contents; on failure fills result with the outcome (Damaged, or Failed for a
// document that cannot be read) and its message, and returns nothing.
std::optional<DocumentContents> readDocumentContents(
    const std::string &path, const QString &shownPath, ExportResult &result);

// Fills result for a document that stopped being readable at status.
void reportReadFailure(
    const QString &shownPath, const storage::Status &status, ExportResult &result);

// A record's name as the programs show it.
QString shownName(const storage::TopicRecord &record);

// The topic's text as the reader shows it: record's RTF read into document, whose content it
// replaces.
void readTopic(const storage::TopicRecord &record, QTextDocument &document);

// The shown text of a document as show --text gives it, without pictures.
QString shownText(const QTextDocument &document);

// "DOCUMENT: topic N (NAME) links to "TARGET", which is no topic of the document".
QString missingLinkWarning(
    const QString &shownPath, const ContentsEntry &entry, const QString &target);

} // namespace publish
