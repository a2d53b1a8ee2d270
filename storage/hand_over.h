#pragma once

#include "storage/byte_source.h"
#include "storage/status.h"

#include <string>

namespace storage {

// The file through which the authoring program tells the reader which document to open.
inline constexpr const char *kHandOverName = "DefaultHelpFile.tmp";

// The line that carries a document name: the name as it is, then CR LF; between double quotes
// when the bare form would not read back whole (a comma, a line break, blanks at either end).
// Refused when the name cannot be carried at all (a double quote where quoting is needed).
Status handOverLine(const std::string &documentName, std::string &line);

// Writes the hand-over file, replacing an existing one.
Status writeHandOver(const std::string &documentName, const std::string &path = kHandOverName);

struct HandOverResult
{
    std::string documentName;
    Status status;
};

// Reads the one field of a hand-over file by the reading rules of a document. An empty file
// gives an empty name. The file is left in place.
HandOverResult readHandOver(const std::string &path = kHandOverName);

// The same from the file's bytes, wherever they come from; name stands for the file in the
// message of a damaged one.
HandOverResult readHandOver(ByteSource &source, const std::string &name);

// Deletes the hand-over file once it has been read.
Status deleteHandOver(const std::string &path = kHandOverName);

} // namespace storage
