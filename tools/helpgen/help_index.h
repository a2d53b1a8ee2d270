#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace helpgen {

// One line of the index: a topic of the help document, in contents order.
struct HelpIndexEntry
{
    int line = 0; // 1-based, for messages
    int level = 0;
    QString file; // a file name in the index's folder
    QString name; // as the contents list shows it
};

struct HelpIndex
{
    QList<HelpIndexEntry> entries;
    // Why the index was refused, with its line; empty when it was read whole.
    QString error;
};

// Reads an index: one topic a line, "LEVEL FILE NAME", blanks between them; the name runs to
// the end of the line. Blank lines and lines starting with '#' are passed over. Refuses what
// would make a document Penwick cannot show or store: a level other than 0, 1 or 2, a file
// outside the index's folder, an empty, repeated or unstorable name.
HelpIndex parseHelpIndex(QByteArrayView text);

} // namespace helpgen
