#include "rtf_text.h"

#include <array>
#include <string_view>

namespace bench {

namespace {

constexpr std::array<std::string_view, 96> kWords = {
    "the",
    "a",
    "to",
    "of",
    "and",
    "in",
    "is",
    "for",
    "you",
    "can",
    "with",
    "this",
    "that",
    "on",
    "it",
    "be",
    "or",
    "by",
    "from",
    "when",
    "each",
    "all",
    "your",
    "not",
    "as",
    "are",
    "then",
    "file",
    "topic",
    "window",
    "button",
    "menu",
    "toolbar",
    "text",
    "document",
    "folder",
    "list",
    "name",
    "level",
    "page",
    "line",
    "table",
    "field",
    "value",
    "option",
    "setting",
    "dialog",
    "printer",
    "search",
    "word",
    "contents",
    "index",
    "entry",
    "link",
    "picture",
    "font",
    "colour",
    "paragraph",
    "author",
    "reader",
    "program",
    "command",
    "open",
    "save",
    "print",
    "select",
    "choose",
    "click",
    "press",
    "type",
    "move",
    "insert",
    "delete",
    "change",
    "show",
    "find",
    "close",
    "start",
    "new",
    "first",
    "last",
    "next",
    "previous",
    "whole",
    "empty",
    "large",
    "small",
    "current",
    "default",
    "other",
    "same",
    "help",
    "user",
    "question",
    "answer",
    "example",
};

constexpr std::array<std::string_view, 8> kCode = {
    "Help.scv",
    "scvtool list",
    "Ctrl+S",
    "DefaultHelpFile.tmp",
    "F1",
    "Alt+F4",
    "C:\\\\Help\\\\Manual.scv",
    "--help",
};

// Letters as RTF writes those beyond ASCII: escaped hex, or \u with a fallback.
constexpr std::array<std::string_view, 8> kEscaped = {
    "caf\\'e9",
    "na\\'efve",
    "r\\'e9sum\\'e9",
    "\\'fcber",
    "se\\'f1or",
    "\\u8217?s",
    "Stra\\'dfe",
    "d\\'e9j\\'e0",
};

constexpr std::string_view kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl{\\f0\\fswiss"
    "\\fprq2\\fcharset0 Arial;}{\\f1\\fmodern\\fprq1\\fcharset0 Courier New;}{\\f2\\fnil"
    "\\fcharset2 Symbol;}}\r\n{\\colortbl ;\\red0\\green0\\blue0;\\red0\\green0\\blue255;"
    "\\red128\\green0\\blue0;}\r\n{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n";

// Writers break long lines of RTF source; the break is not part of the text.
constexpr std::size_t kLineWidth = 200;

} // namespace

std::string RtfText::name(std::size_t number)
{
    static constexpr std::array<std::string_view, 6> kNames = {
        "Using the toolbar",
        "Caf\xe9 settings, printing",
        "\x93Quick\x94 start",
        "Searching for a word",
        "Se\xf1or\x92s guide",
        "Lists, tables and pictures",
    };
    return "Topic " + std::to_string(number) + ": " + std::string(kNames[pick(kNames.size())]);
}

void RtfText::sentence(std::string &out, std::size_t &lineLength)
{
    const std::size_t start = out.size();
    const std::size_t words = 6 + pick(11);
    for (std::size_t i = 0; i < words; ++i) {
        if (i > 0)
            out += ' ';
        const std::size_t kind = pick(40);
        std::string_view word = kWords[pick(kWords.size())];
        if (kind == 0) {
            out += "\\b ";
            out += word;
            out += "\\b0";
        } else if (kind == 1) {
            out += "{\\i ";
            out += word;
            out += '}';
        } else if (kind == 2) {
            out += "{\\f1\\fs18 ";
            out += kCode[pick(kCode.size())];
            out += '}';
        } else if (kind == 3) {
            out += kEscaped[pick(kEscaped.size())];
        } else if (kind == 4) {
            out += "{\\cf2\\ul ";
            out += word;
            out += '}';
        } else if (i == 0) {
            out += static_cast<char>(word[0] - 'a' + 'A');
            out += word.substr(1);
        } else {
            out += word;
        }
    }
    out += pick(8) == 0 ? ": " : ". ";
    lineLength += out.size() - start;
    if (lineLength > kLineWidth) {
        out += "\r\n";
        lineLength = 0;
    }
}

void RtfText::heading(std::string &out)
{
    out += "\\pard\\keepn\\sb240\\sa120\\b\\f0\\fs28 ";
    const std::size_t words = 2 + pick(5);
    for (std::size_t i = 0; i < words; ++i) {
        if (i > 0)
            out += ' ';
        out += kWords[pick(kWords.size())];
    }
    out += "\\b0\\fs20\\par\r\n";
}

void RtfText::paragraph(std::string &out, const std::string &word)
{
    out += "\\pard\\sa120\\f0\\fs20 ";
    std::size_t lineLength = 0;
    const std::size_t sentences = 3 + pick(8);
    for (std::size_t i = 0; i < sentences; ++i) {
        sentence(out, lineLength);
        if (!word.empty() && i == sentences / 2) {
            out += "See also ";
            out += word;
            out += ". ";
        }
    }
    out += "\\par\r\n";
}

void RtfText::bulletList(std::string &out)
{
    const std::size_t items = 2 + pick(5);
    for (std::size_t i = 0; i < items; ++i) {
        out += "\\pard{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent360{\\pntxtb\\'B7}}"
               "\\fi-360\\li720\\sa60 ";
        std::size_t lineLength = 0;
        sentence(out, lineLength);
        out += "\\par\r\n";
    }
}

std::string RtfText::topic(std::size_t size, const std::string &word)
{
    std::string out(kHeader);
    out.reserve(size + 4096);
    bool planted = word.empty();
    while (out.size() < size) {
        const std::size_t kind = pick(10);
        if (kind == 0) {
            heading(out);
        } else if (kind == 1) {
            bulletList(out);
        } else {
            const bool plantHere = !planted && out.size() >= size / 2;
            paragraph(out, plantHere ? word : std::string());
            planted = planted || plantHere;
        }
    }
    if (!planted)
        paragraph(out, word);
    out += "}\r\n";
    return out;
}

} // namespace bench
