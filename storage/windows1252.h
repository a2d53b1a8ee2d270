#pragma once

#include "storage/status.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace storage {

// Topic names are Windows-1252 bytes on disk and UTF-8 in memory.

// Every byte maps to one character; the five bytes the code page leaves undefined (81, 8D, 8F,
// 90, 9D) map to the control characters of the same number, so that any file decodes and
// encodes back unchanged.
std::string decodeWindows1252(std::string_view bytes);

// The byte for one character under the same rule, or -1 when the code page has none.
int windows1252Byte(char32_t c);

struct EncodeResult
{
    std::string bytes;
    Status status;
    // On failure: the byte offset, in the UTF-8 input, of the character that cannot be written.
    std::size_t failedAt = 0;
};

// Refuses text that is not valid UTF-8 and characters the code page cannot hold; it never drops
// or replaces one silently.
EncodeResult encodeWindows1252(std::string_view utf8);

} // namespace storage
