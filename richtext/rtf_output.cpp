#include "richtext/rtf_output.h"

#include "storage/windows1252.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>

namespace richtext::detail {

namespace {

enum class After {
    Nothing, // the usual delimiting rule applies
    Blank, // always a blank, as platform controls write the curly double quotes
    LineEnd, // a paragraph end, so a new line
};

struct SpecialCharacter
{
    char16_t character;
    std::string_view word;
    After after;
};

// Characters ordinary text writes as control words; sorted by character.
constexpr std::array<SpecialCharacter, 10> kSpecialCharacters = {{
    {u'\t', "tab", After::Nothing},
    {0x2013, "endash", After::Nothing},
    {0x2014, "emdash", After::Nothing},
    {0x2018, "lquote", After::Nothing},
    {0x2019, "rquote", After::Nothing},
    {0x201C, "ldblquote", After::Blank},
    {0x201D, "rdblquote", After::Blank},
    {0x2022, "bullet", After::Nothing},
    {0x2028, "line", After::Nothing},
    {0x2029, "par", After::LineEnd},
}};

static_assert(std::is_sorted(kSpecialCharacters.begin(), kSpecialCharacters.end(),
    [](const SpecialCharacter &a, const SpecialCharacter &b) {
        return a.character < b.character;
    }));

const SpecialCharacter *findSpecial(char16_t c)
{
    const auto it = std::lower_bound(kSpecialCharacters.begin(), kSpecialCharacters.end(), c,
        [](const SpecialCharacter &s, char16_t value) { return s.character < value; });
    return it != kSpecialCharacters.end() && it->character == c ? &*it : nullptr;
}

bool isPlainAscii(char16_t c, TextUse use)
{
    if (c < 0x20 || c > 0x7E)
        return false;
    if (c == u'\\' || c == u'{' || c == u'}')
        return false;
    return c != u'"' || use == TextUse::Body;
}

// Characters with no place in RTF text: C0 controls (tab aside) and the marks QTextDocument
// uses for frames and objects, which the writer renders as structure instead.
bool isDropped(char16_t c)
{
    return (c < 0x20 && c != u'\t') || c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC;
}

// The Windows-1252 byte that text writes as \'hh, or -1 for \u. The five bytes that the code
// page leaves undefined stand for the C1 controls of their number only by this project's rule
// for its own files; in RTF, \u says the same to every reader.
int codePageByte(char16_t c)
{
    if (c >= 0x80 && c <= 0x9F)
        return -1;
    return storage::windows1252Byte(c);
}

} // namespace

void RtfOutput::word(std::string_view name)
{
    m_bytes += '\\';
    m_bytes.append(name);
    m_wordOpen = true;
}

void RtfOutput::word(std::string_view name, int value)
{
    word(name);
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    m_bytes.append(digits, result.ptr);
}

void RtfOutput::symbol(char c)
{
    m_bytes += '\\';
    m_bytes += c;
    m_wordOpen = false;
}

void RtfOutput::openGroup()
{
    m_bytes += '{';
    m_wordOpen = false;
}

void RtfOutput::closeGroup()
{
    m_bytes += '}';
    m_wordOpen = false;
}

void RtfOutput::delimit()
{
    if (m_wordOpen)
        m_bytes += ' ';
    m_wordOpen = false;
}

void RtfOutput::lineEnd()
{
    m_bytes += "\r\n";
    m_wordOpen = false;
}

void RtfOutput::raw(std::string_view bytes)
{
    if (bytes.empty())
        return;
    beforeText(bytes.front());
    m_bytes.append(bytes);
}

void RtfOutput::beforeText(char first)
{
    // A letter, digit, hyphen or blank would be read as part of the word before it.
    if (m_wordOpen
        && ((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z')
            || (first >= '0' && first <= '9') || first == '-' || first == ' '))
        m_bytes += ' ';
    m_wordOpen = false;
}

void RtfOutput::hex(unsigned byte)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    const char escaped[] = {'\\', '\'', kDigits[(byte >> 4) & 0xF], kDigits[byte & 0xF]};
    m_bytes.append(escaped, 4);
    m_wordOpen = false;
}

void RtfOutput::unicode(char16_t unit)
{
    // \uN takes a signed 16-bit number; the ? after it is the fallback \uc1 skips.
    word("u", static_cast<int>(static_cast<std::int16_t>(unit)));
    m_bytes += '?';
    m_wordOpen = false;
}

void RtfOutput::text(QStringView text, TextUse use)
{
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    while (p != end) {
        // Runs of plain ASCII, the bulk of any text, go in one append.
        if (isPlainAscii(*p, use)) {
            const char16_t *runEnd = p + 1;
            while (runEnd != end && isPlainAscii(*runEnd, use))
                ++runEnd;
            beforeText(static_cast<char>(*p));
            const std::size_t start = m_bytes.size();
            m_bytes.resize(start + static_cast<std::size_t>(runEnd - p));
            std::transform(
                p, runEnd, m_bytes.data() + start, [](char16_t c) { return static_cast<char>(c); });
            p = runEnd;
            continue;
        }
        const char16_t c = *p++;
        if (c == u'\\' || c == u'{' || c == u'}') {
            symbol(static_cast<char>(c));
            continue;
        }
        if (c == u'"') {
            hex(0x22);
            continue;
        }
        if (use == TextUse::Body) {
            if (c == 0xA0) {
                symbol('~');
                continue;
            }
            if (const SpecialCharacter *special = findSpecial(c)) {
                word(special->word);
                if (special->after == After::Blank) {
                    delimit();
                } else if (special->after == After::LineEnd) {
                    lineEnd();
                }
                continue;
            }
        }
        if (isDropped(c))
            continue;
        if (const int byte = codePageByte(c); byte >= 0) {
            hex(static_cast<unsigned>(byte));
            continue;
        }
        // Anything else, surrogate halves included, one \u per UTF-16 unit.
        unicode(c);
    }
}

} // namespace richtext::detail
