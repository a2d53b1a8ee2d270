#include "commands.h"
#include "output.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace scvtool {

namespace {

struct Command
{
    std::string_view name;
    std::string_view operands; // as the usage shows them
    std::size_t operandCount;
    std::string_view summary;
    Exit (*run)(const Operands &);
};

constexpr std::array<Command, 5> kCommands = {{
    {"count", "FILE", 1, "number of records", runCount},
    {"list", "FILE", 1, "the contents line of each record", runList},
    {"show", "FILE N", 2, "the stored text of record N (from 1), byte for byte", runShow},
    {"search", "FILE WORD", 2, "number and name of each record whose text contains WORD",
        runSearch},
    {"check", "FILE", 1, "whether the document is whole, or where it is damaged", runCheck},
}};

std::string usage()
{
    std::string text = "usage: scvtool COMMAND FILE [N | WORD]\n"
                       "       scvtool --help\n\n";
    for (const Command &command : kCommands) {
        std::string synopsis = std::string(command.name) + ' ' + std::string(command.operands);
        synopsis.resize(std::max<std::size_t>(synopsis.size() + 2, 20), ' ');
        text += "  " + synopsis + std::string(command.summary) + '\n';
    }
    text += "\nWORD is matched exactly, case-sensitively, against each record's RTF text.\n"
            "Exit status: 0 success; 1 a damaged document, a file that cannot be read, or no\n"
            "record N; 2 a usage error.\n";
    return text;
}

Exit usageError(const std::string &message)
{
    printError(message);
    return Exit::Usage;
}

Exit run(int argc, char *argv[])
{
    if (argc < 2)
        return usageError("no command given (see scvtool --help)");
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h") {
        writeOut(usage());
        return Exit::Success;
    }
    for (const Command &command : kCommands) {
        if (command.name != name)
            continue;
        const Operands operands(argv + 2, argv + argc);
        if (operands.size() != command.operandCount)
            return usageError("wrong number of arguments; usage: scvtool "
                + std::string(command.name) + ' ' + std::string(command.operands));
        return command.run(operands);
    }
    return usageError("unknown command \"" + std::string(name) + "\" (see scvtool --help)");
}

} // namespace

} // namespace scvtool

int main(int argc, char *argv[])
{
    // A reader that stops early (scvtool list FILE | head) closes the pipe. The signal would kill
    // the program; ignored, the write fails with EPIPE and the program ends quietly.
    std::signal(SIGPIPE, SIG_IGN);
    // Lists and search hits are many short lines: one write per megabyte, not per line.
    static char buffer[1 << 20];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);

    const scvtool::Exit exit = scvtool::run(argc, argv);
    if (!scvtool::flushOut() && scvtool::outputError() != EPIPE) {
        scvtool::printError(
            std::string("cannot write the output: ") + std::strerror(scvtool::outputError()));
        return static_cast<int>(scvtool::Exit::Failure);
    }
    return static_cast<int>(exit);
}
