#pragma once

#include "storage/byte_source.h"
#include "storage/field_value.h"
#include "storage/status.h"

#include <cstdint>
#include <memory>
#include <new>

namespace storage {

// Takes a byte stream apart into fields by the reading rules of a help document: blanks before a
// field are skipped; a quoted value runs to the next double quote, whatever lies between, and
// anything up to the next comma or line end after it is dropped; an unquoted value runs to the
// next comma, CR or LF, without trailing blanks, and is a number when it reads as one. The comma
// or line end (CR LF, lone CR, lone LF) that ends a field is consumed.
//
// Reads through a fixed buffer, so memory stays bounded by the largest value kept.
class FieldReader
{
public:
    static constexpr std::size_t kBufferSize = 256 * 1024;
    static constexpr std::uint64_t kDefaultMaxField = 256ull * 1024 * 1024;

    enum class Result {
        Value, // a field was read
        NoField, // the input ended before the field began
        Error, // see error() and errorOffset()
    };

    explicit FieldReader(ByteSource &source, std::uint64_t maxField = kDefaultMaxField);
    FieldReader(const FieldReader &) = delete;
    FieldReader &operator=(const FieldReader &) = delete;

    // True when no byte is left to read, or reading failed (then error() is Io).
    bool atEnd();
    // Reads the next field into *value, or skips it when value is null.
    Result readField(FieldValue *value);

    ErrorCode error() const { return m_error; }
    // Where the failing field began (UnterminatedQuote, FieldTooLarge) or the input stopped.
    std::uint64_t errorOffset() const { return m_errorOffset; }
    // Bytes consumed from the start of the input.
    std::uint64_t offset() const { return m_base + m_pos; }

private:
    bool fill();
    int peek();
    Result fail(ErrorCode code, std::uint64_t offset);
    bool take(FieldValue *value, const char *data, std::size_t size, std::uint64_t &taken);
    void skipBlanks();
    void consumeTerminator();
    Result readQuoted(FieldValue *value);
    Result readUnquoted(FieldValue *value);

    ByteSource &m_source;
    std::uint64_t m_maxField;
    // read(2) fills the buffer. On some processors (AMD Zen) the kernel's copy runs several times
    // slower into an address that is not a multiple of 32, and malloc gives one of 16.
    static constexpr std::align_val_t kBufferAlignment {64};
    struct AlignedDelete
    {
        void operator()(char *p) const { ::operator delete[](p, kBufferAlignment); }
    };
    std::unique_ptr<char[], AlignedDelete> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    std::uint64_t m_base = 0;
    bool m_eof = false;
    ErrorCode m_error = ErrorCode::None;
    std::uint64_t m_errorOffset = 0;
};

} // namespace storage
