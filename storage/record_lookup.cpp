#include "storage/record_lookup.h"

#include "storage/contents_line.h"

namespace storage {

RecordLookup lookUpRecord(const std::string &path, std::uint64_t number)
{
    RecordLookup result;
    DocumentReader reader(path);
    result.read = reader.readRecord(number, result.record);
    result.recordsRead = reader.recordsRead();
    if (result.read == ReadStatus::Error)
        result.status = reader.status();
    return result;
}

Contents readContents(const std::string &path)
{
    Contents contents;
    DocumentReader reader(path);
    TopicRecord record;
    for (;;) {
        const ReadStatus read = reader.next(record, RecordParts::Heading);
        if (read == ReadStatus::Error)
            contents.status = reader.status();
        if (read != ReadStatus::Record)
            break;
        contents.lines.push_back(contentsLine(record));
        contents.last = record;
    }
    return contents;
}

NamedRecord findRecordNamed(const std::string &path, const std::string &name)
{
    NamedRecord found;
    DocumentReader reader(path);
    TopicRecord record;
    for (;;) {
        const ReadStatus read = reader.next(record, RecordParts::Heading);
        if (read == ReadStatus::Error)
            found.status = reader.status();
        if (read != ReadStatus::Record)
            return found;
        if (record.name.text() == name) {
            found.number = reader.recordsRead();
            return found;
        }
    }
}

} // namespace storage
