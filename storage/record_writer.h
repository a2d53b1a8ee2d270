#pragma once

#include "storage/status.h"
#include "storage/topic_record.h"

#include <cstdint>
#include <string>

namespace storage {

// Whether a record can be written so that it reads back the same: no string value may hold a
// double quote, and every number needs a decimal form.
Status checkRecord(const TopicRecord &record);

// Appends the file form of a record to out: the three fields separated by commas, strings
// between double quotes and unchanged, numbers in canonical decimal, then CR LF. Refuses what
// checkRecord refuses, leaving out unchanged.
Status formatRecord(const TopicRecord &record, std::string &out);

// Writes records to an open file descriptor through a buffer. Large values go straight to the
// file instead of through the buffer.
class RecordWriter
{
public:
    // fd stays owned by the caller; name is used in error messages.
    RecordWriter(int fd, std::string name);
    RecordWriter(const RecordWriter &) = delete;
    RecordWriter &operator=(const RecordWriter &) = delete;

    // Checks the whole record before any of its bytes is written.
    Status write(const TopicRecord &record);
    // Writes out what is buffered.
    Status flush();
    std::uint64_t recordsWritten() const { return m_records; }

private:
    Status put(std::string_view bytes);

    int m_fd;
    std::string m_name;
    std::string m_buffer;
    std::uint64_t m_records = 0;
};

} // namespace storage
