#include "commands.h"
#include "output.h"

#include "storage/document.h"

namespace scvtool {

Exit runCount(const Operands &operands)
{
    const std::string &file = operands[0];
    const storage::CountResult result = storage::countRecords(file);
    // A damaged document still has its whole records before the damage; a file that could not
    // be read has no count to give.
    if (result.status.ok() || isDamage(result.status))
        writeOut(std::to_string(result.count) + '\n');
    if (!result.status.ok())
        return reportReadFailure(file, result.status);
    return Exit::Success;
}

} // namespace scvtool
