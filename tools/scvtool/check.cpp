#include "commands.h"
#include "output.h"

#include "storage/document.h"

namespace scvtool {

Exit runCheck(const Operands &operands)
{
    const std::string &file = operands[0];
    const storage::CountResult result = storage::countRecords(file);
    if (result.status.ok()) {
        writeOut(file + ": " + recordCount(result.count) + ", well formed\n");
        return Exit::Success;
    }
    // Damage is the answer to the question asked, so it goes to stdout; a file that could not
    // be read at all is an error like in every other command.
    if (!isDamage(result.status))
        return reportReadFailure(file, result.status);
    writeOut(describeFailure(file, result.status) + '\n');
    return Exit::Failure;
}

} // namespace scvtool
