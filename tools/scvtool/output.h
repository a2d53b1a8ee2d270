#pragma once

#include "commands.h"
#include "storage/status.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace scvtool {

// Writes to stdout through its buffer. False once the output has failed (a closed pipe, a full
// disk): the command then stops, and main reports the failure when it flushes.
bool writeOut(std::string_view bytes);
// Writes out what is buffered; false when this or any earlier write failed.
bool flushOut();
// The errno of the first failed write to stdout; 0 while none failed.
int outputError();

// Prints "scvtool: message" on stderr, after what stdout holds so far.
void printError(std::string_view message);

// True when the status tells where a document is damaged, rather than why it was not read.
inline bool isDamage(const storage::Status &status)
{
    return status.record() > 0;
}

// "FILE: damaged at record R, byte B: reason" for a damaged document; the status's own message,
// which names the file, for one that could not be opened or read.
std::string describeFailure(const std::string &file, const storage::Status &status);

// Prints why the document could not be read to the end; returns Exit::Failure.
Exit reportReadFailure(const std::string &file, const storage::Status &status);

// "1 record", "40 records".
std::string recordCount(std::uint64_t count);

} // namespace scvtool
