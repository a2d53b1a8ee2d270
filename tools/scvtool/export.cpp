#include "commands.h"
#include "output.h"
#include "renderer.h"

#include <string>

namespace scvtool {

namespace {

Exit exportUsage(const std::string &why)
{
    printError(why
        + "; usage: scvtool export FILE --html DIR [--lang TAG] | scvtool export "
          "FILE --pdf OUT.pdf [--page-size a4 | letter]");
    return Exit::Usage;
}

// A language tag as the pages' lang attribute takes it: letters, digits and hyphens.
bool isLanguageTag(const std::string &tag)
{
    if (tag.empty() || tag.size() > 35 || tag.front() == '-' || tag.back() == '-')
        return false;
    for (char c : tag) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && !(c >= '0' && c <= '9') && c != '-')
            return false;
    }
    return true;
}

} // namespace

Exit runExport(const Operands &operands)
{
    const std::string &file = operands[0];
    std::string form;
    std::string target;
    std::string pageSize;
    std::string language;
    for (std::size_t i = 1; i < operands.size(); i += 2) {
        const std::string &option = operands[i];
        if (i + 1 >= operands.size())
            return exportUsage(option + " needs a value");
        const std::string &value = operands[i + 1];
        if (option == "--html" || option == "--pdf") {
            if (!form.empty())
                return exportUsage("give --html or --pdf, once");
            form = option;
            target = value;
            if (target.empty())
                return exportUsage(option + " needs a folder or file name");
        } else if (option == "--page-size") {
            if (!pageSize.empty())
                return exportUsage("--page-size is given twice");
            if (value != "a4" && value != "letter")
                return exportUsage("the page size is a4 or letter, not \"" + value + "\"");
            pageSize = value;
        } else if (option == "--lang") {
            if (!language.empty())
                return exportUsage("--lang is given twice");
            if (!isLanguageTag(value))
                return exportUsage("\"" + value + "\" is no language tag (such as en or de-CH)");
            language = value;
        } else {
            return exportUsage("unknown option \"" + option + "\" for export");
        }
    }
    if (form.empty())
        return exportUsage("say what to write with --html DIR or --pdf OUT.pdf");
    if (form == "--html" && !pageSize.empty())
        return exportUsage("--page-size is for --pdf");
    if (form == "--pdf" && !language.empty())
        return exportUsage("--lang is for --html");
    if (form == "--html")
        return runRenderer({"--export-html", file, target, language.empty() ? "en" : language},
            "exports web sites");
    return runRenderer(
        {"--export-pdf", file, target, pageSize.empty() ? "a4" : pageSize}, "exports PDF manuals");
}

} // namespace scvtool
