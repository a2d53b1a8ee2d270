#pragma once

#include "storage/byte_source.h"
#include "storage/field_reader.h"
#include "storage/status.h"
#include "storage/topic_record.h"

#include <cstdint>
#include <string>

namespace storage {

enum class ReadStatus {
    Record, // a whole record was read
    End, // the input holds no more records
    Error, // the input is damaged or could not be read; see status()
};

// Which fields of a record a reader keeps.
enum class RecordParts {
    All,
    Heading, // level and name only: the text, the bulk of a document, is passed over
};

// Pulls one record at a time from a byte source. Before each record it tests for the end of the
// input; a record then needs all three fields. A failure is final: later calls return Error.
class RecordReader
{
public:
    explicit RecordReader(
        ByteSource &source, std::uint64_t maxField = FieldReader::kDefaultMaxField);
    RecordReader(const RecordReader &) = delete;
    RecordReader &operator=(const RecordReader &) = delete;

    // Reads the next record into record, reusing its storage. With RecordParts::Heading the
    // text is left empty.
    [[nodiscard]] ReadStatus next(TopicRecord &record, RecordParts parts = RecordParts::All);
    // Passes over the next record without keeping its values.
    [[nodiscard]] ReadStatus skip();
    // Reads record number (1-based, counted from the start of the input) into record, passing
    // over the ones before it without keeping their values; End when the input holds fewer,
    // or number is 0 or already passed.
    [[nodiscard]] ReadStatus readRecord(std::uint64_t number, TopicRecord &record);

    // Whole records read so far.
    std::uint64_t recordsRead() const { return m_records; }
    // Byte offset of the next record (or of the end).
    std::uint64_t offset() const { return m_fields.offset(); }
    // Why the last call returned Error; ok otherwise.
    const Status &status() const { return m_status; }

private:
    ReadStatus read(TopicRecord *record, RecordParts parts);

    ByteSource &m_source;
    FieldReader m_fields;
    std::uint64_t m_records = 0;
    Status m_status;
};

// A record reader on a document file.
class DocumentReader
{
public:
    explicit DocumentReader(
        const std::string &path, std::uint64_t maxField = FieldReader::kDefaultMaxField)
        : m_source(path)
        , m_reader(m_source, maxField)
    { }
    [[nodiscard]] ReadStatus next(TopicRecord &record, RecordParts parts = RecordParts::All)
    {
        return m_reader.next(record, parts);
    }
    [[nodiscard]] ReadStatus skip() { return m_reader.skip(); }
    [[nodiscard]] ReadStatus readRecord(std::uint64_t number, TopicRecord &record)
    {
        return m_reader.readRecord(number, record);
    }
    std::uint64_t recordsRead() const { return m_reader.recordsRead(); }
    std::uint64_t offset() const { return m_reader.offset(); }
    const Status &status() const { return m_reader.status(); }

private:
    FileByteSource m_source;
    RecordReader m_reader;
};

} // namespace storage
