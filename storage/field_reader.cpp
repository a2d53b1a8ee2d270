#include "storage/field_reader.h"

#include <cstring>

namespace storage {

FieldReader::FieldReader(ByteSource &source, std::uint64_t maxField)
    : m_source(source)
    , m_maxField(maxField)
    , m_buffer(static_cast<char *>(::operator new[](kBufferSize, kBufferAlignment)))
{ }

bool FieldReader::fill()
{
    if (m_pos < m_end)
        return true;
    if (m_eof)
        return false;
    m_base += m_end;
    m_pos = m_end = 0;
    m_end = m_source.read(m_buffer.get(), kBufferSize);
    if (m_end == 0) {
        m_eof = true;
        if (!m_source.status().ok() && m_error == ErrorCode::None) {
            m_error = ErrorCode::Io;
            m_errorOffset = m_base;
        }
        return false;
    }
    return true;
}

int FieldReader::peek()
{
    if (!fill())
        return -1;
    return static_cast<unsigned char>(m_buffer[m_pos]);
}

bool FieldReader::atEnd()
{
    return peek() < 0;
}

FieldReader::Result FieldReader::fail(ErrorCode code, std::uint64_t offset)
{
    if (m_error == ErrorCode::None) {
        m_error = code;
        m_errorOffset = offset;
    }
    return Result::Error;
}

// Adds a piece of a value, or only counts it when the value is skipped; false past the limit.
bool FieldReader::take(FieldValue *value, const char *data, std::size_t size, std::uint64_t &taken)
{
    taken += size;
    if (taken > m_maxField)
        return false;
    if (value)
        value->text().append(data, size);
    return true;
}

void FieldReader::skipBlanks()
{
    while (peek() == ' ')
        ++m_pos;
}

void FieldReader::consumeTerminator()
{
    const int c = peek();
    if (c == ',' || c == '\n') {
        ++m_pos;
    } else if (c == '\r') {
        ++m_pos;
        if (peek() == '\n')
            ++m_pos;
    }
}

FieldReader::Result FieldReader::readField(FieldValue *value)
{
    if (m_error != ErrorCode::None)
        return Result::Error;
    skipBlanks();
    const int c = peek();
    if (c < 0)
        return m_error != ErrorCode::None ? Result::Error : Result::NoField;
    if (value)
        value->setString({});
    return c == '"' ? readQuoted(value) : readUnquoted(value);
}

FieldReader::Result FieldReader::readQuoted(FieldValue *value)
{
    const std::uint64_t start = offset();
    ++m_pos; // opening quote
    std::uint64_t taken = 0;
    for (;;) {
        if (!fill())
            return fail(m_error != ErrorCode::None ? m_error : ErrorCode::UnterminatedQuote, start);
        const char *from = m_buffer.get() + m_pos;
        const auto *quote = static_cast<const char *>(std::memchr(from, '"', m_end - m_pos));
        const std::size_t n = quote ? static_cast<std::size_t>(quote - from) : m_end - m_pos;
        if (!take(value, from, n, taken))
            return fail(ErrorCode::FieldTooLarge, start);
        m_pos += n;
        if (quote) {
            ++m_pos; // closing quote
            break;
        }
    }
    // Whatever stands between the closing quote and the next comma or line end is dropped.
    for (int c = peek(); c >= 0 && c != ',' && c != '\r' && c != '\n'; c = peek())
        ++m_pos;
    consumeTerminator();
    return m_error != ErrorCode::None ? Result::Error : Result::Value;
}

FieldReader::Result FieldReader::readUnquoted(FieldValue *value)
{
    const std::uint64_t start = offset();
    std::uint64_t taken = 0;
    std::size_t trailingBlanks = 0;
    while (fill()) {
        const char *from = m_buffer.get() + m_pos;
        std::size_t n = 0;
        const std::size_t available = m_end - m_pos;
        while (n < available && from[n] != ',' && from[n] != '\r' && from[n] != '\n')
            ++n;
        for (std::size_t i = 0; i < n; ++i)
            trailingBlanks = from[i] == ' ' ? trailingBlanks + 1 : 0;
        if (!take(value, from, n, taken))
            return fail(ErrorCode::FieldTooLarge, start);
        m_pos += n;
        if (n < available)
            break;
    }
    if (m_error != ErrorCode::None)
        return Result::Error;
    if (value) {
        std::string &text = value->text();
        text.resize(text.size() - trailingBlanks);
        if (const auto number = parseNumber(text))
            value->markNumber(*number);
    }
    consumeTerminator();
    return m_error != ErrorCode::None ? Result::Error : Result::Value;
}

} // namespace storage
