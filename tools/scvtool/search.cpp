#include "commands.h"
#include "output.h"

#include "storage/record_reader.h"
#include "storage/windows1252.h"
#include "storage/word_finder.h"

namespace scvtool {

Exit runSearch(const Operands &operands)
{
    const std::string &file = operands[0];
    // Texts are Windows-1252 on disk, so the word is searched for in that form.
    storage::EncodeResult word = storage::encodeWindows1252(operands[1]);
    if (!word.status.ok()) {
        printError("cannot search for the word: " + word.status.message());
        return Exit::Usage;
    }
    const storage::WordFinder finder(std::move(word.bytes));

    storage::DocumentReader reader(file);
    // One record for the whole document, so that its text keeps its capacity from topic to
    // topic instead of being allocated for each.
    storage::TopicRecord record;
    std::string line;
    storage::ReadStatus read;
    while ((read = reader.next(record)) == storage::ReadStatus::Record) {
        if (!finder.foundIn(record.text.text()))
            continue;
        line = std::to_string(reader.recordsRead());
        line += '\t';
        line += storage::decodeWindows1252(record.name.text());
        line += '\n';
        if (!writeOut(line))
            return Exit::Success; // main reports why the output failed
    }
    if (read == storage::ReadStatus::Error)
        return reportReadFailure(file, reader.status());
    return Exit::Success;
}

} // namespace scvtool
