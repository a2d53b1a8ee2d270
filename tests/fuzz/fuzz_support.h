#pragma once

// What the storage fuzz targets share: a byte source that hands its bytes out in pieces, and a
// check that stops the run on a broken promise.

#include "storage/byte_source.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace fuzzsupport {

// Fuzz inputs fit in one buffer of the readers; this source makes values cross their refills,
// in pieces of 1 to 17 bytes in an order that follows the input.
class ChunkedSource final : public storage::ByteSource
{
public:
    explicit ChunkedSource(std::string_view bytes)
        : m_rest(bytes)
        , m_state(static_cast<std::uint32_t>(bytes.size()) * 2654435761u + 1)
    { }
    std::size_t read(char *buffer, std::size_t size) override
    {
        m_state = m_state * 1103515245u + 12345u;
        const std::size_t piece = 1 + (m_state >> 16) % 17;
        const std::size_t n = std::min({size, piece, m_rest.size()});
        if (n > 0)
            std::memcpy(buffer, m_rest.data(), n);
        m_rest.remove_prefix(n);
        return n;
    }
    const storage::Status &status() const override { return m_status; }

private:
    std::string_view m_rest;
    std::uint32_t m_state;
    storage::Status m_status;
};

[[noreturn]] inline void broken(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: broken promise: %s\n", file, line, what);
    std::abort();
}

} // namespace fuzzsupport

// Stops the run, leaving the input as a crash artifact, unless cond holds.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond))                                                                               \
            fuzzsupport::broken(#cond, __FILE__, __LINE__);                                        \
    } while (false)
