#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace storage {

enum class ErrorCode {
    None,
    Io, // an operating-system call failed; sysError() holds errno
    NotFound, // the document (or another named file) does not exist
    CutShort, // the file ends before a record's third field
    UnterminatedQuote, // a quoted value runs to the end of the file
    FieldTooLarge, // a value is larger than the reader accepts
    QuoteInValue, // a value holds a double quote, which the format cannot carry
    InvalidNumber, // a number that has no finite decimal form
    Busy, // another program is rewriting a document in the same folder
    Unrepresentable, // a character Windows-1252 cannot hold, or text that is not UTF-8
};

// Short English description of an error code, without location.
std::string_view describe(ErrorCode code);

// The outcome of a storage operation: success, or an error with its reason and, for damaged
// files, the record number and byte offset where the damage was found.
class [[nodiscard]] Status
{
public:
    Status() = default;

    static Status error(ErrorCode code, std::string message);
    // An error from errno, "what" naming the failing step (e.g. "cannot open Help.scv").
    static Status fromErrno(int sysError, std::string_view what);
    // A damaged file: record is 1-based, offset counts bytes from the start of the file.
    static Status damaged(
        ErrorCode code, std::uint64_t record, std::uint64_t offset, std::string_view detail = {});

    bool ok() const { return m_code == ErrorCode::None; }
    explicit operator bool() const { return ok(); }
    ErrorCode code() const { return m_code; }
    int sysError() const { return m_sysError; }
    std::uint64_t record() const { return m_record; }
    std::uint64_t offset() const { return m_offset; }
    const std::string &message() const { return m_message; }

private:
    ErrorCode m_code = ErrorCode::None;
    int m_sysError = 0;
    std::uint64_t m_record = 0;
    std::uint64_t m_offset = 0;
    std::string m_message;
};

} // namespace storage
