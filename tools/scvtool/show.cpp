#include "commands.h"
#include "output.h"
#include "record_lookup.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <unistd.h>

namespace scvtool {

namespace {

// The folder this executable lies in, with a final slash; empty when it cannot be found.
std::string ownFolder()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    const std::string self(path, static_cast<std::size_t>(length));
    return self.substr(0, self.rfind('/') + 1);
}

// Rendering needs Qt, which scvtool does not load: scvtool-render, built beside it, does the
// work in this process's place and so answers with its own output and exit status.
Exit runRenderer(const std::string &option, const std::string &file, const std::string &number)
{
    const std::string renderer = ownFolder() + "scvtool-render";
    flushOut();
    const char *arguments[] = {
        "scvtool-render", option.c_str(), file.c_str(), number.c_str(), nullptr};
    ::execv(renderer.c_str(), const_cast<char *const *>(arguments));
    printError("cannot run " + renderer + ", which shows " + option + ": " + std::strerror(errno));
    return Exit::Failure;
}

} // namespace

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
        return runRenderer(option, file, operands[1]);
    }

    storage::TopicRecord record;
    const Exit found = lookUpRecord(file, operands[1], record);
    if (found != Exit::Success)
        return found;
    writeOut(record.text.text());
    return Exit::Success;
}

} // namespace scvtool
