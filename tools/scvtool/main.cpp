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
    std::size_t optionCount; // optional operands after the others
    std::string_view summary;
    Exit (*run)(const Operands &);
};

struct Variant
{
    std::string_view synopsis;
    std::string_view summary;
};

constexpr std::array<Command, 7> kCommands = {{
    {"count", "FILE", 1, 0, "number of records", runCount},
    {"list", "FILE", 1, 0, "the contents line of each record", runList},
    {"show", "FILE N [--text | --html]", 2, 1,
        "the stored text of record N (from 1), byte for byte", runShow},
    {"search", "FILE WORD", 2, 0, "number and name of each record whose text contains WORD",
        runSearch},
    {"check", "FILE", 1, 0, "whether the document is whole, or where it is damaged", runCheck},
    {"links", "FILE", 1, 0,
        "each link to a topic: record number, topic name, target, ok or missing", runLinks},
    {"export", "FILE (--html DIR [--lang TAG] | --pdf OUT.pdf [--page-size a4 | letter])", 3, 2,
        "the document as a web site in DIR, or as a PDF manual", runExport},
}};

// Lines of the help that show a command's options; they follow the command's own line.
constexpr std::array<Variant, 2> kShowVariants = {{
    {"show FILE N --text", "record N's text as the programs show it, in UTF-8"},
    {"show FILE N --html", "record N as HTML, as the programs lay it out"},
}};
constexpr std::array<Variant, 2> kExportVariants = {{
    {"export FILE --html DIR", "the document as a static web site in DIR"},
    {"export FILE --pdf OUT.pdf", "the document as a PDF manual"},
}};

std::string helpLine(std::string synopsis, std::string_view summary)
{
    synopsis.resize(std::max<std::size_t>(synopsis.size() + 2, 20), ' ');
    return "  " + synopsis + std::string(summary) + '\n';
}

std::string usage()
{
    std::string text = "usage: scvtool COMMAND FILE [N | WORD]\n"
                       "       scvtool show FILE N [--text | --html]\n"
                       "       scvtool export FILE --html DIR [--lang TAG]\n"
                       "       scvtool export FILE --pdf OUT.pdf [--page-size a4 | letter]\n"
                       "       scvtool --help\n\n";
    for (const Command &command : kCommands) {
        if (command.name == "show") {
            text += helpLine("show FILE N", command.summary);
            for (const Variant &variant : kShowVariants)
                text += helpLine(std::string(variant.synopsis), variant.summary);
            continue;
        }
        if (command.name == "export") {
            for (const Variant &variant : kExportVariants)
                text += helpLine(std::string(variant.synopsis), variant.summary);
            continue;
        }
        text += helpLine(
            std::string(command.name) + ' ' + std::string(command.operands), command.summary);
    }
    text += "\nWORD is matched exactly, case-sensitively, against each record's RTF text.\n"
            "--text and --html read the RTF as the programs do, with scvtool-render from the\n"
            "folder scvtool lies in; --text ends each paragraph with LF and leaves out pictures.\n"
            "links finds links whose address is topic:NAME, as Leafwick follows them; one line\n"
            "per link, its fields separated by tabs.\n"
            "export writes DIR only when it is new, empty or holds an earlier export; the site\n"
            "is built beside it and moved into place when complete. Links to missing topics are\n"
            "reported on stderr and become plain text. The manual is A4 unless --page-size\n"
            "letter is given.\n"
            "Exit status: 0 success; 1 a damaged document, a file that cannot be read or\n"
            "written, no record N, or a link to a topic that is missing (links); 2 a usage\n"
            "error, or an export DIR that holds files of its own.\n";
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
        if (operands.size() < command.operandCount
            || operands.size() > command.operandCount + command.optionCount)
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
