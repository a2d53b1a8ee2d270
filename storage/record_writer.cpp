#include "storage/record_writer.h"

#include "storage/posix_file.h"

#include <cstring>

namespace storage {

namespace {

constexpr std::size_t kBufferLimit = 1024 * 1024;
constexpr std::size_t kDirectWrite = 64 * 1024;
constexpr const char *kFieldNames[3] = {"level", "topic name", "topic text"};

Status checkField(const FieldValue &field, const char *name)
{
    if (field.isNumber()) {
        if (!formatNumber(field.numberValue()))
            return Status::error(ErrorCode::InvalidNumber,
                std::string("the ") + name + " is a number with no decimal form");
        return {};
    }
    const std::string &text = field.text();
    if (std::memchr(text.data(), '"', text.size()))
        return Status::error(ErrorCode::QuoteInValue,
            std::string("the ") + name
                + " contains a double quote, which a help document cannot hold");
    return {};
}

} // namespace

Status checkRecord(const TopicRecord &record)
{
    const FieldValue *fields[3] = {&record.level, &record.name, &record.text};
    for (int i = 0; i < 3; ++i) {
        if (Status s = checkField(*fields[i], kFieldNames[i]); !s.ok())
            return s;
    }
    return {};
}

namespace {

// Hands the record's bytes, piece by piece, to put (a Status(std::string_view) callable).
template<typename Put>
Status emitRecord(const TopicRecord &record, Put &&put)
{
    if (Status s = checkRecord(record); !s.ok())
        return s;
    const FieldValue *fields[3] = {&record.level, &record.name, &record.text};
    for (int i = 0; i < 3; ++i) {
        const FieldValue &field = *fields[i];
        Status s;
        if (field.isNumber()) {
            s = put(*formatNumber(field.numberValue()));
        } else {
            s = put("\"");
            if (s.ok())
                s = put(field.text());
            if (s.ok())
                s = put("\"");
        }
        if (s.ok())
            s = put(i < 2 ? "," : "\r\n");
        if (!s.ok())
            return s;
    }
    return {};
}

} // namespace

Status formatRecord(const TopicRecord &record, std::string &out)
{
    // Nothing can fail once the record has passed its check, so out changes only on success.
    return emitRecord(record, [&out](std::string_view bytes) {
        out.append(bytes);
        return Status();
    });
}

RecordWriter::RecordWriter(int fd, std::string name)
    : m_fd(fd)
    , m_name(std::move(name))
{ }

Status RecordWriter::put(std::string_view bytes)
{
    if (bytes.size() >= kDirectWrite) {
        if (Status s = flush(); !s.ok())
            return s;
        return detail::writeAll(m_fd, bytes, "cannot write " + m_name);
    }
    m_buffer.append(bytes);
    if (m_buffer.size() >= kBufferLimit)
        return flush();
    return {};
}

Status RecordWriter::write(const TopicRecord &record)
{
    Status s = emitRecord(record, [this](std::string_view bytes) { return put(bytes); });
    if (s.ok())
        ++m_records;
    return s;
}

Status RecordWriter::flush()
{
    if (m_buffer.empty())
        return {};
    Status s = detail::writeAll(m_fd, m_buffer, "cannot write " + m_name);
    m_buffer.clear();
    return s;
}

} // namespace storage
