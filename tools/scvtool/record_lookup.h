#pragma once

#include "commands.h"

#include "storage/topic_record.h"

#include <string>

namespace scvtool {

// Reads record N (from 1) of a document for show. The number is checked before the file is
// opened. On failure the reason is printed and Exit::Usage (a bad number) or Exit::Failure (no
// such record, a damaged or unreadable document) returned.
Exit lookUpRecord(const std::string &file, const std::string &number, storage::TopicRecord &record);

// Whether text is a record number as show takes it, a positive whole number in decimal digits;
// prints why not when it is not.
bool checkRecordNumber(const std::string &text);

} // namespace scvtool
