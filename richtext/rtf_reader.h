#pragma once

#include <QByteArrayView>
#include <QString>

class QTextCursor;
class QTextDocument;

namespace richtext {

// What became of an import. The reader never gives up half-way: what it cannot read it skips,
// and what it can read is shown.
struct RtfReadReport
{
    // False when the input does not start as RTF ("{\rtf"); it is then shown as plain text.
    bool wasRtf = true;
    // Damage found on the way (unbalanced braces, a truncated file, garbage), for the log or a
    // caller that wants to tell; empty when there was none.
    QString problem;
};

class RtfReader
{
public:
    // Replaces the document's whole content with the RTF's, in one edit block.
    static RtfReadReport read(QByteArrayView rtf, QTextDocument *document);
    // Inserts the RTF's content at the cursor, as a paste does, in one edit block.
    static RtfReadReport insert(QByteArrayView rtf, QTextCursor &cursor);
};

} // namespace richtext
