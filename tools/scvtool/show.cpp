#include "commands.h"
#include "output.h"
#include "record_lookup.h"
#include "renderer.h"

#include <string>

namespace scvtool {

Exit runShow(const Operands &operands)
{
    const std::string &file = operands[0];
    if (operands.size() == 3) {
        // A bad number is a usage error whether or not the renderer is there; checked first,
        // it also names an option put in the number's place.
        if (!checkRecordNumber(operands[1]))
            return Exit::Usage;
        const std::string &option = operands[2];
        if (option != "--text" && option != "--html") {
            printError("unknown option \"" + option + "\" for show (use --text or --html)");
            return Exit::Usage;
        }
        return runRenderer({option, file, operands[1]}, "shows " + option);
    }

    storage::TopicRecord record;
    const Exit found = lookUpRecord(file, operands[1], record);
    if (found != Exit::Success)
        return found;
    writeOut(record.text.text());
    return Exit::Success;
}

} // namespace scvtool
