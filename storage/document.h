#pragma once

#include "storage/status.h"
#include "storage/topic_record.h"

#include <cstdint>
#include <string>

namespace storage {

// The scratch file of every rewrite, in the working folder.
inline constexpr const char *kScratchName = "Help.tmp";
// The lock file that serialises changes to documents in a working folder that cannot be locked
// itself, and that earlier versions always used.
inline constexpr const char *kLockName = "Help.tmp.lock";

// Creates an empty (zero-byte) document when no file of that name exists; an existing file
// keeps its content.
Status createEmptyDocument(const std::string &path);

// Deletes a document, first waiting for any other program's rewrite in the working folder, so
// that its rename cannot bring the document back.
Status removeDocument(const std::string &path);

struct CountResult
{
    std::uint64_t count = 0; // records read before the end, or before the damage
    Status status;
};

// Counts the records from the first byte to the end, by the reading rules.
CountResult countRecords(const std::string &path);

// Adds one record after the last byte of an existing document and flushes it to disk. When the
// write fails, the file is cut back to its former length and the error returned.
Status appendRecord(const std::string &path, const TopicRecord &record);

} // namespace storage
