#include "storage/record_reader.h"

namespace storage {

RecordReader::RecordReader(ByteSource &source, std::uint64_t maxField)
    : m_source(source)
    , m_fields(source, maxField)
{ }

ReadStatus RecordReader::next(TopicRecord &record, RecordParts parts)
{
    return read(&record, parts);
}

ReadStatus RecordReader::skip()
{
    return read(nullptr, RecordParts::All);
}

ReadStatus RecordReader::readRecord(std::uint64_t number, TopicRecord &record)
{
    if (number <= m_records)
        return m_status.ok() ? ReadStatus::End : ReadStatus::Error;
    while (m_records + 1 < number) {
        if (const ReadStatus s = skip(); s != ReadStatus::Record)
            return s;
    }
    return next(record);
}

ReadStatus RecordReader::read(TopicRecord *record, RecordParts parts)
{
    if (!m_status.ok())
        return ReadStatus::Error;
    if (m_fields.atEnd()) {
        if (m_fields.error() == ErrorCode::None)
            return ReadStatus::End;
        m_status = m_source.status();
        return ReadStatus::Error;
    }
    const std::uint64_t number = m_records + 1;
    FieldValue *fields[3] = {nullptr, nullptr, nullptr};
    if (record) {
        fields[0] = &record->level;
        fields[1] = &record->name;
        if (parts == RecordParts::All)
            fields[2] = &record->text;
        else
            record->text.setString({});
    }
    for (FieldValue *field : fields) {
        switch (m_fields.readField(field)) {
        case FieldReader::Result::Value:
            continue;
        case FieldReader::Result::NoField:
            m_status = Status::damaged(ErrorCode::CutShort, number, m_fields.offset());
            return ReadStatus::Error;
        case FieldReader::Result::Error:
            m_status = m_fields.error() == ErrorCode::Io
                ? m_source.status()
                : Status::damaged(m_fields.error(), number, m_fields.errorOffset());
            return ReadStatus::Error;
        }
    }
    ++m_records;
    return ReadStatus::Record;
}

} // namespace storage
