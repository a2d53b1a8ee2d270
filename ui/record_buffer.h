#pragma once

#include "storage/field_value.h"
#include "storage/topic_record.h"

#include <cstdint>
#include <string>

// A window's record buffer: the record its last reading pass read (Level, TopicName,
// TopicText), and that pass's position ScanCounter. Both windows carry one.
struct RecordBuffer
{
    storage::FieldValue Level;
    storage::FieldValue TopicName;
    storage::FieldValue TopicText;
    std::uint64_t ScanCounter = 0;

    // Reads record number of the document at path into the buffer; ScanCounter ends at the
    // last record read. False, with the buffer as it was, when the record is not there.
    bool readIntoRecordBuffer(const std::string &path, std::uint64_t number);
    // Takes a record read elsewhere into the buffer.
    void takeRecord(storage::TopicRecord &&record);
};
