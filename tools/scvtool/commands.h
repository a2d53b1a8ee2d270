#pragma once

#include <string>
#include <vector>

namespace scvtool {

enum class Exit {
    Success = 0,
    Failure = 1, // a damaged document, a missing or unreadable file, a missing record
    Usage = 2, // the command line is wrong
};

// What follows the command name: FILE, then N or WORD. main checks how many there are.
using Operands = std::vector<std::string>;

Exit runCount(const Operands &operands);
Exit runList(const Operands &operands);
Exit runShow(const Operands &operands);
Exit runSearch(const Operands &operands);
Exit runCheck(const Operands &operands);
Exit runLinks(const Operands &operands);
Exit runExport(const Operands &operands);

} // namespace scvtool
