#pragma once

#include <QByteArrayView>
#include <QString>
#include <QTextFormat>

class QTextCursor;
class QTextDocument;

namespace richtext {

// A picture shown from PNG or JPEG data carries those bytes, as the RTF holds them, in this
// property of its image format (a QByteArray), so that a copy can be published unchanged. The
// placeholder box of other kinds has none.
inline constexpr int kPictureDataProperty = QTextFormat::UserProperty + 1;

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
