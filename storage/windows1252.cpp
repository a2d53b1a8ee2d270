#include "storage/windows1252.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace storage {

namespace {

// Bytes 80 to 9F; the rest of the code page is the same number in Unicode.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 character at pos, advancing pos; U+FFFFFFFF when the bytes are not valid.
char32_t nextUtf8(std::string_view s, std::size_t &pos)
{
    constexpr char32_t invalid = 0xFFFFFFFF;
    const auto lead = static_cast<unsigned char>(s[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int length;
    char32_t c;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
    } else {
        return invalid;
    }
    if (pos + length > s.size())
        return invalid;
    for (int i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80)
            return invalid;
        c = (c << 6) | (b & 0x3F);
    }
    constexpr char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < minimum[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return invalid;
    pos += length;
    return c;
}

std::string codePointName(char32_t c)
{
    char name[12];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

} // namespace

int windows1252Byte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

std::string decodeWindows1252(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        appendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte);
    }
    return out;
}

EncodeResult encodeWindows1252(std::string_view utf8)
{
    EncodeResult result;
    result.bytes.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t at = pos;
        const char32_t c = nextUtf8(utf8, pos);
        const int byte = c == 0xFFFFFFFF ? -1 : windows1252Byte(c);
        if (byte < 0) {
            result.bytes.clear();
            result.failedAt = at;
            result.status = Status::error(ErrorCode::Unrepresentable,
                c == 0xFFFFFFFF ? "the text is not valid UTF-8 at byte " + std::to_string(at)
                                : "the character " + codePointName(c)
                        + " cannot be written in the Windows-1252 code page");
            return result;
        }
        result.bytes += static_cast<char>(byte);
    }
    return result;
}

} // namespace storage
