#pragma once

#include "storage/record_reader.h"
#include "storage/status.h"
#include "storage/topic_record.h"

#include <cstdint>
#include <string>
#include <vector>

namespace storage {

// Record number (from 1) of a document, read by passing over the records before it.
struct RecordLookup
{
    // Record: found; End: the document holds fewer records (or number is 0); Error: it is
    // damaged or unreadable before the record, see status.
    ReadStatus read = ReadStatus::End;
    TopicRecord record;
    std::uint64_t recordsRead = 0; // whole records read, the one found included
    Status status;
};

[[nodiscard]] RecordLookup lookUpRecord(const std::string &path, std::uint64_t number);

// The contents of a document: one contents line per record, in file order, read from the
// headings only.
struct Contents
{
    std::vector<std::string> lines;
    // The heading (level and name, no text) of the last record read.
    TopicRecord last;
    // Why the reading stopped before the end; ok when it reached the end.
    Status status;
};

[[nodiscard]] Contents readContents(const std::string &path);

// The first record whose topic name is exactly name (bytes compared), read from the headings.
struct NamedRecord
{
    std::uint64_t number = 0; // from 1; 0 when no record has that name
    Status status; // why the search stopped before the end without finding it
};

[[nodiscard]] NamedRecord findRecordNamed(const std::string &path, const std::string &name);

} // namespace storage
