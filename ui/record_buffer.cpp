#include "ui/record_buffer.h"

#include "storage/record_lookup.h"

#include <utility>

bool RecordBuffer::readIntoRecordBuffer(const std::string &path, std::uint64_t number)
{
    storage::RecordLookup found = storage::lookUpRecord(path, number);
    ScanCounter = found.recordsRead;
    if (found.read != storage::ReadStatus::Record)
        return false;
    takeRecord(std::move(found.record));
    return true;
}

void RecordBuffer::takeRecord(storage::TopicRecord &&record)
{
    Level = std::move(record.level);
    TopicName = std::move(record.name);
    TopicText = std::move(record.text);
}
