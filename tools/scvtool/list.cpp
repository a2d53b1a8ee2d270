#include "commands.h"
#include "output.h"

#include "storage/contents_line.h"
#include "storage/record_reader.h"
#include "storage/windows1252.h"

namespace scvtool {

Exit runList(const Operands &operands)
{
    const std::string &file = operands[0];
    storage::DocumentReader reader(file);
    storage::TopicRecord record;
    storage::ReadStatus read;
    while ((read = reader.next(record)) == storage::ReadStatus::Record) {
        // Names are Windows-1252 on disk; the terminal reads UTF-8.
        std::string line = storage::decodeWindows1252(storage::contentsLine(record));
        line += '\n';
        if (!writeOut(line))
            return Exit::Success; // main reports why the output failed
    }
    if (read == storage::ReadStatus::Error)
        return reportReadFailure(file, reader.status());
    return Exit::Success;
}

} // namespace scvtool
